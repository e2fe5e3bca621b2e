// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/base_de_facteurs.h"

#include <NTL/ZZ.h>

#include <cmath>

namespace harmo {

std::uint32_t puissanceModulo(std::uint64_t a, std::uint64_t e, std::uint32_t m) {
    std::uint64_t r = 1 % m;
    a %= m;
    for (; e > 0; e >>= 1) {
        if (e & 1) r = r * a % m;
        a = a * a % m;
    }
    return static_cast<std::uint32_t>(r);
}

int legendre(std::uint32_t a, std::uint32_t p) {
    a %= p;
    if (a == 0) return 0;
    return puissanceModulo(a, (p - 1) / 2, p) == 1 ? 1 : -1;
}

std::uint32_t racineCarreeModulo(std::uint32_t a, std::uint32_t p) {
    a %= p;
    if (a == 0) return 0;
    if (p % 4 == 3) return puissanceModulo(a, (p + 1) / 4, p);
    // p - 1 = q 2^s, q odd; z a non-residue.
    std::uint32_t q = p - 1, s = 0;
    while (q % 2 == 0) {
        q /= 2;
        ++s;
    }
    std::uint32_t z = 2;
    while (legendre(z, p) != -1) ++z;
    std::uint64_t c = puissanceModulo(z, q, p), t = puissanceModulo(a, q, p), r = puissanceModulo(a, (q + 1) / 2, p);
    std::uint32_t m = s;
    while (t != 1) {
        std::uint32_t i = 0;
        for (std::uint64_t u = t; u != 1; u = u * u % p) ++i;
        std::uint64_t b = c;
        for (std::uint32_t j = 0; j + i + 1 < m; ++j) b = b * b % p;
        m = i;
        c = b * b % p;
        t = t * c % p;
        r = r * b % p;
    }
    return static_cast<std::uint32_t>(r);
}

unsigned long multiplicateurKnuthSchroeppel(const NTL::ZZ& n) {
    static const unsigned long candidats[] = {1,  2,  3,  5,  6,  7,  10, 11, 13, 14, 15, 17, 19, 21, 22, 23, 26, 29, 30, 31, 33,
                                              34, 35, 37, 38, 39, 41, 42, 43, 46, 47, 51, 53, 55, 57, 58, 59, 61, 62, 65, 66, 67,
                                              69, 70, 71, 73, 74, 77, 78, 79, 82, 83, 85, 86, 87, 89, 91, 93, 94, 95, 97};
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
        for (std::uint32_t p = 3; p < 1000; p += 2) {
            if (!NTL::ProbPrime(static_cast<long>(p))) continue;
            const std::uint32_t knp = static_cast<std::uint32_t>((k % p) * static_cast<unsigned long>(NTL::rem(n, p)) % p);
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
    b.logp = {0, static_cast<std::uint8_t>(std::lround(echelle))};
    NTL::PrimeSeq premiers;
    premiers.next();  // 2
    while (b.p.size() < taille) {
        const long p = premiers.next();
        if (p == 0) break;  // beyond NTL's table: a base this large is never asked for
        const std::uint32_t r = static_cast<std::uint32_t>(NTL::rem(b.kn, p));
        if (r != 0 && legendre(r, static_cast<std::uint32_t>(p)) != 1) continue;
        b.p.push_back(static_cast<std::uint32_t>(p));
        b.racine.push_back(racineCarreeModulo(r, static_cast<std::uint32_t>(p)));
        b.logp.push_back(static_cast<std::uint8_t>(std::lround(std::log2(static_cast<double>(p)) * echelle)));
    }
    return b;
}

}  // namespace harmo
