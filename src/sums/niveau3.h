// SPDX-License-Identifier: GPL-3.0-or-later
// Level 3 of menu item 1: the exact sum of a stage and the lowest terms of
// the whole sum, after a check that they fit in memory; large ones in a child
// process (commun/enfant.h), which Ctrl-C abandons at once, small ones in
// place, where their loops answer it.
#pragma once

#include "sums/etape.h"

#include <NTL/RR.h>

#include <string>

namespace harmo {

// Raised when a stage's exact sum would not fit in the machine (or its
// computation failed): chiffres, about the digits of its denominator.
struct SommeTropGrande {
    NTL::ZZ chiffres;
};

// total = the whole sum after the stage t, from the sum before it (see
// sommeExacteApres); res = its value rounded at p bits (valeurDeLaFraction).
void sommeExacteAPart(const Etape& t, Fraction& total, bool& reduite, NTL::RR& res, long p);

// total in lowest terms (unless already reduite) and the decimal texts of
// its numerator and denominator; pgcd = the gcd taken (Kempner sums).
void fractionReduiteAPart(const Etape& t, Fraction& total, bool reduite, NTL::ZZ& pgcd, std::string& texteP,
                          std::string& texteQ);

}  // namespace harmo
