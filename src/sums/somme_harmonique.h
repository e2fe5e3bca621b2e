// SPDX-License-Identifier: GPL-3.0-or-later
// Exact harmonic sums by one weighted pass over the odd denominators.
//
// Every n >= 1 is k 2^j with k odd, so
//     sum over A < n <= B of 1/n = sum over odd k of w_k / k,
//     w_k = sum of 2^-j over the j with A < k 2^j <= B = (2^(j1-j0+1) - 1) / 2^j1,
// [j0, j1] the range of those j (for A = 0: j0 = 0, j1 = floor(log2(B/k))).
// With J = floor(log2 B) and the integer weights c_k = w_k 2^J < 2^(J+1),
// the sum is P / (Q 2^J) with P/Q = sum of c_k / k: one product tree over the
// odd k, each k once with its numerator c_k, where summing the odd terms
// level by level (n = 2^j k for j = 0, 1, ...) adds each k about log2(B/k)
// times. The odd k with a weight are those of the intervals
// (A / 2^j, B / 2^j], j = 0 .. J, merged. (F. Johansson's
// arith_harmonic_number in FLINT uses the same weights for A = 0.) Cost: a
// product tree over about B/2 words, O(M(S) log B) for S = the bits of the
// product of the odd k, about (B/2) log2 B.
//
// Lowest terms of the whole sum up to N (sommeHarmoniqueReduite): the reduced
// denominator divides L, the lcm of the candidates (sums/reduction.h), so
// A = S L is an integer below 2^m, m = bits(L) + 64, about 1.44 N + 64. Only
// A mod 2^m is needed: the upper levels of the tree, where the numbers pass m
// bits, are kept modulo 2^m (Q is odd, hence invertible there), and
// A = P L_odd 2^(v-J) / Q mod 2^m (L = 2^v L_odd), the inverse of Q by
// Newton's iteration x <- x (2 - Q x) mod 2^(2i) (2-adic, Hensel). Then
// g = gcd(A, L) prime by prime, and S = (A/g) / (L/g). The top of the tree,
// its most costly part, thus works on m bits instead of (N/2) log2 N: a
// fifth at N = 10^6.
#pragma once

#include "sums/somme_exacte.h"

namespace harmo {

// Memory of the sum in lowest terms up to N (sieve, tree, decimal texts),
// measured: 12 bytes per unit of the bound of the lcm (N, or N/2 for the even
// terms), besides the program.
constexpr double octetsParUniteDeLaBorne = 12;

// Sum of 1/n over the candidates n of the parity (sums/parite.h) with
// A < n <= B: every n, the odd ones, or the even ones as half the sum of
// 1/k over A/2 < k <= B/2. Unreduced; its pair is not the product of the
// denominators.
Fraction sommeDesCandidats(const ZZ& A, const ZZ& B, long parite);

// The sum of 1/n over the candidates n <= N of the parity, in lowest terms.
Fraction sommeHarmoniqueReduite(const ZZ& N, long parite);

}  // namespace harmo
