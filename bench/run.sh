#!/usr/bin/env bash
# Benchmarks of the program, whole process from the first answer to the exit,
# with the reference measured in the same run. Needs a Release build in build/
# and the Debian packages libflint-dev and time (for the peak memory).
#   bash bench/run.sh          all figures
#   bash bench/run.sh quick    without N = 10^7 and the NTL comparison
set -u
cd "$(dirname "$0")/.."
exe=build/harmoniques
lib=build/libharmo_core.a
[ -x "$exe" ] && [ -f "$lib" ] || { echo "build first: cmake -S . -B build && cmake --build build -j2"; exit 1; }
quick=${1:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
flags="-O2 -std=c++17 -Isrc -Itests"
libs="$lib -lntl -lmpfr -lgmp -lpthread"
g++ $flags bench/bench_reconnaissance.cpp $libs -o "$tmp/reconnaissance"
g++ $flags bench/bench_transcendantes.cpp $libs -o "$tmp/transcendantes"
have_flint=0
if gcc -O2 bench/flint_harmonique.c -o "$tmp/flint" -lflint -lgmp 2>/dev/null; then have_flint=1; fi

# seconds (wall) and peak memory of one run of the program on the given answers
run() {
  local answers=$1
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%e %M" -o "$tmp/t" sh -c "printf '%s' '$answers' | $exe > $tmp/out" 2>/dev/null
    read -r sec kb < <(tail -n 1 "$tmp/t")  # the program's exit status 1 adds a line first
    echo "$sec s, $((kb / 1024)) MB"
  else
    local t0=$(date +%s.%N)
    printf '%s' "$answers" | $exe > "$tmp/out"
    echo "$(echo "$(date +%s.%N) - $t0" | bc) s"
  fi
}
secs() { cut -d' ' -f1 <<< "$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== Menu item 1: H(N), level 3, parity 0, packets of 1000, reduced, no factorisation"
for n in 1000000 $([ -z "$quick" ] && echo 10000000); do
  prog=$(run "1 0 $n 2 3 10 1000 1 0 0 0 0")
  line="  N = $n: program $prog"
  if [ $have_flint = 1 ]; then
    /usr/bin/time -f "%e" -o "$tmp/tf" "$tmp/flint" $n > "$tmp/flint.out" 2>/dev/null || true
    fl=$(tail -n 1 "$tmp/tf")
    grep -ao "H($n) = P/Q  =  [0-9]* / [0-9]*" "$tmp/out" | sed 's/.*=  //; s| / |/|' > "$tmp/prog.frac"
    same=$(cmp -s "$tmp/prog.frac" "$tmp/flint.out" && echo "same digits" || echo "DIGITS DIFFER")
    line="$line; FLINT arith_harmonic_number + fmpq_get_str $fl s; ratio $(ratio "$(secs "$prog")" "$fl") ($same)"
  fi
  echo "$line"
done
echo "  N = 10^6, level 2 (10 digits): $(run '1 0 1000000 2 2 10 0 0 0')"
echo "  N = 10^6, level 1: $(run '1 0 1000000 2 1 0 0 0')"
echo "  N = 10^6, Kempner without 9, level 3: $(run '1 0 1000000 1 1 9 3 10 1000 1 0 0 0 0')"

echo "== Menu item 2: is P/Q a harmonic sum? (whole process)"
for f in "13 1 0" "14 1 0" "16 1 0" "8 1 1" "8 1 2"; do
  set -- $f
  echo "  $1/$2 parity $3: $(run "2 $3 $1 $2 0 0")"
done
echo "  reference in the same run, term-by-term subtraction of 11/1: $("$tmp/reconnaissance" 11 1 0 literal)"
echo "  the fast route on 11/1: $("$tmp/reconnaissance" 11 1 0 fast)"

echo "== Menu item 4: H(N) by the expansion"
big=$(printf '1%.0s' $(seq 6000))
echo "  N = 1000, 20 decimals: $(run '4 1000 20 0')"
echo "  N = 10^100, 100 decimals: $(run "4 1$(printf '0%.0s' $(seq 100)) 100 0")"
echo "  N of 6000 digits, 170000 decimals: $(run "4 $big 170000 0")"
echo "== Menu item 5: bracketing H, 170000 decimals asked"
for h in 10 100 10000 391440; do
  echo "  H = $h: $(run "5 $h 170000 0")"
done
if [ -z "$quick" ]; then
  echo "== log, exp, pow: NTL's own and the MPFR route, same values expected"
  "$tmp/transcendantes" 100000
fi
