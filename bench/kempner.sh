#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Exact Kempner sums at level 3 against the exact harmonic sum of the same
# parity up to the same N, in the same run: each pair alternated three times,
# medians of the wall and CPU seconds, and their ratios.
#   bash bench/kempner.sh          N = 10^7, then 3 * 10^7 without 42
#   bash bench/kempner.sh quick    N = 10^6
export HARMONIQUES_CACHE=non  # every run computes from nothing
set -u
cd "$(dirname "$0")/.."
exe=$PWD/build/harmoniques
[ -x "$exe" ] || { echo "build first: cmake -S . -B build && cmake --build build -j2"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mediane() { sort -g | sed -n 2p; }
# wall and CPU (user + sys) seconds of the answers $1
mesure() {
  /usr/bin/time -f "%e %U %S" -o "$tmp/t" sh -c "printf '%s' '$1' | '$exe' > /dev/null"
  tail -n 1 "$tmp/t" | awk '{ printf "%s %.2f\n", $1, $2 + $3 }'
}
paire() {  # $1 label, $2 Kempner answers, $3 harmonic answers
  : > "$tmp/k"; : > "$tmp/h"
  for i in 1 2 3; do mesure "$2" >> "$tmp/k"; mesure "$3" >> "$tmp/h"; done
  local kw kc hw hc
  kw=$(cut -d' ' -f1 "$tmp/k" | mediane); kc=$(cut -d' ' -f2 "$tmp/k" | mediane)
  hw=$(cut -d' ' -f1 "$tmp/h" | mediane); hc=$(cut -d' ' -f2 "$tmp/h" | mediane)
  printf '%-34s %7s %7s %7s %7s %6.2f %6.2f\n' "$1" "$kw" "$kc" "$hw" "$hc" \
    "$(echo "$kw / $hw" | bc -l)" "$(echo "$kc / $hc" | bc -l)"
}
N=10000000
[ "${1:-}" = quick ] && N=1000000
printf '%-34s %7s %7s %7s %7s %6s %6s\n' "sum (level 3, no reduction)" "K wall" "K cpu" "H wall" "H cpu" "wall" "cpu"
for parite in 0 1 2; do
  n=$N; [ "$parite" = 1 ] && n=$((N - 1))
  for seq in 42 314 2024 9; do
    chiffres=$(echo "$seq" | sed 's/./& /g')
    paire "without $seq, parity $parite, N = $n" "1 $parite $n 1 ${#seq} $chiffres 3 20 1000 0 0 0 0" \
          "1 $parite $n 2 3 20 1000 0 0 0 0"
  done
done
if [ "${1:-}" != quick ]; then
  paire "without 42, N = 30000000" "1 0 30000000 1 2 4 2 3 20 1000 0 0 0 0" "1 0 30000000 2 3 20 1000 0 0 0 0"
fi
