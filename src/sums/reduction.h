// SPDX-License-Identifier: GPL-3.0-or-later
// Lowest terms of an exact harmonic sum without a gcd of the huge pair.
//
// Let S be the sum of 1/n over the candidates n <= N of a parity and L the
// lcm of the candidates (L = lcm(1..N); the odd part of it for the odd
// candidates; 2 lcm(1..N/2) for the even ones, whose sum is H(N/2) / 2).
// Every L/n is an integer, so A = S L is one, and S = A / L in lowest terms
// is (A/g) / (L/g) with g = gcd(A, L), found one prime p of L at a time:
//  - p^e exactly dividing L with e >= 2 (p <= sqrt N): the power of p in g
//    is read from A mod p^e, one remainder of a big number by a word;
//  - e = 1 (p > sqrt N): every L/n with p not dividing n is a multiple of p,
//    and for n = p k, L/n = (L/p) / k with L/p prime to p, so
//        A = (L/p) * (sum over the candidates p k of 1/k)   (mod p),
//    with k < p: p divides A exactly when that short sum is 0 mod p, a loop
//    of N/p word operations.
// A Kempner sum (the candidates whose writing avoids a digit sequence) is a
// sum of candidates too: L bounds its denominator all the same, and for
// e = 1 the short sum runs over the kept multiples p k only.
// Cost: a sieve up to N and O(N log log N) word operations, one product
// A = P L and one exact division by Q; no gcd of numbers of millions of
// digits. (The primes p > sqrt N that divide A are rare and come from
// Wolstenholme-like congruences: D. W. Boyd, "A p-adic study of the partial
// sums of the harmonic series", Experimental Mathematics 3 (1994) 287-302.)
#pragma once

#include "sums/sequence.h"

#include <NTL/ZZ.h>

#include <cstdint>
#include <vector>

namespace harmo {

using NTL::ZZ;

// L, the lcm of the candidates up to N of a parity, with its prime powers.
struct DenominateurCommun {
    long parite = 0;
    std::uint64_t borne = 0;  // N, or N/2 for the even candidates
    std::vector<std::uint32_t> premiers;
    std::vector<std::uint64_t> puissances, exposants;  // p^e exactly dividing L, and e
    ZZ L;
};

// Largest N (N/2 for the even candidates) handled prime by prime.
constexpr std::uint64_t borneParPremiers = 1ull << 31;

// Builds L for N and the parity; false past borneParPremiers.
bool denominateurCommun(const ZZ& N, long parite, DenominateurCommun& d);

// With A = S L for the sum S: P/Q = (A/g) / (L/g), g = gcd(A, L) found prime
// by prime.
void reduireParLesPremiers(ZZ& P, ZZ& Q, const ZZ& A, const DenominateurCommun& d,
                           const SequenceChiffres* sequence = nullptr);

// P/Q, any pair of the sum of 1/n over the candidates n <= N of the parity
// (0 every n, 1 the odd ones, 2 the even ones), is brought to lowest terms:
// A = P L / Q by one product and one exact division, then the primes. With
// a sequence, P/Q is the sum over the candidates that avoid it (Kempner).
void reduireSommeHarmonique(ZZ& P, ZZ& Q, const ZZ& N, long parite, const SequenceChiffres* sequence = nullptr);

}  // namespace harmo
