#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks of the program, whole process from the first answer to the exit,
# each beside a reference measured in the same run (see bench/README.md).
# Needs a Release build in build/, and for the references the Debian packages
# libflint-dev, libpari-dev and time.
#   bash bench/run.sh              everything
#   bash bench/run.sh quick        without the largest cases
# AVANT=<git revision> names the program "before" (built here from that
# revision; default: the last one before the reworks of the exact sums, of
# items 4 and 5 and of level 2); LIMITE=<seconds> stops each factorisation.
export HARMONIQUES_CACHE=non  # every run computes from nothing
set -u
cd "$(dirname "$0")/.."
exe=$PWD/build/harmoniques
[ -x "$exe" ] || { echo "build first: cmake -S . -B build && cmake --build build -j2"; exit 1; }
quick=${1:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
have_flint=0
gcc -O2 bench/flint_harmonique.c -o "$tmp/flint" -lflint -lgmp 2>/dev/null && have_flint=1

# seconds (wall) of one command line run by sh; its standard output into $2
temps() {
  /usr/bin/time -f "%e" -o "$tmp/t" sh -c "$1" > "$2" 2>/dev/null
  tail -n 1 "$tmp/t"
}
# median of three alternated runs of two commands: "a b" (seconds)
alterne() {
  local a=() b=()
  for i in 1 2 3; do
    a+=("$(temps "$1" "$tmp/a.out")")
    b+=("$(temps "$2" "$tmp/b.out")")
  done
  printf '%s %s\n' "$(printf '%s\n' "${a[@]}" | sort -g | sed -n 2p)" "$(printf '%s\n' "${b[@]}" | sort -g | sed -n 2p)"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
prog() { echo "printf '%s' '$1' | $exe"; }

# The program before the reworks, for the references that need it.
avant=${AVANT:-56d3a7d}
old=""
if git rev-parse -q --verify "$avant^{commit}" > /dev/null; then
  git worktree add -q --detach "$tmp/avant" "$avant" 2>/dev/null
  (cmake -S "$tmp/avant" -B "$tmp/avant/build" -DBUILD_TESTING=OFF > /dev/null && cmake --build "$tmp/avant/build" -j2 > /dev/null) 2>&1 | tail -n 3
  old=$tmp/avant/build/harmoniques
  trap 'git worktree remove --force "$tmp/avant" 2>/dev/null; rm -rf "$tmp"' EXIT
fi

echo "== Exact H(N), level 3, parity 0, reduced and written; reference: FLINT arith_harmonic_number + fmpq_get_str"
if [ $have_flint = 1 ]; then
  for n in 1000000 $([ -z "$quick" ] && echo 10000000); do
    read -r p f < <(alterne "$(prog "1 0 $n 2 3 10 1000 1 0 0 0 0")" "$tmp/flint $n")
    grep -ao "H($n) = P/Q  =  [0-9]* / [0-9]*" "$tmp/a.out" | sed 's/.*=  //; s| / |/|' > "$tmp/prog.frac"
    same=$(cmp -s "$tmp/prog.frac" "$tmp/b.out" && echo "same digits" || echo "DIGITS DIFFER")
    echo "  N = $n: program $p s, FLINT $f s, ratio $(ratio "$p" "$f") ($same)"
  done
  read -r p f < <(alterne "$(prog "2 0 16 1 0 0")" "$tmp/flint 4989190")
  echo "  item 2 on 16/1 (H(4989190)): program $p s, FLINT H(4989190) $f s, ratio $(ratio "$p" "$f")"
else
  echo "  (libflint-dev missing: no reference)"
fi

echo "== Items 4 and 5 at 170000 decimals; reference: the program before their rework"
if [ -n "$old" ]; then
  big=1$(printf '0%.0s' $(seq 6000))
  for req in "5 391440 170000 0" "5 10 170000 0" "4 $big 170000 0"; do
    read -r n o < <(alterne "$(prog "$req")" "printf '%s' '$req' | $old")
    same=$(cmp -s "$tmp/a.out" "$tmp/b.out" && echo "same bytes" || echo "BYTES DIFFER")
    echo "  ${req:0:14}...: now $n s, before $o s, $(ratio "$o" "$n") times faster ($same)"
  done
else
  echo "  (revision $avant not found: no reference)"
fi

echo "== Level 2 (approximate value) at any N, whole process, seconds"
if [ -n "$old" ]; then
  t=$(temps "printf '%s' '1 0 10000000 2 2 30 0 0 0' | $old" "$tmp/a.out")
  echo "  reference: the term-by-term sum up to 10^7 at 30 digits (the program before): $t s"
fi
puissance() { printf '1%s' "$(printf '0%.0s' $(seq "$1"))"; }
exposants="12 30 100 1000"
[ -n "$quick" ] && exposants="12 100"
printf '  %-26s' "sum \\ N, digits"
for k in $exposants; do for d in 30 100; do printf '%13s' "10^$k,$d"; done; done; echo
for somme in "0|2|harmonic" "1|2|odd" "2|2|even" "0|1 1 9|no 9" "0|1 2 4 2|no 42" "0|1 6 3 1 4 1 5 9|no 314159" \
             "0|1 9 1 2 3 4 5 6 7 8 9|no 123456789"; do
  IFS='|' read -r par kind nom <<< "$somme"
  printf '  %-26s' "$nom"
  for k in $exposants; do
    N=$(puissance "$k")
    [ "$par" = 1 ] && N=${N%0}1
    for d in 30 100; do
      printf '%13s' "$(temps "printf '%s' '1 $par $N $kind 2 $d 0 0 0' | $exe" "$tmp/a.out")"
    done
  done
  echo
done

echo "== Factorisations of H(n)'s P and Q (level 3, reduced, factorised), whole process; reference: PARI's own Z_factor + isprime"
if gcc -O2 bench/pari_facteurs.c -o "$tmp/pari" -lpari 2>/dev/null; then
  liste="50 60 70 80 90 100 110 120 130 138"
  [ -z "$quick" ] && liste="$(seq 50 200)"
  limite=${LIMITE:-300}  # seconds; a few numerators above 185 take PARI hours
  lents=""
  for n in $liste; do
    p=$(temps "printf '%s' '1 0 $n 2 3 5 10 1 1 0 0 0' | timeout $limite $exe" "$tmp/a.out")
    l=$(timeout "$limite" "$tmp/pari" "$n" 0 || echo "$limite+")
    if [ "${l%+}" != "$l" ]; then
      echo "  n = $n: program $p s, PARI stopped at $limite s"
      continue
    fi
    if [ "$n" -le 138 ]; then
      awk -v p="$p" 'BEGIN { exit !(p >= 1) }' && lents="$lents n=$n:${p}s"
    else
      awk -v p="$p" -v l="$l" 'BEGIN { exit !(p > 1.5 * l + 0.1) }' && lents="$lents n=$n:${p}s/PARI ${l}s"
    fi
    echo "  n = $n: program $p s, PARI $l s"
  done
  echo "  over the goal (n <= 138: 1 s; beyond: 1.5 x PARI):${lents:- none}"
  for cas in "odd up to 99|1 99 2" "odd up to 151|1 151 2" "no 9 up to 80|0 80 1 1 9" "no 7 up to 150|0 150 1 1 7"; do
    IFS='|' read -r nom rep <<< "$cas"
    echo "  $nom: $(temps "printf '%s' '1 $rep 3 5 10 1 1 0 0 0' | $exe" "$tmp/a.out") s"
  done
else
  echo "  (libpari-dev missing: no reference)"
fi
