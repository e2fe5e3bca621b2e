#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The floors of the tree, drawn by its includes: main on top, then the
# dialogues (items), then the terminal (shell) beside the cores (sums,
# fraction, euler, factor), then commun at the ground. Prints every include
# that runs back up and fails if there is one.
#   bash scripts/verifier_etages.sh [SOURCES]   (default: src beside this script)
set -u
src=${1:-$(dirname "$0")/../src}
fautes=0

# interdit DOSSIER MOTIF: the includes of DOSSIER's files that match MOTIF.
interdit() {
  local lignes
  lignes=$(grep -rnE "^#include \"($2)/" "$src/$1" --include='*.h' --include='*.cpp' 2>/dev/null | grep -v "^$src/shell/main.cpp:")
  if [ -n "$lignes" ]; then
    echo "$lignes" | sed "s#^$src/#src/#"
    fautes=$((fautes + $(echo "$lignes" | wc -l)))
  fi
}

interdit commun 'sums|fraction|euler|factor|shell|items'
for coeur in sums fraction euler factor; do interdit "$coeur" 'shell|items'; done
interdit factor 'sums|fraction|euler'
interdit shell 'sums|fraction|euler|factor|items'
# Only main includes the dialogues, and only the menu of them.
if ! grep -q '^#include "items/menu.h"' "$src/shell/main.cpp"; then
  echo "src/shell/main.cpp: the menu is not included" >&2
  fautes=$((fautes + 1))
fi

if [ "$fautes" -gt 0 ]; then
  echo "$fautes include(s) running back up" >&2
  exit 1
fi
echo "floors: no include runs back up"
