#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes tests/e2e/cases/NAME.out from the program's current output for the
# answers in NAME.in (or NAME.in.sh). Read the result before committing it:
# a transcript is only worth what its review was.
set -eu
exe=${EXE:-build/harmoniques}
for cas in "$@"; do
  base=tests/e2e/cases/$cas
  [ -f "$base.in" ] || [ -f "$base.in.sh" ] || { echo "no answers $base.in or $base.in.sh" >&2; exit 1; }
  if [ -f "$base.fichier" ]; then "$exe" < "$base.in" > "$base.out" || true
  elif [ -f "$base.in.sh" ]; then bash "$base.in.sh" | "$exe" > "$base.out" || true
  else cat "$base.in" | "$exe" > "$base.out" || true; fi
  if [ -f "$base.sed" ]; then sed -E -f "$base.sed" "$base.out" > "$base.out.tmp" && mv "$base.out.tmp" "$base.out"; fi
  echo "wrote $base.out"
done
