// SPDX-License-Identifier: GPL-3.0-or-later
// Exact sums of unit fractions 1/n, unreduced, by balanced binary splitting.
//
// Adding a/b + c/d = (ad + cb) / (bd) with no gcd, the terms 1/n of a list
// give Q = the product of the n and P = the sum of Q/n, whatever the order in
// which the partial fractions are joined. Joining them as a balanced tree
// keeps both operands of every product of the same size, so that GMP's
// subquadratic multiplication does the work: O(M(S) log m) for m terms whose
// denominators have S bits in all, against O(S^2) for the fold one term after
// the other. At the leaves, 64 terms are folded on raw limbs, two terms below
// 2^32 joined first in one word: (n1 + n2) / (n1 n2).
//
// Whole harmonic sums use the odd/even splitting
//     sum over (A, B] of 1/n = sum of the odd n in (A, B] of 1/n
//                              + (sum over (A/2, B/2] of 1/k) / 2,
// since the even n = 2k; unrolled, every level sums odd denominators only,
// about half the bits of the products of all the denominators. The pair P/Q
// it gives is another unreduced pair of the same value.
// (Bernstein, "Fast multiplication and its applications", 2008, section 12,
// for product and remainder trees; the splitting is the classical one.)
#pragma once

#include <NTL/ZZ.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace harmo {

using NTL::ZZ;

struct Fraction {
    ZZ P;
    ZZ Q{1};
};

// The number of terms of a leaf of the trees.
constexpr std::size_t tailleFeuille = 64;

// Sum of c_t / n_t for at most tailleFeuille terms (c = nullptr: all 1),
// folded term after term on raw limbs, no allocation per term; two terms
// whose (c1 n2 + c2 n1) / (n1 n2) fits in words are first joined.
Fraction feuille(const std::uint64_t* n, const std::uint64_t* c, std::size_t k);

// a = a + b without reduction: P = Pa*Qb + Pb*Qa, Q = Qa*Qb.
void ajouter(Fraction& a, const Fraction& b);

// Sum of the terms 1/n given one after the other, merged as a balanced tree:
// memory stays logarithmic in the number of merges. Q is the product of the
// denominators and P the sum of Q/n, exactly as adding them one by one would
// give.
class SommeEnArbre {
public:
    void terme(std::uint64_t n);
    void terme(const ZZ& n);
    // Consumes the terms given so far; 0/1 when there were none.
    Fraction resultat();

private:
    void viderTampon();
    void empiler(Fraction f);
    std::vector<std::uint64_t> tampon_;
    std::vector<std::pair<Fraction, int>> pile_;
};

// Integers below this bound are handled as machine words.
const ZZ& limiteMachine();

// Sum of 1/n over the odd n with A < n <= B.
Fraction sommeImpairs(const ZZ& A, const ZZ& B);

// Sum of 1/n over every n with A < n <= B (0 <= A), through the splitting into
// odd terms and half of the sum up to B/2: about half the work, and a
// different (unreduced) pair P/Q from the term-by-term sum, of the same value.
Fraction sommeIntervalle(const ZZ& A, const ZZ& B);

}  // namespace harmo
