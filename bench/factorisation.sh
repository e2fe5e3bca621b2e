#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Factorisations of hard composites: the parts of 63 to 89 digits without
# small primes that the numerators of H(n) leave, and balanced semiprimes,
# each by PARI's Z_factor alone and by the program's engine, alternated in
# the same run, wall and CPU seconds (GNU time, children included) and the
# ratio of the wall times; each run stopped after LIMITE seconds (300).
#   bash bench/factorisation.sh            H(163), H(170), H(186), H(193); 60, 70, 80 digits
#   bash bench/factorisation.sh quick      H(163), H(186); 60 and 70 digits
#   bash bench/factorisation.sh crible     the quadratic sieve alone (one factor) beside PARI:
#                                          H(170); 60, 70 and 80 digits
#   bash bench/factorisation.sh tous       the engine alone on the whole numerator of
#                                          H(n), n = 2..200 (NMIN..NMAX): its digits, those of
#                                          the largest part sieved, wall, CPU
#   bash bench/factorisation.sh lanczos    the engine's block Lanczos beside FLINT's on a
#                                          matrix shaped like the sieve's at 85 digits (LIGNES)
#   bash bench/factorisation.sh remplissage  the bucket fill alone on each instruction set
#                                          (bench/remplissage.cpp), H(193)'s base
#   bash bench/factorisation.sh reprise    the sieve alone on H(193) (CAS): once to its end, once
#                                          killed at half that time and run again from its
#                                          relations (the cache in a temporary folder); total
#                                          wall time against the uninterrupted one
#   bash bench/factorisation.sh isa        the sieve alone under each HARMONIQUES_ISA the
#                                          processor offers, alternated (TOURS rounds): H(170),
#                                          H(186), H(193), 70 digits (CAS); ratio to the widest
#   bash bench/factorisation.sh cote       the same, each set side by side with the widest, one
#                                          core each (the machine's noise shared by both)
set -u
mode=${1:-}
cd "$(dirname "$0")/.."
[ -f build/libharmo_core.a ] || { echo "build first: cmake -S . -B build && cmake --build build -j2"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -O2 -std=c++17 -Isrc bench/factorisation.cpp -o "$tmp/factorisation" build/libharmo_core.a \
  -lntl -lflint-arb -lflint -lpari -lecm -lmpfr -lgmp -lpthread || exit 1
limite=${LIMITE:-300}
export HARMONIQUES_CACHE=non  # every run from nothing (the resume's runs set their own cache)
if [ "$mode" = reprise ]; then
  c=${CAS:-h193}
  unset HARMONIQUES_CACHE
  export XDG_CACHE_HOME="$tmp/cache"
  mur() { awk '{ printf "%.1f", $1 }' < <(tail -n 1 "$tmp/t"); }
  /usr/bin/time -f "%e %U %S" -o "$tmp/t" "$tmp/factorisation" crible "$c" > "$tmp/entier.out" 2>/dev/null
  entier=$(mur)
  rm -rf "$XDG_CACHE_HOME"
  moitie=$(awk -v t="$entier" 'BEGIN { printf "%.1f", t / 2 }')
  /usr/bin/time -f "%e %U %S" -o "$tmp/t" timeout -s KILL "$moitie" "$tmp/factorisation" crible "$c" > /dev/null 2>&1
  avant=$(mur)
  journal=$(du -sh "$XDG_CACHE_HOME/harmoniques/releves" 2>/dev/null | cut -f1)
  /usr/bin/time -f "%e %U %S" -o "$tmp/t" "$tmp/factorisation" crible "$c" > "$tmp/repris.out" 2>/dev/null
  apres=$(mur)
  reste=$(ls -A "$XDG_CACHE_HOME/harmoniques/releves" | wc -l)
  printf '%s (%s) : sans arret %s s ; arrete a %s s (journal %s), repris en %s s ; total %s, rapport %s ; journaux restants %s\n' \
    "$c" "$(cut -d' ' -f1 "$tmp/entier.out")" "$entier" "$avant" "$journal" "$apres" \
    "$(awk -v a="$avant" -v b="$apres" 'BEGIN { printf "%.1f", a + b }')" \
    "$(awk -v a="$avant" -v b="$apres" -v t="$entier" 'BEGIN { printf "%.2f", (a + b) / t }')" "$reste"
  cmp -s <(cut -d' ' -f1 "$tmp/entier.out") <(cut -d' ' -f1 "$tmp/repris.out") || echo "DIFFERENTS"
  exit 0
fi
if [ "$mode" = lanczos ]; then
  g++ -O2 -std=c++17 -Isrc bench/lanczos.cpp -o "$tmp/lanczos" build/libharmo_core.a \
    -lntl -lflint-arb -lflint -lpari -lecm -lmpfr -lgmp -lpthread || exit 1
  "$tmp/lanczos" "${LIGNES:-47000}"
  exit 0
fi
if [ "$mode" = remplissage ]; then
  g++ -O2 -std=c++17 -Isrc bench/remplissage.cpp -o "$tmp/remplissage" build/libharmo_core.a \
    -lntl -lflint-arb -lflint -lpari -lecm -lmpfr -lgmp -lpthread || exit 1
  "$tmp/remplissage"
  exit 0
fi
if [ "$mode" = tous ]; then
  printf '%-5s %8s %7s %10s %10s\n' n chiffres crible mur CPU
  pire=0
  for n in $(seq "${NMIN:-2}" "${NMAX:-200}"); do
    /usr/bin/time -f "%e %U %S" -o "$tmp/t" timeout "$limite" "$tmp/factorisation" entier "H$n" > "$tmp/e.out" 2>/dev/null
    rc=$?
    chiffres=$(cut -d' ' -f1 "$tmp/e.out" | tr -d C)
    crible=$(cut -d' ' -f2 "$tmp/e.out" | tr -d C)
    if [ "$rc" = 124 ]; then mur="> $limite"; cpu="-"; else read -r mur u s < <(tail -n 1 "$tmp/t"); cpu=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.1f", u + s }'); fi
    printf '%-5s %8s %7s %10s %10s\n' "$n" "$chiffres" "${crible:--}" "$mur" "$cpu"
    [ "$rc" = 124 ] && pire=$limite
    pire=$(awk -v a="$pire" -v b="${mur#> }" 'BEGIN { print (b > a ? b : a) }')
  done
  echo "le plus long : $pire s"
  exit 0
fi
if [ "$mode" = isa ]; then
  jeux=$("$tmp/factorisation" jeux | tr '\n' ' ')
  premier=${jeux%% *}
  printf '%-6s %-5s' cas taille
  for j in $jeux; do printf ' %16s %7s' "$j mur/CPU" rapport; done
  printf '\n'
  for c in ${CAS:-h170 h186 h193 s70}; do
    for tour in $(seq 1 "${TOURS:-1}"); do
      ligne="" ; reference="" ; taille=""
      for j in $jeux; do
        /usr/bin/time -f "%e %U %S" -o "$tmp/t" env HARMONIQUES_ISA="$j" timeout "$limite" "$tmp/factorisation" crible "$c" > "$tmp/$j.out" 2>/dev/null
        if [ $? = 124 ]; then m="> $limite"; else m=$(awk '{ printf "%.1f %.1f", $1, $2 + $3 }' < <(tail -n 1 "$tmp/t")); fi
        [ -n "$reference" ] || reference=${m%% *}
        [ -n "$taille" ] || taille=$(cut -d' ' -f1 "$tmp/$j.out")
        rapport=$(awk -v a="${m%% *}" -v b="$reference" 'BEGIN { if (a == ">" || b == ">") print "-"; else printf "%.2f", a / b }')
        cmp -s "$tmp/$j.out" "$tmp/$premier.out" || rapport="DIFFERENT"
        ligne="$ligne $(printf '%16s %7s' "$m" "$rapport")"
      done
      printf '%-6s %-5s%s\n' "$c" "$taille" "$ligne"
    done
  done
  exit 0
fi
if [ "$mode" = cote ]; then
  # The widest set and another side by side, each on a core of its own:
  # whatever else the machine runs slows both alike, which alternated
  # runs on both cores do not ensure (ratios from 1.5 to 2.0 for the same
  # code from one run to the next).
  command -v taskset > /dev/null || { echo "taskset missing (util-linux)"; exit 1; }
  jeux=$("$tmp/factorisation" jeux | tr '\n' ' ')
  premier=${jeux%% *}
  printf '%-6s %-5s' cas taille
  for j in ${jeux#"$premier"}; do printf ' %14s %14s %7s' "$premier mur" "$j mur" rapport; done
  printf '\n'
  for c in ${CAS:-h170 h186 h193 s70}; do
    for tour in $(seq 1 "${TOURS:-1}"); do
      ligne="" ; taille=""
      for j in ${jeux#"$premier"}; do
        for k in 0 1; do
          jk=$premier; [ $k = 1 ] && jk=$j
          /usr/bin/time -f "%e" -o "$tmp/t$k" env HARMONIQUES_ISA="$jk" taskset -c $k timeout "$limite" \
            "$tmp/factorisation" crible "$c" > "$tmp/c$k.out" 2>/dev/null &
        done
        wait
        a=$(tail -n 1 "$tmp/t0") ; b=$(tail -n 1 "$tmp/t1")
        [ -n "$taille" ] || taille=$(cut -d' ' -f1 "$tmp/c0.out")
        rapport=$(awk -v a="$b" -v b="$a" 'BEGIN { printf "%.2f", a / b }')
        cmp -s "$tmp/c0.out" "$tmp/c1.out" || rapport="DIFFERENT"
        ligne="$ligne $(printf '%14s %14s %7s' "$a" "$b" "$rapport")"
      done
      printf '%-6s %-5s%s\n' "$c" "$taille" "$ligne"
    done
  done
  exit 0
fi
cas="h163 h170 h186 h193 s60 s70 s80"
[ "$mode" = quick ] && cas="h163 h186 s60 s70"
moteur=moteur
[ "$mode" = crible ] && { cas="h170 s60 s70 s80"; moteur=crible; }

# "wall cpu" of one run, its output in $tmp/$2.out; "> LIMITE" when stopped.
mesure() {
  /usr/bin/time -f "%e %U %S" -o "$tmp/t" timeout "$limite" "$tmp/factorisation" "$1" "$2" > "$tmp/$1.out" 2>/dev/null
  local rc=$?
  if [ "$rc" = 124 ]; then echo "> $limite"; return; fi
  awk '{ printf "%.1f %.1f", $1, $2 + $3 }' < <(tail -n 1 "$tmp/t")
}
printf '%-6s %-5s %16s %16s %8s  %s\n' cas taille "PARI mur/CPU" "moteur mur/CPU" rapport facteurs
for c in $cas; do
  p=$(mesure pari "$c")
  m=$(mesure $moteur "$c")
  [ "$moteur" = moteur ] || cp "$tmp/$moteur.out" "$tmp/moteur.out"
  taille=$(cut -d' ' -f1 "$tmp/moteur.out")
  [ -n "$taille" ] || taille=$(cut -d' ' -f1 "$tmp/pari.out")
  rapport=$(awk -v a="${m%% *}" -v b="${p%% *}" 'BEGIN { if (a == ">" || b == ">") print "-"; else printf "%.2f", a / b }')
  facteurs=$(cut -d: -f2 "$tmp/moteur.out")
  if [ "$moteur" = moteur ] && [ -s "$tmp/pari.out" ] && [ -s "$tmp/moteur.out" ] && ! cmp -s "$tmp/pari.out" "$tmp/moteur.out"; then
    facteurs="DIFFERENTS : $facteurs"
  fi
  printf '%-6s %-5s %16s %16s %8s %s\n' "$c" "$taille" "$p" "$m" "$rapport" "$facteurs"
done
