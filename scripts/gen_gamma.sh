#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates data/gamma_170000.txt, the decimals embedded in the program.
set -eu
cd "$(dirname "$0")/.."
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cc -O2 scripts/gen_gamma.c -o "$tmp/gen_gamma" -lmpfr -lgmp
"$tmp/gen_gamma" 170000 > data/gamma_170000.txt
echo "data/gamma_170000.txt: $(wc -c < data/gamma_170000.txt) digits, starting $(head -c 31 data/gamma_170000.txt)"
