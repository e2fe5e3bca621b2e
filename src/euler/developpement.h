// SPDX-License-Identifier: GPL-3.0-or-later
// The steps that menu items 4 and 5 share around the expansion
//     H(N) ~ ln N + gamma + 1/(2N) + T(2) + T(4) + ... + T(k):
// the accuracy the program can reach, the search of the last term, and the
// value of the expansion.
#pragma once

#include "commun/etat.h"
#include "commun/pont_mpfr.h"

namespace harmo {

// Largest number of decimals that items 4 and 5 accept (a larger answer is
// asked again). The constant is stored to 170000 decimals, so nothing past
// that can be exact; the bound keeps the precision below a megabit and the
// printing of each value within seconds.
constexpr long maxDecimales = 200000;

// Floor of an RR as a long, as NTL's conversion gives it.
long plancher(const RR& x);

// p1 = the bits carried by the stored decimals of the constant:
// (l4 + 1) * LN10 / LN2.
void bitsDeLaConstante(Etat& e);

// p3 = -log2 |T(32)| at the N with ln N = lnN:
// (ln(np3 / dp3) + 32 lnN) / LN2, np3 / dp3 the coefficient of T(32).
void bitsDuDernierTerme(Etat& e, const RR& lnN);

// nd1 = the number of exact decimals reachable: floor(pmin * LN2 / LN10),
// through ndeci.
void decimalesAtteignables(Etat& e);

// The tolerance RN_P(dix^-x) at the precision P in force, for comparisons
// |T| > tolerance only. At P bits the power costs up to a second (565,000
// bits); an enclosure [bas, haut] of dix^-x at 256 bits (directed roundings),
// widened by 2^-(P-1) relative to hold the P-bit value too, decides every
// comparison but those of a |T| inside it, for which the P-bit power is
// computed after all. The answers are those of the P-bit comparison.
class Tolerance {
public:
    Tolerance(const RR& dix, const RR& x);
    // |t| > the P-bit tolerance.
    bool depassee(const RR& t);

private:
    RR dix_, moinsX_, exacte_;
    Mpfr bas_, haut_;
    bool calculee_ = false;
};

// The two integers that item 4's stopping term T fixes, at the working
// precision P of the terms:
//     l3R = RN(RN(RN(-RN(log |T|)) / LN2) * LN2) / LN10),  l3 = floor(l3R),
//     p0 = floor(RN(RN(RN(l3R * LN10) / LN2) + p4)),
// every operation rounded to nearest at P bits. Past 20,000 bits the
// logarithm alone takes a quarter of a second or more, for two integers: they
// come from an enclosure at 512 bits instead (directed roundings), widened by
// far more than the P-bit chain can deviate from the exact values (a few
// 2^-P relative), and are kept when the floors of both ends agree. False when
// they do not, or below 20,000 bits: the chain is then run at P bits.
bool entiersDuTermeDArret(const RR& T, const RR& p4, long P, long& l3, long& p0);

// Computes T(2), T(4), ... at NR from k0 = 2 until the first term at or below
// 10^-decimales, never past T(32); leaves k0 on that term and R10 = 10. The
// tolerance is R10^-decimales at the precision of the terms (p0 + 200).
// True when the search ended at T(32) with T(32) still above the tolerance:
// the expansion cannot give the digits asked.
bool chercherLesTermes(Etat& e, const RR& decimales);

// (ln NR + cst) + Sk, Sk = 1/(2 NR) + T(2) + ... + T(k0) from somme1.
RR valeurDuDeveloppement(Etat& e);

}  // namespace harmo
