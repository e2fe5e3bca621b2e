#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The memory estimated for exact sums beside the peak measured: for each
# request (level 3, fraction not reduced), the estimate of its last stage
# (bench/estimation.cpp, the program's own function) and the peak resident
# memory of the program (GNU time's maximum RSS, the largest of the program
# and its children) less that of an idle program; their ratio should stay
# between 0.5 and 2.
#   bash bench/memoire.sh          N = 10^5 to 10^7
#   bash bench/memoire.sh quick    N = 10^5 to 3 10^6
export HARMONIQUES_CACHE=non  # every run computes from nothing
set -u
mode=${1:-}
cd "$(dirname "$0")/.."
exe=$PWD/build/harmoniques
[ -x "$exe" ] || { echo "build first: cmake -S . -B build && cmake --build build -j2"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -O2 -std=c++17 -Isrc bench/estimation.cpp -o "$tmp/estimation" build/libharmo_core.a \
  -lntl -lflint-arb -lflint -lpari -lecm -lmpfr -lgmp -lpthread || exit 1

pic() {  # peak MB of the program on the answers $1, less the idle program's
  /usr/bin/time -f "%M" -o "$tmp/t" sh -c "printf '%s' '$1' | $exe > /dev/null" 2>/dev/null
  awk -v k="$(tail -n 1 "$tmp/t")" -v b="$base" 'BEGIN { printf "%.1f", (k - b) / 1024 }'
}
/usr/bin/time -f "%M" -o "$tmp/t" sh -c "printf 0 | $exe > /dev/null"
base=$(tail -n 1 "$tmp/t")

tailles="100000 1000000 3000000 10000000"
[ "$mode" = quick ] && tailles="100000 1000000 3000000"
printf '%-8s %-6s %-9s %-12s %10s %10s %6s %s\n' parite somme N etapes estime_Mo mesure_Mo ratio route
for N in $tailles; do
  for parite in 0 1 2; do
    n=$N
    [ "$parite" = 1 ] && n=$((N - 1))
    moitie=$((n / 2))
    [ "$parite" = 1 ] && [ $((moitie % 2)) = 0 ] && moitie=$((moitie + 1))
    [ "$parite" = 2 ] && [ $((moitie % 2)) = 1 ] && moitie=$((moitie + 1))
    for somme in - 9 42 314; do
      if [ "$somme" = - ]; then kempner=0; genre="2"; else kempner=1; genre="1 ${#somme} $(echo "$somme" | sed 's/./& /g')"; fi
      for etapes in "$n" "$moitie $n"; do
        set -- $etapes
        if [ $# = 1 ]; then reponses="1 $parite $n $genre 3 20 1000 0 0 0 0"
        else reponses="1 $parite $moitie $genre 3 20 1000 0 1 $n 1000 0 0 0 0"; fi
        ligne=$("$tmp/estimation" "$parite" "$kempner" "$somme" $etapes | tail -n 1)
        estime=${ligne%% *}
        route=${ligne##* }
        mesure=$(pic "$reponses")
        ratio=$(awk -v a="$estime" -v b="$mesure" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
        printf '%-8s %-6s %-9s %-12s %10s %10s %6s %s\n' "$parite" "$somme" "$n" "$(echo $etapes | tr ' ' '>')" "$estime" "$mesure" "$ratio" "$route"
      done
    done
  done
done

# Level 2 by its certified sums (digamma; the moments of a Kempner sum).
printf '\n%-8s %-6s %-17s %-8s %10s %10s %6s\n' parite somme N chiffres estime_Mo mesure_Mo ratio
cas2="0 - 3000000 10000|0 - 3000000 30000|0 - 10000000000 100000|0 - 1000000000000000 100000|2 - 1000000000000000 100000|0 9 100000000000 1000|0 9 100000000000 3000"
[ "$mode" = quick ] || cas2="$cas2|0 - 3000000 100000|0 - 1000000000000000 300000"
IFS='|'
for c in $cas2; do
  IFS=' ' read -r parite somme N chiffres <<< "$c"
  if [ "$somme" = - ]; then kempner=0; genre="2"; else kempner=1; genre="1 ${#somme} $(echo "$somme" | sed 's/./& /g')"; fi
  estime=$("$tmp/estimation" "$((-1 - parite))" "$kempner" "$somme" "$N" "$chiffres" | cut -d' ' -f1)
  mesure=$(pic "1 $parite $N $genre 2 $chiffres 0 0 0")
  ratio=$(awk -v a="$estime" -v b="$mesure" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf '%-8s %-6s %-17s %-8s %10s %10s %6s\n' "$parite" "$somme" "$N" "$chiffres" "$estime" "$mesure" "$ratio"
done
