// Lowest terms of an exact harmonic sum without a gcd of the huge pair.
#pragma once

#include <NTL/ZZ.h>

namespace harmo {

using NTL::ZZ;

// P/Q, any pair of the sum of 1/n over the candidates n <= N of the parity
// (0 every n, 1 the odd ones, 2 the even ones), is brought to lowest terms.
//
// The reduced denominator divides L, the lcm of the candidates, so
// A = P L / Q is an integer and P/Q = A / L; gcd(A, L) is then found prime by
// prime with word arithmetic: for a prime p with p^2 > N, p divides A exactly
// when the sum of 1/k over the candidates p k is 0 mod p.
void reduireSommeHarmonique(ZZ& P, ZZ& Q, const ZZ& N, long parite);

}  // namespace harmo
