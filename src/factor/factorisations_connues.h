// SPDX-License-Identifier: GPL-3.0-or-later
// Proven factorisations remembered across sessions, in the cache's folder
// "factorisations" (commun/cache.h): a number of more than chiffresRetenus
// digits with its primes, one small text file each. Asked again, the number
// is answered from it in milliseconds instead of minutes of sieving: the
// primes are read back, their product compared with the number and each
// one proven prime again (PARI's isprime, APR-CL: a few milliseconds at 40
// digits), so that a damaged or foreign file costs a lookup, never a wrong
// answer. The folder's size is bounded, the oldest files dropped first.
#pragma once

#include "factor/pari.h"

#include <NTL/ZZ.h>

#include <optional>
#include <string>
#include <vector>

namespace harmo {

constexpr long chiffresRetenus = 50;
constexpr double tailleDesFactorisationsRetenues = 100e6;  // bytes

// The file's text for n and its primes, and back: the primes of n when the
// text is one for n whose primes multiply to n (the proofs aside).
std::string texteDeLaFactorisation(const NTL::ZZ& n, const std::vector<FacteurPremier>& premiers);
std::optional<std::vector<FacteurPremier>> lireLaFactorisation(const NTL::ZZ& n, const std::string& texte);

// The primes of n from the cache, each proven again (needs a SessionPari);
// nothing when n is not there or its file does not hold.
std::optional<std::vector<FacteurPremier>> factorisationConnue(const NTL::ZZ& n);
// Keeps n's primes, when n has more than chiffresRetenus digits.
void retenirLaFactorisation(const NTL::ZZ& n, const std::vector<FacteurPremier>& premiers);

}  // namespace harmo
