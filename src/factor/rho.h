// SPDX-License-Identifier: GPL-3.0-or-later
// What is left of a sieve value with two large primes: one machine word,
// odd, without a prime of the base. A Fermat test to base 2 sets aside the
// primes (most of them); Pollard's rho, with Brent's cycle search and the
// differences multiplied together 64 at a time before one gcd, splits the
// others, all arithmetic mod n in Montgomery form (one 64 x 64 product and
// one reduction per step, no division).
//
// Cost: about 60 squarings mod n for the test; rho finds a prime q of n in
// about sqrt(q) steps. On this machine, for the 38- to 45-bit products of
// two primes that the sieve meets at 74 digits, 43,000 cycles each against
// 158,000 for FLINT's SQUFOF.
// References: J. M. Pollard, "A Monte Carlo method for factorization", BIT
// 15 (1975); R. P. Brent, "An improved Monte Carlo factorization
// algorithm", BIT 20 (1980); P. L. Montgomery, "Modular multiplication
// without trial division", Math. Comp. 44 (1985).
#pragma once

#include <cstdint>

namespace harmo {

// 1 / p mod 2^64, p odd.
std::uint64_t inverseModulo2p64(std::uint64_t p);

// False when n (odd, 3 <= n < 2^63) is surely composite: 2^(n-1) != 1 mod n.
bool premierProbableBase2(std::uint64_t n);

// A factor d of n (odd, composite, 3 < n < 2^63), 1 < d < n; 0 when rho
// with x -> x^2 + c, c = 1, 2, 3, finds none within about maxPas steps each.
std::uint64_t facteurParRho(std::uint64_t n, std::uint64_t maxPas = 1u << 16);

}  // namespace harmo
