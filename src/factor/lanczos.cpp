// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/lanczos.h"

#include "factor/lanczos_interne.h"

#include "commun/suivi.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace harmo {

namespace gf2 {

Lanczos::Lanczos(const std::vector<std::vector<std::uint32_t>>& colonnes, std::size_t lignes, std::uint64_t graine)
    : n_(colonnes.size()), m_(lignes) {
    // The dense rows (the primes of the A's, the smallest primes) are a
    // prefix: the rows up to the last one met in more than one column
    // in 128, among the first 4096.
    std::vector<std::uint32_t> poids(m_, 0);
    for (const auto& c : colonnes)
        for (std::uint32_t l : c) ++poids[l];
    for (std::size_t l = 0; l < std::min<std::size_t>(m_, 4096); ++l)
        if (static_cast<std::size_t>(poids[l]) * 128 >= n_) d_ = l + 1;
    debutColonne_.assign(n_ + 1, 0);
    debutLigne_.assign(m_ + 1, 0);
    for (std::size_t c = 0; c < n_; ++c) debutColonne_[c + 1] = debutColonne_[c] + static_cast<std::uint32_t>(colonnes[c].size());
    // The dense rows by blocks of columns: row by row within a block,
    // the block's words stay in L1 while its rows are summed.
    const std::size_t blocs = (n_ + colonnesParBloc - 1) / colonnesParBloc;
    auto ligneDuBloc = [&](std::size_t c, std::uint32_t l) { return (c / colonnesParBloc) * d_ + l; };
    debutDense_.assign(blocs * d_ + 1, 0);
    for (std::size_t c = 0; c < n_; ++c)
        for (std::uint32_t l : colonnes[c])
            if (l < d_) ++debutDense_[ligneDuBloc(c, l) + 1];
    for (std::size_t i = 0; i < blocs * d_; ++i) debutDense_[i + 1] += debutDense_[i];
    colonnesDense_.resize(debutDense_.back());
    std::vector<std::uint32_t> ici(debutDense_.begin(), debutDense_.end() - 1);
    for (std::size_t c = 0; c < n_; ++c)
        for (std::uint32_t l : colonnes[c])
            if (l < d_) colonnesDense_[ici[ligneDuBloc(c, l)]++] = static_cast<std::uint16_t>(c % colonnesParBloc);
    for (std::size_t l = d_; l < m_; ++l) debutLigne_[l + 1] = poids[l];
    for (std::size_t l = 0; l < m_; ++l) debutLigne_[l + 1] += debutLigne_[l];
    lignesDe_.resize(debutColonne_[n_]);
    colonnesDe_.resize(debutLigne_[m_]);
    std::vector<std::uint32_t> place(debutLigne_.begin(), debutLigne_.end() - 1);
    for (std::size_t c = 0; c < n_; ++c) {
        std::copy(colonnes[c].begin(), colonnes[c].end(), lignesDe_.begin() + debutColonne_[c]);
        for (std::uint32_t l : colonnes[c])
            if (l >= d_) colonnesDe_[place[l]++] = static_cast<std::uint32_t>(c);
    }
    for (auto& v : v_) v.assign(n_, 0);
    x_.assign(n_, 0);
    w_.assign(m_, 0);
    u64 etat = graine;
    for (u64& x : x_) {  // splitmix64
        etat += 0x9E3779B97F4A7C15ull;
        u64 z = etat;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        x = z ^ (z >> 31);
    }
}

std::vector<u64> Lanczos::noyau(unsigned fils) {
    // v = A x, kept as the right-hand side.
    parB(x_.data());
    for (std::size_t c = 0; c < n_; ++c) v_[0][c] = parBt(c);
    initial_ = v_[0];
    fils = std::max(1u, std::min({fils, 16u, static_cast<unsigned>(n_ / 4096 + 1)}));
    std::vector<std::thread> equipe;
    std::atomic<int> depart{0};
    for (unsigned t = 1; t < fils; ++t) {
        try {
            equipe.emplace_back([this, t, &depart] {
                while (depart.load(std::memory_order_acquire) == 0) std::this_thread::yield();
                if (t < nombre_) boucle(t);
            });
        } catch (...) {  // no thread to be had (a process limit, no memory for it)
            break;  // fewer threads
        }
    }
    try {
        nombre_ = static_cast<unsigned>(equipe.size()) + 1;
        partager();
    } catch (...) {  // memory: the threads go without working
        nombre_ = 1;
        depart.store(-1, std::memory_order_release);
        for (std::thread& t : equipe) t.join();
        throw;
    }
    depart.store(1, std::memory_order_release);
    boucle(0);
    for (std::thread& t : equipe) t.join();
    if (interrompu_) throw CalculInterrompu{};
    if (echec_) return {};
    std::vector<u64> z = combiner();
    if (std::all_of(z.begin(), z.end(), [](u64 w) { return w == 0; })) z.clear();
    return z;
}

// The rows and the columns cut in slices of equal work, one per thread.
void Lanczos::partager() {
    auto couper = [this](const std::vector<std::uint32_t>& debut, std::size_t poidsFixe, std::vector<std::size_t>& bornes) {
        const std::size_t nb = debut.size() - 1;
        const double total = static_cast<double>(debut.back()) + static_cast<double>(poidsFixe * nb);
        bornes.assign(nombre_ + 1, nb);
        bornes[0] = 0;
        std::size_t i = 0;
        for (unsigned t = 1; t < nombre_; ++t) {
            const double cible = total * t / nombre_;
            while (i < nb && static_cast<double>(debut[i]) + static_cast<double>(poidsFixe * i) < cible) ++i;
            bornes[t] = i;
        }
    };
    couper(debutLigne_, 1, tranchesLignes_);
    for (std::size_t& r : tranchesLignes_) r = std::max(r, d_);  // the dense rows have no entry there
    couper(debutColonne_, 24, tranchesColonnes_);  // the products with 64 x 64 blocks
    {
        const std::size_t blocs = (n_ + colonnesParBloc - 1) / colonnesParBloc;
        std::vector<std::uint32_t> parBloc(blocs + 1);
        for (std::size_t b = 0; b <= blocs; ++b) parBloc[b] = debutDense_[b * d_];
        couper(parBloc, 0, tranchesBlocs_);
    }
    accus_.resize(nombre_);
    partiels_.assign(nombre_, std::vector<u64>(d_, 0));
    barriere_.fixer(nombre_);
}

void Lanczos::boucle(unsigned t) {
    const std::size_t r0 = tranchesLignes_[t], r1 = tranchesLignes_[t + 1];
    const std::size_t c0 = tranchesColonnes_[t], c1 = tranchesColonnes_[t + 1];
    u64 *v0 = v_[0].data(), *v1 = v_[1].data(), *v2 = v_[2].data(), *suivant = v_[3].data();
    const u64* initial = initial_.data();
    u64* x = x_.data();
    std::array<Accumulateur, 3>& a = accus_[t];
    const std::size_t d0 = d_ * t / nombre_, d1 = d_ * (t + 1) / nombre_;
    const std::size_t b0 = tranchesBlocs_[t], b1 = tranchesBlocs_[t + 1];
    u64* partiel = partiels_[t].data();
    for (;;) {
        std::fill(partiel, partiel + d_, 0);
        denses(v0, b0, b1, partiel);
        eparses(v0, r0, r1);
        barriere_.attendre();
        for (std::size_t r = d0; r < d1; ++r) {
            u64 s = 0;
            for (const auto& p : partiels_) s ^= p[r];
            w_[r] = s;
        }
        barriere_.attendre();
        for (Accumulateur& z : a) z.effacer();
        for (std::size_t c = c0; c < c1; ++c) {
            const u64 u = parBt(c);
            suivant[c] = u;
            a[0].ajouter(v0[c], u);
            a[1].ajouter(u, u);
            a[2].ajouter(v0[c], initial[c]);
        }
        barriere_.attendre();
        if (t == 0) decider();
        barriere_.attendre();
        if (fini_) break;
        const u64 m0 = masque1_;  // this step's S, just chosen
        for (std::size_t c = c0; c < c1; ++c) {
            suivant[c] = (suivant[c] & m0) ^ td_(v0[c]) ^ te_(v1[c]) ^ tf_(v2[c]);
            x[c] ^= tx_(v0[c]);
        }
        u64* libre = v2;
        v2 = v1;
        v1 = v0;
        v0 = suivant;
        suivant = libre;
        barriere_.attendre();
    }
    if (t == 0) dernier_ = v0;
}

}  // namespace gf2

std::vector<std::uint64_t> noyauParLanczos(const std::vector<std::vector<std::uint32_t>>& colonnes, std::size_t lignes,
                                           std::uint64_t graine, unsigned fils) {
    std::size_t entrees = 0;
    for (const auto& c : colonnes) entrees += c.size();
    if (colonnes.empty() || entrees >= (1ull << 32)) return {};
    auto l = std::make_unique<gf2::Lanczos>(colonnes, lignes, graine);  // 70 KB of tables: not on the stack
    return l->noyau(fils);
}

}  // namespace harmo
