#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program as processors without AVX-512 run it, under qemu-user: -cpu
# Haswell offers AVX2 and FMA, no AVX-512; -cpu qemu64 neither AVX nor
# SSE4. Each must choose its own instruction set (--version says which),
# never reach an instruction it lacks (qemu stops on one: SIGILL), and find
# the same relations (the sieve's unit tests, which compare every set the
# processor offers with the one-by-one kernels).
#   bash scripts/verifier_sans_avx512.sh [BUILD]          the sieve's unit tests (CI runs it)
#   bash scripts/verifier_sans_avx512.sh BUILD complet     and H(170)'s factorisation, whose
#                                                         74-digit cofactor reaches the sieve,
#                                                         compared with the native run
# Installs qemu-user through apt-get when missing.
set -u
cd "$(dirname "$0")/.."
build=${1:-build}
mode=${2:-}
if ! command -v qemu-x86_64 >/dev/null; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends qemu-user >/dev/null
fi
echecs=0
n=0
echec() { echo "ECHEC : $*" >&2; echecs=$((echecs + 1)); }
reponses='1 0 170 2 3 20 3 1 1 0 0 0'
[ "$mode" = complet ] && attendu=$(printf '%s' "$reponses" | "$build/harmoniques" 2>/dev/null)
for cpu in Haswell:avx2 qemu64:generic; do
  modele=${cpu%%:*}
  jeu=${cpu##*:}
  n=$((n + 1))
  vu=$(qemu-x86_64 -cpu "$modele" "$build/harmoniques" --version 2>/dev/null | sed -n 's/^Instructions du crible : \([a-z0-9]*\) .*/\1/p')
  [ "$vu" = "$jeu" ] || echec "-cpu $modele : jeu $vu au lieu de $jeu"
  n=$((n + 1))
  qemu-x86_64 -cpu "$modele" "$build/tests/tests_unitaires" --gtest_filter='CribleQuadratique.*-*Interruption*' \
    --gtest_brief=1 > /dev/null 2>&1 || echec "-cpu $modele : tests du crible"
  if [ "$mode" = complet ]; then
    n=$((n + 1))
    debut=$(date +%s)
    obtenu=$(printf '%s' "$reponses" | qemu-x86_64 -cpu "$modele" "$build/harmoniques" 2>/dev/null)
    [ "$obtenu" = "$attendu" ] || echec "-cpu $modele : H(170) differe"
    echo "-cpu $modele ($jeu) : H(170) en $(($(date +%s) - debut)) s"
  fi
done
echo "sans AVX-512, sous qemu : $((n - echecs)) passed, $echecs failed"
exit $((echecs > 0))
