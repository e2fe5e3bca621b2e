// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/somme_harmonique.h"

#include "commun/coeurs.h"
#include "commun/entiers.h"
#include "commun/suivi.h"
#include "sums/parite.h"
#include "sums/reduction.h"

#include <gmp.h>
#include <NTL/ZZ_limbs.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <future>
#include <utility>
#include <vector>

namespace harmo {

namespace {

using u64 = std::uint64_t;

// The odd k with a weight for (A, B] (B < 2^62), in increasing order, as
// runs of consecutive odd numbers, and their weights c_k.
class OddsPonderes {
public:
    // impairsSeuls: the odd n of (A, B] only, each with weight 1 (J = 0).
    OddsPonderes(u64 A, u64 B, bool impairsSeuls) : A_(A), B_(B), impairsSeuls_(impairsSeuls) {
        J_ = impairsSeuls ? 0 : 63 - __builtin_clzll(B);
        std::vector<std::pair<u64, u64>> plages;
        for (int j = impairsSeuls ? 0 : J_; j >= 0; --j) {
            u64 lo = (A >> j) + 1, hi = B >> j;
            if (lo % 2 == 0) ++lo;
            if (hi % 2 == 0) {
                if (hi == 0) continue;
                --hi;
            }
            if (lo > hi) continue;
            if (!plages.empty() && lo <= plages.back().second + 2)
                plages.back().second = std::max(plages.back().second, hi);
            else
                plages.emplace_back(lo, hi);
        }
        u64 total = 0;
        for (auto& p : plages) {
            debuts_.push_back(total);
            total += (p.second - p.first) / 2 + 1;
        }
        plages_ = std::move(plages);
        nombre_ = total;
    }
    u64 nombre() const { return nombre_; }
    int J() const { return J_; }
    // k and c_k for the indices [i0, i1).
    void remplir(u64 i0, u64 i1, u64* ks, u64* cs) const {
        std::size_t r = std::upper_bound(debuts_.begin(), debuts_.end(), i0) - debuts_.begin() - 1;
        for (u64 i = i0; i < i1; ++i) {
            while (r + 1 < debuts_.size() && debuts_[r + 1] <= i) ++r;
            const u64 k = plages_[r].first + 2 * (i - debuts_[r]);
            ks[i - i0] = k;
            cs[i - i0] = impairsSeuls_ ? 1 : poids(k);
        }
    }

private:
    // (2^(j1-j0+1) - 1) 2^(J-j1): the j with A < k 2^j <= B are j0 .. j1.
    u64 poids(u64 k) const {
        const int j1 = 63 - __builtin_clzll(B_ / k);
        int j0 = 0;
        while ((k << j0) <= A_) ++j0;
        return ((u64(1) << (j1 - j0 + 1)) - 1) << (J_ - j1);
    }
    u64 A_, B_;
    bool impairsSeuls_;
    int J_ = 0;
    std::vector<std::pair<u64, u64>> plages_;
    std::vector<u64> debuts_;
    u64 nombre_ = 0;
};

// a = a + b; modulo 2^m (m > 0) once the numbers would pass m bits. With
// deuxFils, the denominator's product is formed on a second thread.
void joindre(Fraction& a, Fraction& b, long m, bool deuxFils) {
    if (m > 0 && NTL::NumBits(a.Q) + NTL::NumBits(b.Q) + 64 > m) {
        NTL::trunc(a.P, a.P, m);
        NTL::trunc(a.Q, a.Q, m);
        NTL::trunc(b.P, b.P, m);
        NTL::trunc(b.Q, b.Q, m);
    }
    ZZ t, q;
    std::future<void> denominateur;  // a.Q and b.Q are only read until the swap
    if (deuxFils && NTL::NumBits(a.Q) > (1L << 18))
        denominateur = enParallele([&] { NTL::mul(q, a.Q, b.Q); });
    NTL::mul(t, b.P, a.Q);
    NTL::mul(a.P, a.P, b.Q);
    NTL::add(a.P, a.P, t);
    if (denominateur.valid())
        denominateur.get();
    else
        NTL::mul(q, a.Q, b.Q);
    a.Q.swap(q);
    if (m > 0 && NTL::NumBits(a.Q) > m) {
        NTL::trunc(a.P, a.P, m);
        NTL::trunc(a.Q, a.Q, m);
    }
}

// Sum of c_k / k over the indices [i0, i1); the two halves of the top on two
// threads.
//
// Its progress: with fast multiplication every level of the tree costs
// about the same (the products of a level have as many bits together as
// the terms below them), the leaves counted as one more level. The work
// done is the terms under the leaves and the joins done, out of the terms
// times the levels.
std::atomic<u64> feuillesFaites{0};
std::atomic<u64> termesJoints{0};
double travailDeLArbre = 1;

void commencerLArbre(u64 nombre) {
    feuillesFaites = 0;
    termesJoints = 0;
    int niveaux = 1;
    for (u64 feuilles = (nombre + tailleFeuille - 1) / tailleFeuille; feuilles > 1; feuilles = (feuilles + 1) / 2)
        ++niveaux;
    travailDeLArbre = static_cast<double>(nombre) * niveaux;
}

void avancementDeLArbre() {
    progres("somme exacte", (static_cast<double>(feuillesFaites.load() * tailleFeuille) +
                             static_cast<double>(termesJoints.load())) / travailDeLArbre);
}

// After a join of the terms [i0, i1): the work done, told for the large ones.
void joint(u64 i0, u64 i1) {
    termesJoints += i1 - i0;
    if (i1 - i0 >= (u64(1) << 16)) avancementDeLArbre();
}

Fraction arbre(const OddsPonderes& w, u64 i0, u64 i1, long m, bool parallele) {
    if (i1 - i0 <= tailleFeuille) {
        if (++feuillesFaites % 1024 == 0) {
            verifierInterruption();
            avancementDeLArbre();
        }
        u64 k[tailleFeuille], c[tailleFeuille];
        w.remplir(i0, i1, k, c);
        return feuille(k, c, static_cast<std::size_t>(i1 - i0));
    }
    const u64 milieu = i0 + (i1 - i0) / 2;
    if (parallele && i1 - i0 >= (1u << 16) && nombreDeCoeurs() > 1) {
        auto gauche = enParallele([&] { return arbre(w, i0, milieu, m, false); });
        Fraction droite = arbre(w, milieu, i1, m, false);
        Fraction f = gauche.get();
        joindre(f, droite, m, true);
        joint(i0, i1);
        return f;
    }
    Fraction f = arbre(w, i0, milieu, m, parallele);
    Fraction droite = arbre(w, milieu, i1, m, parallele);
    joindre(f, droite, m, parallele);
    joint(i0, i1);
    return f;
}

// Q^-1 mod 2^m for an odd Q: Newton's iteration, the known bits doubling.
ZZ inverseDeuxAdique(const ZZ& Q, long m) {
    ZZ x(1), t, u, deuxK;
    long k = 1;
    while (k < m) {
        k = std::min(2 * k, m);
        NTL::trunc(t, Q, k);
        NTL::mul(t, t, x);
        NTL::trunc(t, t, k);
        NTL::sub(u, ZZ(2), t);  // 2 - Q x, brought back into [0, 2^k)
        if (NTL::sign(u) < 0) {
            NTL::power2(deuxK, k);
            NTL::add(u, u, deuxK);
        }
        NTL::mul(x, x, u);
        NTL::trunc(x, x, k);
    }
    return x;
}

}  // namespace

Fraction sommeDesCandidats(const ZZ& A, const ZZ& B, long parite) {
    const ZZ a = A < 0 ? ZZ(0) : A;
    if (parite == paire) {
        Fraction f = sommeDesCandidats(a / 2, B / 2, normale);
        if (!NTL::IsZero(f.P)) NTL::mul(f.Q, f.Q, 2);
        return f;
    }
    if (a >= B) return Fraction{};
    if (B >= limiteMachine()) return parite == impaire ? sommeImpairs(a, B) : sommeIntervalle(a, B);
    const OddsPonderes w(NTL::conv<unsigned long>(a), NTL::conv<unsigned long>(B), parite == impaire);
    if (w.nombre() == 0) return Fraction{};
    commencerLArbre(w.nombre());
    Fraction f = arbre(w, 0, w.nombre(), 0, true);
    NTL::LeftShift(f.Q, f.Q, w.J());
    return f;
}

Fraction sommeHarmoniqueReduite(const ZZ& N, long parite) {
    Fraction f;
    if (nombreDeCandidats(N, parite) <= 0) return f;
    progres("somme exacte : denominateur commun");
    DenominateurCommun d;
    if (!denominateurCommun(N, parite, d)) {
        f = sommeDesCandidats(ZZ(0), N, parite);
        reduire(f.P, f.Q);
        return f;
    }
    const long m = NTL::NumBits(d.L) + 64;
    const u64 B = NTL::conv<unsigned long>(borneDuPpcm(N, parite));
    const OddsPonderes w(0, B, parite == impaire);
    commencerLArbre(w.nombre());
    Fraction s = arbre(w, 0, w.nombre(), m, true);
    progres("somme exacte : fraction irreductible");
    // S = P / (Q 2^Jtot), L = 2^v L_odd: A = S L = P L_odd 2^(v - Jtot) / Q.
    const long Jtot = w.J() + (parite == paire ? 1 : 0);
    ZZ Limpair;
    const long v = NTL::MakeOdd(Limpair = d.L);
    ZZ X, A;
    NTL::trunc(X, Limpair, m);
    NTL::trunc(s.P, s.P, m);
    NTL::mul(X, X, s.P);
    NTL::LeftShift(X, X, v - Jtot);
    NTL::trunc(X, X, m);
    NTL::trunc(s.Q, s.Q, m);
    NTL::mul(A, X, inverseDeuxAdique(s.Q, m));
    NTL::trunc(A, A, m);
    reduireParLesPremiers(f.P, f.Q, A, d);
    return f;
}

}  // namespace harmo
