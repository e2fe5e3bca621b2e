#include "sums/reduction.h"

#include "commun/entiers.h"
#include "commun/pont_gmp.h"
#include "sums/parite.h"

#include <cstdint>
#include <vector>

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

}  // namespace

void reduireSommeHarmonique(ZZ& P, ZZ& Q, const ZZ& N, long parite) {
    if (NTL::IsZero(P)) {
        Q = 1;
        return;
    }
    // The even terms are half the sum up to N/2; its denominator bound is 2 lcm(1..N/2).
    const ZZ borneZZ = parite == paire ? N / 2 : N;
    if (borneZZ > (1L << 31)) {
        reduire(P, Q);
        return;
    }
    const std::uint64_t borne = NTL::conv<unsigned long>(borneZZ);
    const bool impairs = parite == impaire;
    // 2 is always listed: the even terms have a factor 2 in L even when N/2 = 1.
    std::vector<std::uint32_t> premiers = premiersJusqua(borne < 2 ? 2 : borne);

    // L: each prime at the largest power within the bound (no 2 among odd
    // candidates, one more 2 for the even ones).
    std::vector<std::uint64_t> puissances;
    std::vector<std::uint64_t> exposantsL;
    for (std::uint32_t p : premiers) {
        std::uint64_t q = 1, e = 0;
        while (q <= borne / p) {
            q *= p;
            ++e;
        }
        if (impairs && p == 2) q = 1, e = 0;
        if (parite == paire && p == 2) {
            // at most 2^31 * 2, still a word
            q *= 2;
            ++e;
        }
        puissances.push_back(q);
        exposantsL.push_back(e);
    }
    ZZ L = produit(puissances, 0, puissances.size());

    ZZ A;
    NTL::mul(A, P, L);
    diviserExactement(A, A, Q);

    // g = gcd(A, L), prime by prime.
    std::vector<std::uint64_t> facteurs;
    VueMpz a(A);
    for (std::size_t t = 0; t < premiers.size(); ++t) {
        const std::uint64_t p = premiers[t], e = exposantsL[t];
        if (e == 0) continue;
        if (e == 1 && !(parite == paire && p == 2)) {
            // p^2 > bound: p divides A exactly when the sum over its multiples vanishes mod p.
            if (sommeNulleModulo(p, borne / p, impairs)) facteurs.push_back(p);
            continue;
        }
        // Small primes: the power of p in A, read from A mod p^e.
        std::uint64_t pe = puissances[t];
        std::uint64_t r = mpz_fdiv_ui(a, pe);
        std::uint64_t f = 1;
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
    if (facteurs.empty()) {
        P = std::move(A);
        Q = std::move(L);
        return;
    }
    ZZ g = produit(facteurs, 0, facteurs.size());
    diviserExactement(P, A, g);
    diviserExactement(Q, L, g);
}

}  // namespace harmo
