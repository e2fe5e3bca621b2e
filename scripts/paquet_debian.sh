#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from a build folder and checks what it holds: the
# program, the manual page, the licence as the copyright file, a Depends
# computed from the libraries. With --installer it then installs it through
# apt-get, runs the installed program (--version and one piped dialogue) and
# removes it.
# Usage: bash scripts/paquet_debian.sh BUILD_FOLDER [--installer]
set -eu
build=$(cd "$1" && pwd)
installer=${2:-}
cd "$build"
rm -f harmoniques_*.deb
cpack -G DEB > cpack.log
deb=$(ls harmoniques_*_amd64.deb)
contenu=$(dpkg-deb -c "$deb")
for f in ./usr/bin/harmoniques ./usr/share/man/man1/harmoniques.1.gz ./usr/share/doc/harmoniques/copyright; do
  grep -q " $f\$" <<< "$contenu" || { echo "le paquet n'a pas $f" >&2; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libntl libgmp libmpfr libflint libpari libreadline; do
  grep -q "$lib" <<< "$depends" || { echo "Depends sans $lib : $depends" >&2; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Section)" = math ] || { echo "section : $(dpkg-deb -f "$deb" Section)" >&2; exit 1; }
echo "paquet $deb : programme, manuel, copyright ; Depends : $depends"
if [ "$installer" = --installer ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" > apt.log
  /usr/bin/harmoniques --version
  printf '1 0 10 2 3 20 3 1 1 0 0 0' | /usr/bin/harmoniques | grep -q "H(10) = P/Q  =  7381 / 2520 . " \
    || { echo "le programme installe ne donne pas H(10)" >&2; exit 1; }
  [ -f /usr/share/man/man1/harmoniques.1.gz ] || { echo "manuel non installe" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get remove -y harmoniques > /dev/null
  echo "paquet installe, essaye et retire"
fi
