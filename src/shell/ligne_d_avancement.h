// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the progress line in the columns there are: what matters
// first. The figures by rank, the share done ("13 %"), the time left
// ("encore 40 s"), the time spent ("6 s"), then the words, from the longest
// ("factorisation de P : crible quadratique sur 74 chiffres, 2 premiers
// trouves") to the shortest ("crible 74 chiffres") to none. A word is never
// cut: a shorter wording, or none, takes its place, and a figure goes only
// when no wording leaves it room, the last ranked first.
#pragma once

#include "commun/suivi.h"

#include <string>

namespace harmo {

// a as it shows in at most place columns (one byte a column: the texts are
// ASCII), the task's time spent ecouleMs and its time left restant (seconds,
// < 0 when not known); empty when not even the first figure fits.
std::string ligneDAvancement(const Avancement& a, long long ecouleMs, double restant, int place);

// "12 s", "2 min 05 s", "1 h 02 min".
std::string duree(long long millisecondes);
// The time left as a person would say it: "40 s", "3 min", "2 h 10 min".
std::string dureeRestante(double secondes);

// The time left of a phase from its share done and the time it has run,
// when the share is known and has moved enough to tell (< 0 otherwise):
// what is left at the pace so far.
double resteAuRythme(double part, double secondesDeLaPhase);

}  // namespace harmo
