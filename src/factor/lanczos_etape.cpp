// SPDX-License-Identifier: GPL-3.0-or-later
// Block Lanczos: the choices made on the main thread at each step, and the
// elimination that draws the kernel from x and the last V at the end.
#include "factor/lanczos_interne.h"

#include "commun/suivi.h"

#include <algorithm>

namespace harmo::gf2 {

// The step's choices, on the main thread: S, W and the blocks that make
// the next V from A V, V and the two before.
void Lanczos::decider() {
    if (interruptionDemandee.load(std::memory_order_relaxed)) {
        // Every thread leaves at the next barrier; the caller throws.
        interrompu_ = echec_ = fini_ = true;
        return;
    }
    Bloc vav{}, vaav{}, vv0{};
    for (const auto& a : accus_) {
        a[0].verser(vav);
        a[1].verser(vaav);
        a[2].verser(vv0);
    }
    if (std::all_of(vav.begin(), vav.end(), [](u64 r) { return r == 0; })) {
        fini_ = true;
        return;
    }
    Bloc winv0;
    u64 m0;
    const int dimension = choisir(vav, masque1_, winv0, m0);
    if (++pas_ > n_ / 60 + 64) {
        echec_ = fini_ = true;
        return;
    }
    if (dimension <= 0 || (m0 | masque1_) != tous) {
        // No S fits: near the end, the space is nearly spanned and x
        // with this V may hold the kernel all the same (the elimination
        // against B keeps only true kernel vectors).
        fini_ = true;
        return;
    }
    Bloc d, e, g;
    for (int i = 0; i < 64; ++i) {
        d[i] = (vaav[i] & m0) ^ vav[i];
        e[i] = vav[i] & m0;
        g[i] = (vaav1_[i] & masque1_) ^ vav1_[i];
    }
    d = plusIdentite(produit(winv0, d));                             // I - W_i (V^T A^2 V S S^T + V^T A V)
    e = produit(winv1_, e);                                          // - W_{i-1} V^T A V S S^T
    Bloc f = produit(winv2_, produit(plusIdentite(produit(vav1_, winv1_)), g));
    for (u64& r : f) r &= m0;                                        // F_{i+1}
    td_.preparer(d);
    te_.preparer(e);
    tf_.preparer(f);
    tx_.preparer(produit(winv0, vv0));  // X += V W V^T V_0
    winv2_ = winv1_;
    winv1_ = winv0;
    vav1_ = vav;
    vaav1_ = vaav;
    masque1_ = m0;
}

// x and the last V hold the kernel between them: the combinations of
// their 128 columns that B sends to zero, then those of them that are
// independent and not zero.
std::vector<u64> Lanczos::combiner() {
    struct Mot {
        u64 a, b;
    };
    auto impair = [](const Mot& x, const Mot& y) {
        return (__builtin_parityll(x.a & y.a) ^ __builtin_parityll(x.b & y.b)) != 0;
    };
    std::vector<Mot> comb(128);
    for (int j = 0; j < 128; ++j) comb[j] = j < 64 ? Mot{1ull << j, 0} : Mot{0, 1ull << (j - 64)};
    std::vector<int> actifs(128);
    for (int j = 0; j < 128; ++j) actifs[j] = j;
    // Images under B, row by row: a pivot there is not in the kernel.
    parB(x_.data());
    const std::vector<u64> bx = w_;
    parB(dernier_);
    const std::vector<u64>& bv = w_;
    auto eliminer = [&](const Mot& ligne, std::vector<int>* gardes) {
        int pivot = -1;
        for (int j : actifs)
            if (impair(ligne, comb[j])) {
                if (pivot < 0)
                    pivot = j;
                else
                    comb[j].a ^= comb[pivot].a, comb[j].b ^= comb[pivot].b;
            }
        if (pivot < 0) return;
        actifs.erase(std::find(actifs.begin(), actifs.end(), pivot));
        if (gardes) gardes->push_back(pivot);
    };
    for (std::size_t r = 0; r < m_ && !actifs.empty(); ++r)
        if (bx[r] | bv[r]) eliminer(Mot{bx[r], bv[r]}, nullptr);
    // Then the vectors themselves: a pivot there is a vector kept.
    std::vector<int> gardes;
    for (std::size_t c = 0; c < n_ && !actifs.empty(); ++c)
        if (x_[c] | dernier_[c]) eliminer(Mot{x_[c], dernier_[c]}, &gardes);
    if (gardes.size() > 64) gardes.resize(64);
    std::vector<u64> z(n_, 0);
    for (std::size_t c = 0; c < n_; ++c) {
        const Mot ligne{x_[c], dernier_[c]};
        for (std::size_t k = 0; k < gardes.size(); ++k)
            if (impair(ligne, comb[gardes[k]])) z[c] |= 1ull << k;
    }
    return z;
}

}  // namespace harmo::gf2
