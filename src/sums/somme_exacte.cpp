// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/somme_exacte.h"

#include "commun/coeurs.h"
#include "sums/parite.h"

#include <gmp.h>
#include <future>
#include <NTL/ZZ_limbs.h>

namespace harmo {

namespace {
// Operands from this size on are worth a second thread.
const long bitsParalleles = 1L << 20;
}  // namespace

void ajouter(Fraction& a, const Fraction& b) {
    if (NTL::IsZero(b.P) && NTL::IsOne(b.Q)) return;
    if (NTL::IsZero(a.P) && NTL::IsOne(a.Q)) {
        a = b;
        return;
    }
    ZZ t, q;
    if (NTL::NumBits(a.Q) > bitsParalleles && nombreDeCoeurs() > 1) {
        // The new denominator on the other core while the numerator is formed.
        auto denominateur = enParallele([&] { NTL::mul(q, a.Q, b.Q); });
        NTL::mul(t, b.P, a.Q);
        NTL::mul(a.P, a.P, b.Q);
        NTL::add(a.P, a.P, t);
        denominateur.get();
        a.Q.swap(q);
        return;
    }
    NTL::mul(t, b.P, a.Q);
    NTL::mul(a.P, a.P, b.Q);
    NTL::add(a.P, a.P, t);
    NTL::mul(a.Q, a.Q, b.Q);
}

Fraction feuille(const std::uint64_t* n, const std::uint64_t* c, std::size_t k) {
    mp_limb_t P[2 * tailleFeuille + 4], Q[2 * tailleFeuille + 4];
    mp_size_t sz = 1;
    P[0] = 0;
    Q[0] = 1;
    for (std::size_t t = 0; t < k;) {
        mp_limb_t a = c ? c[t] : 1, b = n[t];
        // Two terms in one word: (c1 n2 + c2 n1) / (n1 n2) must fit in 64 bits.
        const bool paire = t + 1 < k && (c ? n[t] < (1ull << 31) && n[t + 1] < (1ull << 31) && c[t] < (1ull << 32) &&
                                                 c[t + 1] < (1ull << 32)
                                           : n[t] < (1ull << 32) && n[t + 1] < (1ull << 32));
        if (paire) {
            a = c ? c[t] * n[t + 1] + c[t + 1] * n[t] : n[t] + n[t + 1];
            b = n[t] * n[t + 1];
            t += 2;
        } else {
            t += 1;
        }
        // P/Q + a/b = (P b + Q a) / (Q b)
        mp_limb_t cp = mpn_mul_1(P, P, sz, b);
        mp_limb_t ca = mpn_addmul_1(P, Q, sz, a);
        unsigned __int128 haut = static_cast<unsigned __int128>(cp) + ca;
        P[sz] = static_cast<mp_limb_t>(haut);
        P[sz + 1] = static_cast<mp_limb_t>(haut >> 64);
        Q[sz] = mpn_mul_1(Q, Q, sz, b);
        Q[sz + 1] = 0;
        sz += 2;
        while (sz > 1 && P[sz - 1] == 0 && Q[sz - 1] == 0) --sz;
    }
    Fraction f;
    mp_size_t sp = sz, sq = sz;
    while (sp > 0 && P[sp - 1] == 0) --sp;
    while (sq > 0 && Q[sq - 1] == 0) --sq;
    NTL::ZZ_limbs_set(f.P, P, sp);
    NTL::ZZ_limbs_set(f.Q, Q, sq);
    return f;
}

namespace {

// Odd n in (A, B] for machine integers: the c odd numbers from `debut` on.
// The two halves of a large sum go to two threads.
Fraction impairs(std::uint64_t debut, std::uint64_t c, bool parallele = true) {
    if (c <= tailleFeuille) {
        std::uint64_t n[tailleFeuille];
        for (std::uint64_t t = 0; t < c; ++t) n[t] = debut + 2 * t;
        return feuille(n, nullptr, static_cast<std::size_t>(c));
    }
    std::uint64_t moitie = c / 2;
    if (parallele && c >= (1u << 16) && nombreDeCoeurs() > 1) {
        auto gauche = enParallele([=] { return impairs(debut, moitie, false); });
        Fraction droite = impairs(debut + 2 * moitie, c - moitie, false);
        Fraction f = gauche.get();
        ajouter(f, droite);
        return f;
    }
    Fraction f = impairs(debut, moitie, parallele);
    ajouter(f, impairs(debut + 2 * moitie, c - moitie, parallele));
    return f;
}

// The same for integers of any size.
Fraction impairsZZ(const ZZ& debut, const ZZ& c) {
    if (c <= 1) {
        Fraction f;
        if (IsOne(c)) {
            f.P = 1;
            f.Q = debut;
        }
        return f;
    }
    ZZ moitie = c / 2;
    Fraction f = impairsZZ(debut, moitie);
    ajouter(f, impairsZZ(debut + 2 * moitie, c - moitie));
    return f;
}

}  // namespace

const ZZ& limiteMachine() {
    static const ZZ l = NTL::power_ZZ(2, 62);
    return l;
}

void SommeEnArbre::terme(std::uint64_t n) {
    tampon_.push_back(n);
    if (tampon_.size() == tailleFeuille) viderTampon();
}

void SommeEnArbre::terme(const ZZ& n) {
    viderTampon();
    Fraction f;
    f.P = 1;
    f.Q = n;
    empiler(std::move(f));
}

void SommeEnArbre::viderTampon() {
    if (tampon_.empty()) return;
    empiler(feuille(tampon_.data(), nullptr, tampon_.size()));
    tampon_.clear();
}

void SommeEnArbre::empiler(Fraction f) {
    int rang = 0;
    while (!pile_.empty() && pile_.back().second == rang) {
        Fraction g = std::move(pile_.back().first);
        pile_.pop_back();
        ajouter(g, f);
        f = std::move(g);
        ++rang;
    }
    pile_.emplace_back(std::move(f), rang);
}

Fraction SommeEnArbre::resultat() {
    viderTampon();
    Fraction f;
    while (!pile_.empty()) {
        Fraction g = std::move(pile_.back().first);
        pile_.pop_back();
        ajouter(g, f);
        f = std::move(g);
    }
    return f;
}

Fraction sommeImpairs(const ZZ& A, const ZZ& B) {
    // First odd number above A, and how many odd numbers up to B.
    const ZZ a = A < 0 ? ZZ(0) : A;
    ZZ debut = NTL::IsOdd(a) ? a + 2 : a + 1;
    if (debut > B) return Fraction{};
    ZZ c = (B - debut) / 2 + 1;
    if (B < limiteMachine())
        return impairs(NTL::conv<unsigned long>(debut), NTL::conv<unsigned long>(c));
    return impairsZZ(debut, c);
}

Fraction sommeIntervalle(const ZZ& A, const ZZ& B) {
    // Sum(A, B] = odd terms of (A, B] + Sum(A/2, B/2] / 2, unrolled from the
    // innermost level outward.
    std::vector<std::pair<ZZ, ZZ>> niveaux;
    ZZ a = A, b = B;
    while (b > a) {
        niveaux.emplace_back(a, b);
        a >>= 1;
        b >>= 1;
    }
    Fraction f;
    for (auto it = niveaux.rbegin(); it != niveaux.rend(); ++it) {
        if (!NTL::IsZero(f.P)) NTL::mul(f.Q, f.Q, 2);
        Fraction impairs = sommeImpairs(it->first, it->second);
        ajouter(impairs, f);
        f = std::move(impairs);
    }
    return f;
}

}  // namespace harmo
