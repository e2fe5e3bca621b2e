// SPDX-License-Identifier: GPL-3.0-or-later
// The factorisation of an integer whose small primes are already out, its
// prime factors handed over one by one as soon as each is proven, so that
// work cut short keeps what it found.
//
// Trial division by the primes below 2^20 first. Then each composite part,
// the smallest first, goes through: a proof of primality (factor/pari.h), a
// test of perfect power, then, below chiffresCrible digits, PARI's whole
// factorisation (a fraction of a second there); above, a few ECM curves
// (factor/ecm.h) for factors of up to 15 to 35 digits, as many as a third
// of the sieve's expected time allows (cibleEcm), then the
// self-initialising quadratic sieve on every core
// (factor/crible_quadratique.h), PARI's factorisation again should it fail.
// Beyond chiffresHorsDePortee digits no sieve ends in reasonable time (the
// quadratic sieve 20 minutes at 99 digits, hours at 110, 2.7 times more
// every 5 digits; the number field sieve days): ECM goes on alone, level after
// level, and finds what it can. A factor that
// a method finds splits its part in two, each taken again.
//
// Cost: dominated by the sieve, exp(sqrt(ln n ln ln n)) (about 10 s at 70
// digits on this 2-core machine), or by ECM, whose expected cost grows with
// the size of the factor found, not of n.
#pragma once

#include <NTL/ZZ.h>

#include <functional>

namespace harmo {

// Composite parts above this many digits are beyond reach of a sieve.
constexpr long chiffresHorsDePortee = 110;
// From this many digits on, the program's own sieve.
constexpr long chiffresCrible = 40;

// The sieve's expected wall time (seconds) on a composite of d digits, on
// two cores of the machine where it was measured: log-linear between the
// measured points, 2.7 times more for each 5 digits past the last.
double secondesDuCribleAttendues(long chiffres);

// The ECM level (digits of the factors aimed at) run before the sieve on a
// composite of d digits: the highest one whose levels up to it take, all
// together and by their expected number of curves, at most a third of the
// sieve's expected time; 0 where even the first would take more. A factor
// of up to a third of the digits, not rare in the numerators of harmonic
// sums, then comes out sooner: H(186)'s 81-digit cofactor holds a 26-digit
// prime that level 25 finds in about 10 s on two cores, where the sieve
// needs 30. The levels keep to the published rule of thumb, ECM to 2/9 to
// 4/13 of the digits: 15 up to 67 digits, 20 up to 80, 25 up to 94, 30 up
// to 106, 35 beyond.
// Reference: R. P. Brent, "Some parallel algorithms for integer
// factorisation", Euro-Par '99 (the balance of ECM against the sieves).
int cibleEcm(long chiffres);

// What the factorisation is doing, for the progress of a dialogue.
struct TravailEnCours {
    // SansMemoire: the sieve would need more memory than there is (octets):
    // ECM goes on, level after level, as beyond the sieve's reach.
    enum class Methode { Divisions, Preuve, Ecm, Crible, AlgebreLineaire, HorsDePortee, SansMemoire };
    Methode methode = Methode::Preuve;
    long chiffres = 0;  // of the cofactor at work
    int niveau = 0;     // ECM: the digits of the factors aimed at
    // The sieve at work: the share of the relations found (< 0 before it
    // starts), the seconds since it started, those left (< 0: not known).
    double part = -1;
    double secondes = 0;
    double restant = -1;
    double octets = 0;  // SansMemoire: the sieve's estimate
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
