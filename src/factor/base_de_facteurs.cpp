// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/base_de_facteurs.h"

#include <NTL/ZZ.h>
#include <flint/ulong_extras.h>

#include <cmath>

namespace harmo {

int legendre(std::uint32_t a, std::uint32_t p) { return n_jacobi(static_cast<slong>(a % p), p); }

std::uint32_t racineCarreeModulo(std::uint32_t a, std::uint32_t p) { return static_cast<std::uint32_t>(n_sqrtmod(a % p, p)); }

unsigned long multiplicateurKnuthSchroeppel(const NTL::ZZ& n) {
    static const unsigned long candidats[] = {1,  2,  3,  5,  6,  7,  10, 11, 13, 14, 15, 17, 19, 21, 22, 23, 26, 29, 30, 31, 33,
                                              34, 35, 37, 38, 39, 41, 42, 43, 46, 47, 51, 53, 55, 57, 58, 59, 61, 62, 65, 66, 67,
                                              69, 70, 71, 73, 74, 77, 78, 79, 82, 83, 85, 86, 87, 89, 91, 93, 94, 95, 97};
    // The odd primes below 1000 and n mod each, for every k.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> premiers;
    NTL::PrimeSeq suite;
    suite.next();  // 2
    for (long p = suite.next(); p < 1000; p = suite.next())
        premiers.emplace_back(static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(NTL::rem(n, p)));
    unsigned long meilleur = 1;
    double meilleure = -1e300;
    const unsigned long n8 = static_cast<unsigned long>(NTL::rem(n, 8));
    for (unsigned long k : candidats) {
        double f = -0.5 * std::log(static_cast<double>(k));
        switch ((k * n8) % 8) {
            case 1:
                f += 2 * std::log(2.0);
                break;
            case 5:
                f += std::log(2.0);
                break;
            case 3:
            case 7:
                f += 0.5 * std::log(2.0);
                break;
            default:
                break;
        }
        for (const auto& [p, np] : premiers) {
            const std::uint32_t knp = static_cast<std::uint32_t>(k % p * np % p);
            const double lp = std::log(static_cast<double>(p));
            if (knp == 0)
                f += lp / p;
            else if (legendre(knp, p) == 1)
                f += 2 * lp / (p - 1);
        }
        if (f > meilleure) {
            meilleure = f;
            meilleur = k;
        }
    }
    return meilleur;
}

BaseDeFacteurs baseDeFacteurs(const NTL::ZZ& n, unsigned long k, std::size_t taille, double echelle) {
    BaseDeFacteurs b;
    b.k = k;
    b.kn = n * static_cast<long>(k);
    b.p = {1, 2};
    b.racine = {0, static_cast<std::uint32_t>(NTL::rem(b.kn, 2))};
    NTL::PrimeSeq premiers;
    premiers.next();  // 2
    while (b.p.size() < taille) {
        const long p = premiers.next();
        if (p == 0) break;  // beyond NTL's table: a base this large is never asked for
        const std::uint32_t r = static_cast<std::uint32_t>(NTL::rem(b.kn, p));
        if (r != 0 && legendre(r, static_cast<std::uint32_t>(p)) != 1) continue;
        b.p.push_back(static_cast<std::uint32_t>(p));
        b.racine.push_back(racineCarreeModulo(r, static_cast<std::uint32_t>(p)));
    }
    mettreALEchelle(b, echelle);
    return b;
}

void mettreALEchelle(BaseDeFacteurs& b, double echelle) {
    b.logp.assign(b.taille(), 0);
    for (std::size_t i = 1; i < b.taille(); ++i)
        b.logp[i] = static_cast<std::uint8_t>(std::lround(std::log2(static_cast<double>(b.p[i])) * echelle));
}

}  // namespace harmo
