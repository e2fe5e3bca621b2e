#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on arm64, from this x86-64 machine, without touching its own
# packages (Debian 12's libntl-dev, libflint-dev and libflint-arb-dev are not
# multi-arch: their :arm64 versions would remove the amd64 ones).
#   bash scripts/verifier_arm64.sh syntaxe   every source and unit test through the arm64
#                                            compiler, warnings as errors (seconds; CI runs it):
#                                            what only x86-64 builds is compiled out
#   bash scripts/verifier_arm64.sh complet   a Debian 12 arm64 root (debootstrap, first stage:
#                                            its packages unpacked, nothing run) in DOSSIER
#                                            (build-arm64/), the program cross-built against
#                                            it, then the unit tests and end-to-end transcripts
#                                            (CAS) run under qemu-aarch64
# Installs g++-aarch64-linux-gnu, qemu-user and debootstrap through apt-get when missing.
set -eu
cd "$(dirname "$0")/.."
mode=${1:-syntaxe}
manquants=""
for p in g++-aarch64-linux-gnu qemu-user debootstrap; do
  dpkg -s "$p" >/dev/null 2>&1 || manquants="$manquants $p"
done
if [ -n "$manquants" ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $manquants >/dev/null
fi

if [ "$mode" = syntaxe ]; then
  # The headers that differ between architectures (GMP's, PARI's
  # configuration) taken from amd64: both are LP64 with 64-bit limbs, and
  # nothing is compiled to code.
  inc=$(mktemp -d)
  trap 'rm -rf "$inc"' EXIT
  mkdir "$inc/pari"
  ln -s /usr/include/x86_64-linux-gnu/gmp.h "$inc/gmp.h"
  ln -s /usr/include/pari/* "$inc/pari/"
  ln -sf /usr/include/x86_64-linux-gnu/pari/* "$inc/pari/"
  echecs=0
  n=0
  for f in src/*/*.cpp tests/unit/*.cpp; do
    n=$((n + 1))
    aarch64-linux-gnu-g++ -std=c++17 -fsyntax-only -Wall -Wextra -Werror -Wno-psabi -Isrc -Itests -isystem "$inc" \
      -isystem /usr/include/flint -DHARMONIQUES_VERSION='"arm64"' "$f" || { echo "ECHEC : $f" >&2; echecs=$((echecs + 1)); }
  done
  echo "arm64, syntaxe : $((n - echecs)) passed, $echecs failed"
  exit $((echecs > 0))
fi

[ "$mode" = complet ] || { echo "usage : verifier_arm64.sh [syntaxe | complet]" >&2; exit 2; }
dossier=$(realpath -m "${DOSSIER:-build-arm64}")
racine=$dossier/racine
if [ ! -f "$racine/usr/include/NTL/ZZ.h" ]; then
  debootstrap --foreign --arch=arm64 --variant=minbase \
    --include=libntl-dev,libgmp-dev,libmpfr-dev,libflint-dev,libflint-arb-dev,libpari-dev,libecm-dev,libreadline-dev,libgtest-dev,libstdc++-12-dev,libc6-dev \
    bookworm "$racine" http://deb.debian.org/debian >/dev/null
  # The first stage unpacks the base only: the rest is unpacked here, and
  # the absolute links made to point inside the root.
  for d in "$racine"/var/cache/apt/archives/*.deb; do dpkg-deb -x "$d" "$racine"; done
  find "$racine/usr/lib" -type l -lname '/*' | while read -r l; do ln -sfn "$racine$(readlink "$l")" "$l"; done
fi
cmake -S . -B "$dossier/build" -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/arm64.cmake" -DRACINE="$racine" -DHARMONIQUES_WERROR=ON >/dev/null
cmake --build "$dossier/build" -j2 >/dev/null
file "$dossier/build/harmoniques"
# The unit tests (through the emulator CMake was given). Left out: the
# tests that drive the program as a process or on a terminal (they exec it
# directly, which needs binfmt_misc), and four that watch what qemu-user
# itself changes: the threads of the process (qemu adds its own), limits of
# address space (qemu does not pass RLIMIT_AS on), and the end of a child
# killed while it factors (qemu reports status 127).
sous_qemu='Processus|Terminal|CribleQuadratique.UneInterruptionArreteChaqueFil|Memoire.LaLimiteDEspaceAdresseCompteCeQuiEstDejaPris'
sous_qemu="$sous_qemu|Signaux.LesEchecsDUnFilsSontDitsTelsQuIls|Decomp.InterrompueDonneLesPremiersTrouvesEtLaTailleDuReste"
ctest --test-dir "$dossier/build" -R '^[A-Z][A-Za-z]*\.' -E "^($sous_qemu)" -j2 --timeout 1800
# End-to-end transcripts through a wrapper that starts the program under qemu.
enveloppe=$dossier/harmoniques
printf '#!/bin/sh\nexec qemu-aarch64 -L "%s" "%s" "$@"\n' "$racine" "$dossier/build/harmoniques" > "$enveloppe"
chmod +x "$enveloppe"
echecs=0
n=0
for c in ${CAS:-$(cd tests/e2e/cases && ls -- *.out | sed "s/\\.out$//")}; do
  n=$((n + 1))
  bash tests/e2e/run_transcript.sh "$enveloppe" "tests/e2e/cases/$c" >/dev/null 2>&1 || { echo "ECHEC : $c" >&2; echecs=$((echecs + 1)); }
done
echo "arm64, transcriptions : $((n - echecs)) passed, $echecs failed"
exit $((echecs > 0))
