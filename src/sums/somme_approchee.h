// SPDX-License-Identifier: GPL-3.0-or-later
// Level 2 of menu item 1: the value that the term-by-term sum prints, for
// stages of any length.
//
// The term-by-term sum rounds each 1/n and each addition to nearest at the
// stage precision p; its value tau is what the program prints (NTL's text of
// an RR at the output precision). Adding M positive terms to a start x that
// way gives, with u = 2^-p (recursive summation, C.-P. Jeannerod and
// S. M. Rump, SIAM J. Matrix Anal. Appl. 34 (2013) 338-344, and the rounding
// of each quotient):
//     |tau - (x + S)| <= M u (x + (1 + u) S) + u S <= (M + 1) u (1 + u) (x + S),
// S the exact sum of the stage's terms. Short stages (up to a million terms)
// are summed term by term, as the definition says. A longer one takes its
// exact sum S as a certified ball (sums/harmonique_digamma.h,
// sums/kempner_partielle.h) and yields an interval [bas, haut] that holds
// tau; when the p-bit numbers at both ends of it are in the same binade and
// NTL writes them alike, every p-bit number between them is written so too
// (NTL's writing is monotone along one binade: the same scalings and
// roundings), and that is the text. When they differ (about one request in
// 10^5), the stage is summed term by term if that is possible within
// seconds; otherwise the text is that of the middle of the interval rounded
// to p bits, whose last digit may then differ from the term-by-term sum's.
// Later stages start from the interval.
#pragma once

#include "commun/etat.h"
#include "sums/etape.h"

#include <NTL/RR.h>

#include <string>

namespace harmo {

// Raised when no route can give the stage's text within the machine: the
// certified sum would need octets bytes and the term-by-term sum would last
// for days.
struct CalculTropGrand {
    double octets;
};

// The memory of the stage's certified sum (digamma, or the moments of a
// Kempner sum) at output precision sortie, as the route's choice estimates it.
double octetsDeLaSommeCertifiee(const Etape& t, long sortie);

// How a stage's text was found.
enum class Route { termeATerme, encadrement, milieu };

// Adds the stage's terms (gardes of them) at p bits to the running sum, whose
// value is res when s.exacte; leaves in res the term-by-term value when it is
// known, a p-bit value of the interval otherwise, and returns the text that
// NTL writes for the term-by-term value at output precision sortie. While
// the value is known exactly, stages of at most a million terms, or whose
// term-by-term sum is estimated cheaper, are summed term by term; the tests
// force the interval with forcer. Certified sums that may last are computed
// in a child process, which an interrupt abandons at once.
std::string etapeApprochee(const Etape& t, const NTL::ZZ& gardes, long p, long sortie, NTL::RR& res,
                           SommeApprochee& s, Route* route = nullptr, bool forcer = false);

}  // namespace harmo
