#include "sums/somme_exacte.h"

namespace harmo {

void ajouter(Fraction& a, const Fraction& b) {
    if (NTL::IsZero(b.P) && NTL::IsOne(b.Q)) return;
    if (NTL::IsZero(a.P) && NTL::IsOne(a.Q)) {
        a = b;
        return;
    }
    ZZ t;
    NTL::mul(t, b.P, a.Q);
    NTL::mul(a.P, a.P, b.Q);
    NTL::add(a.P, a.P, t);
    NTL::mul(a.Q, a.Q, b.Q);
}

namespace {

const std::size_t tailleFeuille = 16;

// Sum of 1/n for a few small n, balanced.
Fraction feuille(const std::uint64_t* n, std::size_t k) {
    Fraction f;
    if (k == 1) {
        f.P = 1;
        NTL::conv(f.Q, static_cast<unsigned long>(n[0]));
        return f;
    }
    f = feuille(n, k / 2);
    ajouter(f, feuille(n + k / 2, k - k / 2));
    return f;
}

// Odd n in (A, B] for machine integers: the c odd numbers from premier on.
Fraction impairs(std::uint64_t premier, std::uint64_t c) {
    if (c <= tailleFeuille) {
        std::uint64_t n[tailleFeuille];
        for (std::uint64_t t = 0; t < c; ++t) n[t] = premier + 2 * t;
        return feuille(n, static_cast<std::size_t>(c));
    }
    std::uint64_t moitie = c / 2;
    Fraction f = impairs(premier, moitie);
    ajouter(f, impairs(premier + 2 * moitie, c - moitie));
    return f;
}

// The same for integers of any size.
Fraction impairsZZ(const ZZ& premier, const ZZ& c) {
    if (c <= 1) {
        Fraction f;
        if (IsOne(c)) {
            f.P = 1;
            f.Q = premier;
        }
        return f;
    }
    ZZ moitie = c / 2;
    Fraction f = impairsZZ(premier, moitie);
    ajouter(f, impairsZZ(premier + 2 * moitie, c - moitie));
    return f;
}

const ZZ& limiteMachine() {
    static const ZZ l = NTL::power_ZZ(2, 62);
    return l;
}

}  // namespace

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
    empiler(feuille(tampon_.data(), tampon_.size()));
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
    ZZ premier = NTL::IsOdd(A) ? A + 2 : A + 1;
    if (premier > B) return Fraction{};
    ZZ c = (B - premier) / 2 + 1;
    if (B < limiteMachine())
        return impairs(NTL::conv<unsigned long>(premier), NTL::conv<unsigned long>(c));
    return impairsZZ(premier, c);
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
