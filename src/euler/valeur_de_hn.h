// SPDX-License-Identifier: GPL-3.0-or-later
// H(N) for any N by the Euler-Mascheroni expansion
//     H(N) = ln N + gamma + 1/(2N) - sum_{k=1}^{s} B(2k) / (2k N^(2k)) + R,
// |R| below the first term left out (the series is asymptotic and its terms
// alternate; D. E. Knuth, The Art of Computer Programming, vol. 1, 1.2.7 and
// 1.2.11.2). The terms are taken up to the first one below the decimals
// asked, never past T(32); the working precision, the number of terms and the
// decimals of the constant are sized from the request. Cost: one logarithm
// and at most 16 terms at the working precision, M(p) log p for p bits.
#pragma once

#include "commun/etat.h"

namespace harmo {

// Opening: a rough constant (l3 = 30 decimals, p0 = 500 bits), l4 = the
// decimals stored, p1 = the bits they carry; the precision set to 5000 bits.
void ouvrirLeDeveloppement(Etat& e);

// From N (and NR1 = N): the bits reachable, pmin = min(p1, p3), p3 the bits
// of T(32) at N; p4 = log2(ln N + gamma); nd1 the decimals reachable.
void precisionAtteignable(Etat& e);

// H = the expansion at N to valeur decimals (valeur from the user): nsign the
// significant digits to print, output precision set to it. True when T(32)
// is still above 10^-valeur: the digits past nd1 are then not H(N)'s.
bool developperHN(Etat& e);

}  // namespace harmo
