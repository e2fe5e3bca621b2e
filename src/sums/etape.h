// SPDX-License-Identifier: GPL-3.0-or-later
// One stage of a sum of menu item 1, as a pure computation.
//
// A stage covers the candidates n of a parity with N1 < n <= N: all of them
// for a harmonic sum, for a Kempner sum those whose decimal writing does not
// contain a given digit sequence. It is described by its inputs alone; the
// results are its count of kept terms and the last of them, and its sum,
// either exact (an unreduced fraction) or added term by term at a precision.
#pragma once

#include "sums/somme_exacte.h"

#include <NTL/RR.h>
#include <NTL/ZZ.h>

#include <vector>

namespace harmo {

struct Etape {
    NTL::ZZ N1;  // the last candidate of the previous stage, or the value before the first one
    NTL::ZZ N;   // the last candidate of this stage
    long parite = 0;
    bool kempner = false;
    std::vector<long> sequence;  // Kempner: the excluded digits, most significant first
};

struct Gardes {
    NTL::ZZ nombre;   // how many terms the stage keeps
    NTL::ZZ dernier;  // the largest kept denominator; 0 when none is kept
};

// Counting needs no enumeration: a harmonic stage keeps every candidate, and
// a Kempner stage's terms are counted digit by digit over N1 and N.
Gardes compterGardes(const Etape& t);

// The exact sum of the kept terms, unreduced (its denominator is not the
// product of the denominators for a harmonic stage: see sommeDesCandidats).
// A Kempner stage that removes less than 0.4 times the terms it keeps (in
// the machine range) is the harmonic stage of its parity less the removed
// terms (parLeComplement): the same rational, other integers.
Fraction sommeExacte(const Etape& t);
bool parLeComplement(const Etape& t, const NTL::ZZ& gardes);
// The kept terms themselves in one product tree: Q is the product of the
// kept denominators (the route of the Kempner stages that remove many terms,
// and the simpler one that the tests hold the other against).
Fraction sommeExacteDirecte(const Etape& t);

// The whole exact sum after the stage, from the sum before it. A harmonic
// sum up to N is the same whatever its stages: when this stage is most of it
// (N1 <= N/2), or when recalcul says so (the stage would not fit in memory,
// tailleExacte), it is computed afresh, in lowest terms (reduite is then
// set), which costs less than the stage alone; otherwise the stage's sum
// joins the one before, unreduced.
Fraction sommeExacteApres(const Etape& t, Fraction avant, bool& reduite, bool recalcul = false);

// The memory that sommeExacteApres will take: sums/taille_exacte.h.
struct Taille {
    bool recalcul = false;  // a harmonic sum computed afresh up to N, in lowest terms
    double octets = 0;   // the memory the computation will add to the program's
    double bits = 0;     // the size of the fraction it will build
    NTL::ZZ chiffres;    // the digits of the fraction in lowest terms, as a refusal states them
};
Taille tailleExacte(const Etape& t, long bitsAvant, double memoire);

// depart + 1/n1 + 1/n2 + ... over the kept terms in increasing order, each
// quotient and each addition rounded to nearest at p bits (p >= 53), as RR
// does them; depart itself, untouched, when no term is kept.
NTL::RR sommeTermeATerme(const Etape& t, const NTL::RR& depart, long p);

// P/Q as an RR: P converted at its bit length plus 10 (exact), Q rounded to
// the same length, then the quotient rounded at p bits; 0 when P = 0.
NTL::RR valeurDeLaFraction(const Fraction& f, long p);

}  // namespace harmo
