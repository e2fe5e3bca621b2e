#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the program with the answers of CASE.in (or the output of CASE.in.sh)
# through a pipe and compares everything it prints with CASE.out, byte for
# byte, and its exit status with CASE.rc (1 when there is none). With a file
# CASE.fichier present, CASE.in is redirected as a regular file instead. With
# a file CASE.sed, the output first goes through that sed script (for the
# figures that depend on the machine, such as the memory-based limits).
# Each case runs twice, with an empty cache of its own, then with the cache
# the first run filled.
set -u
exe=$1
cas=$2
attendu_rc=1
[ -f "$cas.rc" ] && attendu_rc=$(cat "$cas.rc")
obtenu=$(mktemp)
# A cache of its own: every case starts from nothing, whatever ran before.
XDG_CACHE_HOME=$(mktemp -d)
export XDG_CACHE_HOME
trap 'rm -rf "$obtenu" "$XDG_CACHE_HOME"' EXIT

# Twice: with the empty cache, then with what the first run left in it
# (the cache changes the times only, never a byte).
for passage in "cache vide" "cache rempli"; do
  if [ -f "$cas.fichier" ]; then
    timeout 300 "$exe" < "$cas.in" > "$obtenu"
    rc=$?
  elif [ -f "$cas.in.sh" ]; then
    bash "$cas.in.sh" | timeout 300 "$exe" > "$obtenu"
    rc=${PIPESTATUS[1]}
  else
    cat "$cas.in" | timeout 300 "$exe" > "$obtenu"
    rc=${PIPESTATUS[1]}
  fi

  if [ -f "$cas.sed" ]; then
    sed -E -f "$cas.sed" "$obtenu" > "$obtenu.filtre" && mv "$obtenu.filtre" "$obtenu"
  fi

  if ! cmp -s "$cas.out" "$obtenu"; then
    echo "FAIL $(basename "$cas") ($passage): the output differs from the transcript"
    diffs=$(cmp "$cas.out" "$obtenu" 2>&1)
    echo "  $diffs"
    ligne=$(printf '%s\n' "$diffs" | sed -n 's/.*line \([0-9]*\).*/\1/p' | head -n 1)
    if [ -n "$ligne" ]; then
      echo "  expected line $ligne:"
      sed -n "${ligne}p" "$cas.out" | cat -A | sed 's/^/    /' | cut -c1-300
      echo "  printed line $ligne:"
      sed -n "${ligne}p" "$obtenu" | cat -A | sed 's/^/    /' | cut -c1-300
    fi
    exit 1
  fi
  if [ "$rc" != "$attendu_rc" ]; then
    echo "FAIL $(basename "$cas") ($passage): exit status $rc, expected $attendu_rc"
    exit 1
  fi
done
echo "ok $(basename "$cas")"
