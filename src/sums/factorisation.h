// SPDX-License-Identifier: GPL-3.0-or-later
// Prime factorisation by PARI/GP's library (Debian libpari-dev): trial
// division, Pollard rho, SQUFOF, ECM and the quadratic sieve, the method
// chosen by the size of what is left. Measured on the numerators of H(n):
// every n <= 138 in about 0.2 s, most up to 200 within seconds, where FLINT
// 2.9's fmpz_factor took over 200 s on some (n = 170); trial division alone
// stalls from n = 50.
//
// Every factor returned is proven prime: PARI's isprime is deterministic
// below 2^64 (BPSW has no exception there) and proves larger numbers by
// APRCL (Adleman-Pomerance-Rumely, Cohen-Lenstra).
#pragma once

#include <NTL/ZZ.h>

#include <vector>

namespace harmo {

struct FacteurPremier {
    NTL::ZZ p;
    long e = 0;
};

// The factorisation of n >= 2, factors in increasing order. Runs PARI in
// the calling process: call it in a child process (commun/enfant.h), which
// can be abandoned.
std::vector<FacteurPremier> factoriserParPari(const NTL::ZZ& n);

}  // namespace harmo
