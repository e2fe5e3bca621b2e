// SPDX-License-Identifier: GPL-3.0-or-later
// Prime factorisation and primality proofs by PARI/GP's library (Debian
// libpari-dev). Z_factor runs trial division, Pollard rho, SQUFOF, ECM and
// the multiple-polynomial quadratic sieve, the method chosen by the size of
// what is left: on the numerators of H(n), every n <= 138 in about 0.2 s,
// a 74-digit composite in about a minute, 81 digits in minutes (one core).
//
// Primality: isprime is deterministic below 2^64 (BPSW has no exception
// there) and proves larger numbers by APRCL (Adleman-Pomerance-Rumely,
// Cohen-Lenstra); its cost grows about as (log n)^(c log log log n), a few
// milliseconds at 60 digits, seconds at 400.
//
// PARI keeps global state: these functions run in the calling process
// within a SessionPari, and belong in a child process (commun/enfant.h)
// that an interrupt can abandon.
#pragma once

#include <NTL/ZZ.h>

#include <vector>

namespace harmo {

struct FacteurPremier {
    NTL::ZZ p;
    long e = 0;
};

// PARI's library open during the lifetime of the session (one at a time).
class SessionPari {
public:
    SessionPari();
    ~SessionPari();
    SessionPari(const SessionPari&) = delete;
    SessionPari& operator=(const SessionPari&) = delete;
};

// The factorisation of n >= 2, factors in increasing order, every one proven
// prime. Needs a SessionPari.
std::vector<FacteurPremier> factoriserParPari(const NTL::ZZ& n);

// Whether n >= 2 is prime, proven. Needs a SessionPari.
bool premierProuve(const NTL::ZZ& n);

// n = m^k with k >= 2 as large as possible: k, and m; 0 when n is no power.
// Needs a SessionPari.
long puissanceParfaite(const NTL::ZZ& n, NTL::ZZ& m);

}  // namespace harmo
