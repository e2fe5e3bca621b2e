// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's sizing (factor/crible_quadratique.h): its parameters by the
// number of digits, the memory it will take, and the time it has left.
#include "factor/crible_quadratique.h"

#include "commun/decimal.h"
#include "factor/crible.h"

#include <algorithm>
#include <cmath>

namespace harmo {

namespace {

// The size of the base and of the interval that sieved fastest on this
// 2-core machine: swept on balanced semiprimes of 50 to 69 digits with one
// large prime, from 74 digits on with two, on the hard cofactors of the
// numerators of H(170), H(193) and H(199); above 89 digits, the base grown
// as in published tables, and 4 blocks, which at 99 digits gathered
// relations 1.5 times as fast as 8 (`factorisation estimation`). How each
// row was chosen, and the times measured since, are in bench/README.md
// ("The sieve's parameters").
const struct {
    long chiffres;
    ParametresSiqs p;
} table[] = {
    {30, {200, 1, 30, 2.0}},           {40, {500, 1, 30, 2.0}},           {50, {1200, 1, 40, 2.1}},
    {60, {4500, 1, 50, 2.2}},          {65, {8000, 2, 60, 2.2}},          {70, {12000, 3, 60, 2.2}},
    {74, {18000, 3, 76, 2.6, 1.8}},    {80, {32000, 4, 80, 2.7, 1.8}},    {85, {50000, 3, 100, 2.7, 1.8}},
    {90, {60000, 3, 100, 2.75, 1.85}}, {100, {90000, 4, 120, 2.8, 1.9}},  {110, {130000, 4, 120, 2.8, 1.9}},
};

}  // namespace

double estimationDuReste(double t, double pleines, double cycles, double tMoitie, double cyclesMoitie, double voulues,
                         double exposantParDefaut) {
    if (t <= 0 || pleines + cycles <= 0) return -1;
    if (pleines + cycles >= voulues) return 0;
    double k = exposantParDefaut;
    if (cyclesMoitie >= 20 && tMoitie > 0 && tMoitie < t && cycles > cyclesMoitie)
        k = std::clamp(std::log(cycles / cyclesMoitie) / std::log(t / tMoitie), 1.0, 4.0);
    const double rythme = pleines / t;
    auto colonnes = [&](double T) { return rythme * T + cycles * std::pow(T / t, k); };
    double bas = t, haut = 2 * t;
    while (colonnes(haut) < voulues && haut < 1e9) bas = haut, haut *= 2;
    for (int i = 0; i < 60; ++i) {
        const double milieu = (bas + haut) / 2;
        (colonnes(milieu) < voulues ? bas : haut) = milieu;
    }
    return haut - t;
}

ParametresSiqs parametresSiqs(long chiffres) {
    const std::size_t n = sizeof table / sizeof table[0];
    if (chiffres <= table[0].chiffres) return table[0].p;
    if (chiffres >= table[n - 1].chiffres) return table[n - 1].p;
    std::size_t i = 1;
    while (table[i].chiffres < chiffres) ++i;
    if (table[i].chiffres == chiffres) return table[i].p;
    const auto& a = table[i - 1];
    const auto& b = table[i];
    const double t = static_cast<double>(chiffres - a.chiffres) / static_cast<double>(b.chiffres - a.chiffres);
    auto entre = [t](double u, double v) { return u + t * (v - u); };
    ParametresSiqs p{std::lround(entre(static_cast<double>(a.p.taille), static_cast<double>(b.p.taille))),
                     std::lround(entre(static_cast<double>(a.p.blocs), static_cast<double>(b.p.blocs))),
                     std::lround(entre(static_cast<double>(a.p.multipleGrandPremier), static_cast<double>(b.p.multipleGrandPremier))),
                     entre(a.p.marge, b.p.marge), entre(a.p.exposantDouble, b.p.exposantDouble), a.p.jeu};
    // Two large primes from the first row that has them on: the threshold
    // and the bound of the row below until then.
    if (a.p.exposantDouble == 0 && b.p.exposantDouble != 0) {
        p.marge = a.p.marge;
        p.exposantDouble = 0;
    }
    return p;
}

double memoireDuCrible(const NTL::ZZ& n, unsigned coeurs) {
    const ParametresSiqs p = parametresSiqs(nombreDeChiffres(n));
    const double F = static_cast<double>(p.taille);
    // Full and partial relations (with two large primes, up to some 20 per
    // prime of the base), each with its place in the graph of cycles.
    const double relations = 20 * F * 350;
    const double matrice = F * 2 * 40 * 8;  // columns and their entries, twice over
    // Per thread: two sets of buckets, the roots and moves, the block.
    const double parFil = 2 * 2.0 * static_cast<double>(p.blocs) * 2 * F * 4 + F * 4 * 20 + 4 * tailleDeBloc;
    return relations + matrice + coeurs * parFil + 4e6;
}

}  // namespace harmo
