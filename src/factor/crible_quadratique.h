// SPDX-License-Identifier: GPL-3.0-or-later
// A self-initialising quadratic sieve on every core: the multiplier and the
// factor base (factor/base_de_facteurs.h), then threads that each sieve
// their own families of polynomials (factor/crible.h) and hand their
// relations to one gathering place (factor/releve.h), until there are more
// usable columns than primes; then the dependencies (factor/algebre_lineaire.h)
// and their square roots (factor/racine_carree.h) give a factor.
//
// Cost: L(n)^(1 + o(1)), L = exp(sqrt(ln n ln ln n)); measured on a 2-core
// machine, see the table in the .cpp file.
// Reference: S. Contini (1997); C. Pomerance, "A tale of two sieves",
// Notices AMS 43 (1996).
#pragma once

#include "commun/processeur.h"

#include <NTL/ZZ.h>

#include <functional>

namespace harmo {

// How far the sieve is: the share of the relations wanted, the seconds
// spent, and an estimate of the seconds left (< 0 when not known yet).
struct AvancementDuCrible {
    double part = 0;
    double secondes = 0;
    double restant = -1;
    std::size_t rejetees = 0;  // relations dropped by the check at their merge (none when the kernels are right)
    std::size_t pleines = 0, cycles = 0;  // the usable columns: full relations, cycles of partial ones
    std::size_t relues = 0;    // relations kept from earlier sieves of the number (factor/releves_sauves.h)
    std::size_t ecarteesALaRelecture = 0;  // lines of those journals dropped (cut short, foreign, wrong)
    bool algebre = false;      // the relations are all there: the linear algebra runs
};

// The seconds left, at t seconds, to reach voulues columns: the full
// relations come at a steady rate (pleines / t), the cycles of partial
// ones grow as a power of the time, t^k, whose exponent the cycles at
// tMoitie (about t / 2) give, between 1 and 4, or exposantParDefaut while
// they are too few to tell (fewer than 20). Measured on the 85-digit cofactor
// of H(193)'s numerator, two large primes: k from 2.0 to 2.6 all along, so
// that the estimate is within a tenth from the first percent on (61.7 s in
// all; 57 s estimated at 3.3 s, 67 s at 9.6 s). Negative when nothing is
// known yet.
double estimationDuReste(double t, double pleines, double cycles, double tMoitie, double cyclesMoitie, double voulues,
                         double exposantParDefaut);

// The parameters for a number of d digits: the size of the factor base,
// the blocks of 32 KiB on each side of 0, the large prime bound as a
// multiple of the largest prime of the base, the threshold's slack in units
// of log2 of that prime, and when not 0, the exponent e such that relations
// with two large primes L1 L2 < (large prime bound)^e are kept.
struct ParametresSiqs {
    long taille;
    long blocs;
    long multipleGrandPremier;
    double marge;
    double exposantDouble = 0;
    JeuDInstructions jeu = JeuDInstructions::avx512;  // at most these registers (and what jeuDInstructions() allows)
};
ParametresSiqs parametresSiqs(long chiffres);

// The bytes the sieve of n is expected to need, on `coeurs` threads.
double memoireDuCrible(const NTL::ZZ& n, unsigned coeurs);

// A proper factor of n (odd, composite, no prime below 2^20, not a perfect
// power) on `coeurs` threads; false when the sieve fails (then nothing is
// known about n). Calls verifierInterruption() several times a second (an
// interrupt stops every thread before it is thrown on) and avancement
// (when set) about every quarter of a second.
bool cribleQuadratique(const NTL::ZZ& n, NTL::ZZ& facteur, unsigned coeurs,
                       const std::function<void(const AvancementDuCrible&)>& avancement = {});
// The same with the parameters given (the benchmark's sweeps of the table);
// on the generic path, from 80 digits with two large primes, twice the
// blocks asked and a slack 0.15 larger.
bool cribleQuadratique(const NTL::ZZ& n, NTL::ZZ& facteur, unsigned coeurs, const ParametresSiqs& p,
                       const std::function<void(const AvancementDuCrible&)>& avancement = {});

}  // namespace harmo
