#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, through apt-get, the Debian packages that the build and the tests need.
set -eu
paquets="g++ cmake make libntl-dev libgmp-dev libmpfr-dev libflint-dev libflint-arb-dev libpari-dev libecm-dev libreadline-dev libgtest-dev groff-base dpkg-dev file"
manquants=""
for p in $paquets; do
  dpkg -s "$p" >/dev/null 2>&1 || manquants="$manquants $p"
done
if [ -n "$manquants" ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $manquants
fi
