// SPDX-License-Identifier: GPL-3.0-or-later
// Harmonic sums of the three parities for any N, certified, through the
// digamma function:
//     H(N) = psi(N + 1) + gamma,
// the odd terms up to N: H(N) - H(N/2) / 2, the even terms: H(N/2) / 2
// (integer quotients, sums/parite.h). Arb computes psi by the Stirling
// series with a rigorous remainder (DLMF 5.11; the remainder of the
// asymptotic expansion of psi has the sign and at most the size of the first
// omitted term), shifting the argument up where N is small: a ball with a
// certified radius, in microseconds for N up to 10^1000 at a few hundred bits.
#pragma once

#include <arb.h>
#include <NTL/ZZ.h>

namespace harmo {

// res = the sum of 1/n over the candidates n <= X of the parity (0 for X < 1).
void sommeHarmoniqueCertifiee(arb_t res, const NTL::ZZ& X, long parite, long prec);

}  // namespace harmo
