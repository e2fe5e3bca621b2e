// SPDX-License-Identifier: GPL-3.0-or-later
// The factorisation of an integer whose small primes are already out, its
// prime factors handed over one by one as soon as each is proven, so that
// work cut short keeps what it found.
//
// Trial division by the primes below 2^20 first. Then each composite part,
// the smallest first, goes through: a proof of
// primality (factor/pari.h), a test of perfect power, then ECM curves
// (factor/ecm.h) aimed at factors of up to about a third of its digits, then
// PARI's whole factorisation (its quadratic sieve) when it has at most
// chiffresHorsDePortee digits; with two cores or more, that sieve runs in a
// process of its own from the start (factor/crible_a_part.h), the curves
// beside it, and the first to end gives the factors. Beyond that no sieve ends in reasonable time
// (a quadratic sieve needs hours at 95 digits, the number field sieve days):
// ECM goes on alone, level after level, and finds what it can. A factor that
// a method finds splits its part in two, each taken again.
//
// Cost: dominated by the sieve, exp(sqrt(ln n ln ln n)) (about a minute at
// 74 digits on this machine), or by ECM, whose expected cost grows with the
// size of the factor found, not of n.
#pragma once

#include <NTL/ZZ.h>

#include <functional>

namespace harmo {

// Composite parts above this many digits are beyond reach of a sieve.
constexpr long chiffresHorsDePortee = 100;

// What the factorisation is doing, for the progress of a dialogue.
struct TravailEnCours {
    enum class Methode { Divisions, Preuve, Ecm, Crible, HorsDePortee };
    Methode methode = Methode::Preuve;
    long chiffres = 0;  // of the part at work
    int niveau = 0;     // ECM: the digits of the factors aimed at
};

struct CompteRendu {
    // p, proven prime, divides n exactly p^e times; each p comes once.
    std::function<void(const NTL::ZZ& p, long e)> premier;
    std::function<void(const TravailEnCours&)> travail;
};

// Hands every prime of n >= 1 to r.premier, in the order they are found.
// Needs a SessionPari (factor/pari.h): call it in a child process. memoire
// bounds the bytes of ECM's stage 2 (0: no bound).
void factoriserParEtapes(const NTL::ZZ& n, const CompteRendu& r, double memoire = 0);

}  // namespace harmo
