#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from a build folder and checks what it holds: the
# program, the manual page, the licence as the copyright file, a Depends
# computed from the libraries. With --installer it then installs it through
# apt-get, runs the installed program (--version and one piped dialogue) and
# removes it; when a harmoniques is installed already, that trial is skipped.
# Usage: bash scripts/paquet_debian.sh BUILD_FOLDER [--installer]
set -eu
build=$(cd "$1" && pwd)
installer=${2:-}
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
cd "$build"
rm -f harmoniques_*.deb
cpack -G DEB > cpack.log
deb=harmoniques_$(dpkg-deb -f "$(ls harmoniques_*.deb)" Version)_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "pas de paquet $deb : $(ls harmoniques_*.deb)" >&2; exit 1; }
contenu=$(dpkg-deb -c "$deb")
for f in ./usr/bin/harmoniques ./usr/share/man/man1/harmoniques.1.gz ./usr/share/doc/harmoniques/copyright; do
  grep -q " $f\$" <<< "$contenu" || { echo "le paquet n'a pas $f" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
# The names of the packages depended on, exactly (libflint17 is not libflint-arb2).
noms=$(tr ',|' '\n\n' <<< "$depends" | sed -E 's/\(.*//; s/[[:space:]]//g')
for lib in 'libntl[0-9]+' 'libgmp[0-9]+' 'libmpfr[0-9]+' 'libflint[0-9]+' 'libflint-arb[0-9]+' 'libpari-.+' \
           'libecm[0-9]+' 'libreadline[0-9]+'; do
  grep -Eqx "$lib" <<< "$noms" || { echo "Depends sans $lib : $depends" >&2; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Section)" = math ] || { echo "section : $(dpkg-deb -f "$deb" Section)" >&2; exit 1; }
echo "paquet $deb : programme, manuel, copyright ; Depends : $depends"
if [ "$installer" = --installer ]; then
  # A harmoniques installed before stays as it is: no trial over it.
  if dpkg -s harmoniques > /dev/null 2>&1; then
    echo "harmoniques est deja installe : essai d'installation saute"
    exit 0
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "./$deb" > apt.log
  /usr/bin/harmoniques --version
  printf '1 0 10 2 3 20 3 1 1 0 0 0' | /usr/bin/harmoniques | grep -q "H(10) = P/Q  =  7381 / 2520 . " \
    || { echo "le programme installe ne donne pas H(10)" >&2; exit 1; }
  [ -f /usr/share/man/man1/harmoniques.1.gz ] || { echo "manuel non installe" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y harmoniques > /dev/null
  echo "paquet installe, essaye et retire"
fi
