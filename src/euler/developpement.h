// The steps that menu items 4 and 5 share around the expansion
//     H(N) ~ ln N + gamma + 1/(2N) + T(2) + T(4) + ... + T(k):
// the accuracy the program can reach, the search of the last term, and the
// value of the expansion.
#pragma once

#include "shell/etat.h"

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

// Prints the number of exact decimals reachable (pmin, in bits) and asks how
// many decimals to show, into valeur.
void annoncerEtDemanderDecimales(Etat& e);

// Computes T(2), T(4), ... at NR from k0 = 2 until the first term at or below
// 10^-decimales, never past T(32); leaves k0 on that term and R10 = 10. The
// tolerance is R10^-decimales at the precision of the terms (p0 + 200).
void chercherLesTermes(Etat& e, const RR& decimales);

// (ln NR + cst) + Sk, Sk = 1/(2 NR) + T(2) + ... + T(k0) from somme1.
RR valeurDuDeveloppement(Etat& e);

}  // namespace harmo
