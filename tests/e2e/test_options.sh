#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command line and the manual page: --help and -h, --version and -V (status
# 0, standard output, first line), an unknown argument (status 2, one line on
# standard error naming it), no argument (the dialogue); the manual page
# renders without a warning and documents every option of --help.
# Usage: test_options.sh PROGRAM VERSION MANUAL
set -u
exe=$1
version=$2
manuel=$3
echecs=0
echec() { echo "ECHEC : $*" >&2; echecs=$((echecs + 1)); }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for opt in --help -h; do
  "$exe" "$opt" > "$tmp/out" 2> "$tmp/err" < /dev/null; rc=$?
  [ "$rc" = 0 ] || echec "$opt : statut $rc"
  [ "$(head -n 1 "$tmp/out")" = "Usage : harmoniques [--help | --version]" ] || echec "$opt : premiere ligne $(head -n 1 "$tmp/out")"
  [ -s "$tmp/err" ] && echec "$opt : sortie d'erreur non vide"
  grep -q "printf '1 0 10 2 3 20 3 1 1 0 0 0' | harmoniques" "$tmp/out" || echec "$opt : pas d'exemple de tube"
done
cmp -s <("$exe" --help) <("$exe" -h) || echec "-h et --help different"

for opt in --version -V; do
  "$exe" "$opt" > "$tmp/out" 2> "$tmp/err" < /dev/null; rc=$?
  [ "$rc" = 0 ] || echec "$opt : statut $rc"
  [ "$(head -n 1 "$tmp/out")" = "harmoniques $version" ] || echec "$opt : premiere ligne $(head -n 1 "$tmp/out")"
  for lib in NTL GMP MPFR FLINT Arb PARI; do grep -q "$lib [0-9]" "$tmp/out" || echec "$opt : pas de version de $lib"; done
  grep -q "GPL-3.0-or-later" "$tmp/out" || echec "$opt : pas de licence"
  [ -s "$tmp/err" ] && echec "$opt : sortie d'erreur non vide"
done

# An output that cannot be written: status 1 and one line on standard error.
for opt in --help --version; do
  "$exe" "$opt" > /dev/full 2> "$tmp/err" < /dev/null; rc=$?
  [ "$rc" = 1 ] || echec "$opt > /dev/full : statut $rc"
  [ "$(wc -l < "$tmp/err")" = 1 ] || echec "$opt > /dev/full : pas une seule ligne d'erreur"
done

for arg in --bogus -x "--help --bogus" fichier; do
  # shellcheck disable=SC2086
  "$exe" $arg > "$tmp/out" 2> "$tmp/err" < /dev/null; rc=$?
  [ "$rc" = 2 ] || echec "$arg : statut $rc"
  [ -s "$tmp/out" ] && echec "$arg : la sortie standard n'est pas vide (le dialogue a commence ?)"
  [ "$(wc -l < "$tmp/err")" = 1 ] || echec "$arg : pas une seule ligne d'erreur"
  grep -q -- "--help" "$tmp/err" || echec "$arg : l'erreur ne renvoie pas a --help"
done
"$exe" --bogus 2>&1 | grep -q -- "--bogus" || echec "--bogus n'est pas nomme"

printf '0' | "$exe" > "$tmp/out"; rc=$?
[ "$rc" = 1 ] || echec "sans argument : statut $rc"
grep -q "Quel est votre choix" "$tmp/out" || echec "sans argument : pas de menu"

# HARMONIQUES_ISA: --version names the set used, never above the processor's;
# an unknown value costs one line on standard error, and the program works.
proc=$("$exe" --version | sed -n 's/^Instructions du crible : .* (processeur : \(.*\))$/\1/p')
[ -n "$proc" ] || echec "--version ne dit pas le jeu d'instructions"
jeu=$(HARMONIQUES_ISA=generic "$exe" --version | sed -n 's/^Instructions du crible : \([a-z0-9]*\) .*/\1/p')
[ "$jeu" = generic ] || echec "HARMONIQUES_ISA=generic : jeu $jeu"
printf '0' | HARMONIQUES_ISA=sse9 "$exe" > "$tmp/out" 2> "$tmp/err"; rc=$?
[ "$rc" = 1 ] || echec "HARMONIQUES_ISA inconnu : statut $rc"
grep -q "Quel est votre choix" "$tmp/out" || echec "HARMONIQUES_ISA inconnu : pas de menu"
[ "$(wc -l < "$tmp/err")" = 1 ] && grep -q "HARMONIQUES_ISA=sse9" "$tmp/err" || echec "HARMONIQUES_ISA inconnu : pas une ligne d'erreur"
cmp -s "$tmp/out" <(printf '0' | "$exe" 2>/dev/null) || echec "HARMONIQUES_ISA inconnu : un autre dialogue"
for section in ENVIRONNEMENT; do
  grep -qx ".SH $section" "$manuel" || echec "le manuel n'a pas la section $section"
done

# The manual page.
avertissements=$(groff -man -ww -z "$manuel" 2>&1)
[ -z "$avertissements" ] || echec "groff : $avertissements"
for opt in $("$exe" --help | grep -oE '^  -[A-Za-z], --[a-z]+' | tr -d ','); do
  grep -qF -- "$(printf '%s' "$opt" | sed 's/-/\\-/g')" "$manuel" || echec "le manuel ne parle pas de $opt"
done
for section in NOM SYNOPSIS DESCRIPTION OPTIONS '"REPONSES PAR UN TUBE"' INTERRUPTION '"CODE DE RETOUR"' FICHIERS LIMITES EXEMPLES '"VOIR AUSSI"'; do
  grep -qx ".SH $section" "$manuel" || echec "le manuel n'a pas la section $section"
done

if [ "$echecs" = 0 ]; then echo "options et manuel : tout est bon"; fi
exit $((echecs > 0))
