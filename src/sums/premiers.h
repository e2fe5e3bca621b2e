// SPDX-License-Identifier: GPL-3.0-or-later
// The shared list of known primes Nprem[1..np] and trial division of S by it.
//
// Suiv finds the prime after Nprem[np] by testing the odd numbers that follow
// against the primes up to their square root (Eratosthenes' criterion: a
// composite c has a prime factor at most sqrt(c)); the list grows as the
// factorisations need it. Trial division of S costs one division of S per
// prime tried, at most pi(4096) = 564 of them before the cofactor goes to
// the factorisation engine (factor/pilote.h). Reference: H. Riesel, Prime
// Numbers and Computer Methods for Factorization, 2nd ed., ch. 5.
#pragma once

#include "commun/etat.h"
#include "factor/pari.h"

#include <vector>

namespace harmo {

// Primes below this bound are found by trial division.
constexpr long bornePremiersEssayes = 4096;

// Appends the next prime after Nprem[np]; expects e.i >= 1, leaves e.i = 1.
int Suiv(Etat& e);

// Adds the prime p with its exponent as factor nf + 1 (Nfact, Nexpo).
void ajouterFacteur(Etat& e, const ZZ& p, long exposant);

// Trial division of e.S by Nprem[k + 1], Nprem[k + 2], ... while the primes
// stay below bornePremiersEssayes (all of them when toutes), each prime
// found added with its exponent: true when S is then fully factored (S = 1),
// false with the cofactor left in S and k on the last prime tried.
bool divisionsParEssais(Etat& e, bool toutes);

// The primes handed over by the factorisation engine, taken out of e.S in
// increasing order and added as factors, each checked: p^e divides what is
// left and p^(e+1) does not. One that fails is left out, and the answer is
// false; a factorisation that ended normally must also leave S = 1.
bool retirerLesFacteurs(Etat& e, std::vector<FacteurPremier> facteurs);

}  // namespace harmo
