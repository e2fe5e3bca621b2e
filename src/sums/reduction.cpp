// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/reduction.h"

#include "commun/coeurs.h"
#include "commun/entiers.h"
#include "commun/pont_gmp.h"
#include "commun/suivi.h"
#include "sums/parite.h"

#include <future>

namespace harmo {

namespace {

std::vector<std::uint32_t> premiersJusqua(std::uint64_t n) {
    std::vector<char> compose(n + 1, 0);
    std::vector<std::uint32_t> p;
    for (std::uint64_t i = 2; i <= n; ++i) {
        if (compose[i]) continue;
        p.push_back(static_cast<std::uint32_t>(i));
        for (std::uint64_t j = i * i; j <= n; j += i) compose[j] = 1;
    }
    return p;
}

// Product of the words, as a balanced tree.
ZZ produit(const std::vector<std::uint64_t>& v, std::size_t debut, std::size_t fin) {
    if (fin - debut == 0) return ZZ(1);
    if (fin - debut == 1) return NTL::conv<ZZ>(static_cast<unsigned long>(v[debut]));
    std::size_t milieu = debut + (fin - debut) / 2;
    return produit(v, debut, milieu) * produit(v, milieu, fin);
}

// Is the sum of 1/k over k = 1 .. m (only odd k when impairs) 0 modulo p? (m < p)
bool sommeNulleModulo(std::uint64_t p, std::uint64_t m, bool impairs) {
    std::uint64_t a = 0, b = 1;  // a / b = the sum so far, mod p
    for (std::uint64_t k = 1; k <= m; k += impairs ? 2 : 1) {
        a = (a * k + b) % p;
        b = (b * k) % p;
    }
    return a == 0;
}

// The same sum over the kept candidates only: n = facteur p j for j = 1 .. m
// (odd j when impairs), those whose writing avoids the sequence.
bool sommeNulleModuloGardes(std::uint64_t p, std::uint64_t m, bool impairs, std::uint64_t facteur,
                            const SequenceChiffres& sequence) {
    std::uint64_t a = 0, b = 1;
    for (std::uint64_t k = 1; k <= m; k += impairs ? 2 : 1) {
        if (sequence.trouvee(facteur * p * k)) continue;
        a = (a * k + b) % p;
        b = (b * k) % p;
    }
    return a == 0;
}

}  // namespace

bool denominateurCommun(const ZZ& N, long parite, DenominateurCommun& d) {
    // The even terms are half the sum up to N/2; its denominator bound is 2 lcm(1..N/2).
    const ZZ borneZZ = borneDuPpcm(N, parite);
    if (borneZZ > borneParPremiers) return false;
    d.parite = parite;
    d.borne = NTL::conv<unsigned long>(borneZZ);
    // 2 is always listed: the even terms have a factor 2 in L even when N/2 = 1.
    d.premiers = premiersJusqua(d.borne < 2 ? 2 : d.borne);
    d.puissances.clear();
    d.exposants.clear();
    // Each prime at the largest power within the bound (no 2 among odd
    // candidates, one more 2 for the even ones).
    for (std::uint32_t p : d.premiers) {
        std::uint64_t q = 1, e = 0;
        while (q <= d.borne / p) {
            q *= p;
            ++e;
        }
        if (parite == impaire && p == 2) q = 1, e = 0;
        if (parite == paire && p == 2) {
            q *= 2;  // at most 2^31 * 2, still a word
            ++e;
        }
        d.puissances.push_back(q);
        d.exposants.push_back(e);
    }
    d.L = produit(d.puissances, 0, d.puissances.size());
    return true;
}

void reduireParLesPremiers(ZZ& P, ZZ& Q, const ZZ& A, const DenominateurCommun& d, const SequenceChiffres* sequence) {
    if (NTL::IsZero(A)) {
        P = 0;
        Q = 1;
        return;
    }
    const bool impairs = d.parite == impaire;
    const std::uint64_t facteur = d.parite == paire ? 2 : 1;  // n = facteur p k
    // g = gcd(A, L), prime by prime; the primes above sqrt(bound) cost a loop
    // of bound/p steps each, shared between the cores.
    const std::size_t n = d.premiers.size();
    const unsigned parts = n > 20000 ? nombreDeCoeurs() : 1;
    auto partie = [&](unsigned k) {
        std::vector<std::uint64_t> facteurs;
        VueMpz a(A);
        for (std::size_t t = k; t < n; t += parts) {
            if (k == 0 && t % 16384 < parts)
                progres("somme exacte : fraction irreductible", static_cast<double>(t) / static_cast<double>(n));
            const std::uint64_t p = d.premiers[t], e = d.exposants[t];
            if (e == 0) continue;
            if (e == 1 && !(d.parite == paire && p == 2)) {
                // p^2 > bound: p divides A exactly when the sum over its multiples vanishes mod p.
                const bool nulle = sequence ? sommeNulleModuloGardes(p, d.borne / p, impairs, facteur, *sequence)
                                            : sommeNulleModulo(p, d.borne / p, impairs);
                if (nulle) facteurs.push_back(p);
                continue;
            }
            // Small primes: the power of p in A, read from A mod p^e.
            const std::uint64_t pe = d.puissances[t];
            std::uint64_t r = mpz_fdiv_ui(a, pe), f = 1;
            if (r == 0) {
                f = pe;
            } else {
                while (r % p == 0) {
                    r /= p;
                    f *= p;
                }
            }
            if (f > 1) facteurs.push_back(f);
        }
        return facteurs;
    };
    std::vector<std::future<std::vector<std::uint64_t>>> autres;
    for (unsigned k = 1; k < parts; ++k) autres.push_back(enParallele(partie, k));
    std::vector<std::uint64_t> facteurs = partie(0);
    for (auto& a : autres) {
        std::vector<std::uint64_t> f = a.get();
        facteurs.insert(facteurs.end(), f.begin(), f.end());
    }
    if (facteurs.empty()) {
        P = A;
        Q = d.L;
        return;
    }
    ZZ g = produit(facteurs, 0, facteurs.size());
    diviserExactement(P, A, g);
    diviserExactement(Q, d.L, g);
}

void reduireSommeHarmonique(ZZ& P, ZZ& Q, const ZZ& N, long parite, const SequenceChiffres* sequence) {
    if (NTL::IsZero(P)) {
        Q = 1;
        return;
    }
    DenominateurCommun d;
    if (!denominateurCommun(N, parite, d)) {
        reduire(P, Q);
        return;
    }
    ZZ A;
    NTL::mul(A, P, d.L);
    diviserExactement(A, A, Q);
    reduireParLesPremiers(P, Q, A, d, sequence);
}

}  // namespace harmo
