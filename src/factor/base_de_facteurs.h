// SPDX-License-Identifier: GPL-3.0-or-later
// The factor base of a quadratic sieve on k n: the primes p for which k n is
// a square mod p (Legendre symbol 1, or p divides k), each with a square root
// t of k n mod p and its scaled logarithm; the multiplier k chosen by the
// Knuth-Schroeppel function, which rewards a k n with many small primes in
// its base (and 2 to a high power in the values of the polynomials).
//
// Cost: one Legendre symbol and one Tonelli-Shanks square root per prime
// tried, O(F log^2 p) word operations for F primes: milliseconds.
// References: D. E. Knuth, TAOCP vol. 2, 4.5.4 (the multiplier); R. D.
// Silverman, "The multiple polynomial quadratic sieve", Math. Comp. 48
// (1987) (the base); D. Shanks (the square root).
#pragma once

#include <NTL/ZZ.h>

#include <cstdint>
#include <vector>

namespace harmo {

// Index 0 of the base stands for -1, index 1 for 2; odd primes follow in
// increasing order.
struct BaseDeFacteurs {
    unsigned long k = 1;
    NTL::ZZ kn;
    std::vector<std::uint32_t> p;
    std::vector<std::uint32_t> racine;  // t with t^2 = k n mod p (0 when p divides k n)
    std::vector<std::uint8_t> logp;     // log2(p) scaled by echelle, rounded

    std::size_t taille() const { return p.size(); }
};

// The Legendre symbol (a/p), p an odd prime: 1, -1, or 0 (FLINT's n_jacobi).
int legendre(std::uint32_t a, std::uint32_t p);

// A square root of a mod p (p an odd prime, a a square mod p), by FLINT's
// n_sqrtmod (Tonelli-Shanks).
std::uint32_t racineCarreeModulo(std::uint32_t a, std::uint32_t p);

// The squarefree multiplier k < 100 that maximises the Knuth-Schroeppel
// function for n (odd, no small factor).
unsigned long multiplicateurKnuthSchroeppel(const NTL::ZZ& n);

// The base of `taille` entries for k n; logarithms scaled by echelle.
BaseDeFacteurs baseDeFacteurs(const NTL::ZZ& n, unsigned long k, std::size_t taille, double echelle);

// The logarithms of the base scaled by echelle again (log2 p * echelle, rounded).
void mettreALEchelle(BaseDeFacteurs& b, double echelle);

}  // namespace harmo
