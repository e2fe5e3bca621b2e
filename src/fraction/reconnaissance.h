// SPDX-License-Identifier: GPL-3.0-or-later
// Is a fraction x = P/Q (in lowest terms, at least the first term) a harmonic
// sum of a parity, and if not, which H(N) lies just below it?
#pragma once

#include <NTL/ZZ.h>

namespace harmo {

using NTL::ZZ;

struct Reconnaissance {
    bool harmonique = false;
    ZZ i;        // number of terms of H(N)
    ZZ N;        // its last denominator
    ZZ Pr, Qr;   // non-harmonic: the remainder x - H(N), in lowest terms
    ZZ Ph, Qh;   // non-harmonic: H(N), in lowest terms
};

// The answer of the term-by-term subtraction (subtract 1/1, 1/2, ... until
// the remainder is no longer positive, then undo the last step), from an
// estimate of N by the asymptotic expansion, an exact sum at the estimate by
// binary splitting, and exact steps of one term around it.
Reconnaissance reconnaissanceRapide(const ZZ& P, const ZZ& Q, long parite);

// Estimated number of terms of the smallest sum of the parity that reaches
// x = P/Q (x at least the first term); a huge value when x is far out.
double termesEstimes(const ZZ& P, const ZZ& Q, long parite);

// The most terms whose exact sum fits in the given bytes (the memory model of
// sums/somme_harmonique.h).
double termesMaximaux(long parite, double octets);

}  // namespace harmo
