// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/lanczos.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace harmo {

namespace {

using u64 = std::uint64_t;
using Bloc = std::array<u64, 64>;  // a 64 x 64 matrix, row i in word i
constexpr u64 tous = ~0ull;
constexpr std::size_t colonnesParBloc = 4096;  // 32 KB of a block of vectors

// a b: row i of the product is the sum of the rows of b picked by row i of a.
Bloc produit(const Bloc& a, const Bloc& b) {
    Bloc c{};
    for (int i = 0; i < 64; ++i) {
        u64 r = 0;
        for (u64 x = a[i]; x != 0; x &= x - 1) r ^= b[static_cast<unsigned>(__builtin_ctzll(x))];
        c[i] = r;
    }
    return c;
}

Bloc plusIdentite(Bloc a) {
    for (int i = 0; i < 64; ++i) a[i] ^= 1ull << i;
    return a;
}

// A row of 64 bits times a fixed 64 x 64 matrix: eight lookups, one per byte.
class Table {
   public:
    void preparer(const Bloc& m) {
        for (int b = 0; b < 8; ++b) {
            t_[b][0] = 0;
            for (unsigned v = 1; v < 256; ++v) t_[b][v] = t_[b][v & (v - 1)] ^ m[8 * b + __builtin_ctz(v)];
        }
    }
    u64 operator()(u64 x) const {
        return t_[0][x & 255] ^ t_[1][(x >> 8) & 255] ^ t_[2][(x >> 16) & 255] ^ t_[3][(x >> 24) & 255] ^
               t_[4][(x >> 32) & 255] ^ t_[5][(x >> 40) & 255] ^ t_[6][(x >> 48) & 255] ^ t_[7][x >> 56];
    }

   private:
    u64 t_[8][256];
};

// X^T Y for two blocks of n rows, a row at a time: each row of Y added to
// the bucket of each byte of the row of X, the buckets summed at the end.
class Accumulateur {
   public:
    void effacer() { std::fill(&c_[0][0], &c_[0][0] + 8 * 256, 0); }
    void ajouter(u64 x, u64 y) {
        for (int b = 0; b < 8; ++b) c_[b][(x >> (8 * b)) & 255] ^= y;
    }
    void verser(Bloc& r) const {  // r += X^T Y
        for (int b = 0; b < 8; ++b)
            for (int k = 0; k < 8; ++k) {
                u64 s = 0;
                for (unsigned v = 0; v < 256; ++v)
                    if ((v >> k) & 1) s ^= c_[b][v];
                r[8 * b + k] ^= s;
            }
    }

   private:
    u64 c_[8][256];
};

// Montgomery's choice of the columns S of the block kept at this step and
// of W = S (S^T T S)^-1 S^T, T = V^T A V: Gauss-Jordan on [T | I], the
// columns left out at the step before taken first. The dimension of S; -1
// when no choice exists (the iteration has broken down).
int choisir(const Bloc& t, u64 precedent, Bloc& w, u64& masque) {
    u64 m[64][2];
    for (int i = 0; i < 64; ++i) {
        m[i][0] = t[i];
        m[i][1] = 1ull << i;
    }
    int s[64], k = 0;
    for (int i = 0; i < 64; ++i)
        if (!((precedent >> i) & 1)) s[k++] = i;
    for (int i = 0; i < 64; ++i)
        if ((precedent >> i) & 1) s[k++] = i;
    masque = 0;
    int dimension = 0;
    auto echanger = [&](int a, int b) {
        std::swap(m[a][0], m[b][0]);
        std::swap(m[a][1], m[b][1]);
    };
    for (int i = 0; i < 64; ++i) {
        const int ligne = s[i];
        const u64 bit = 1ull << ligne;
        int j = i;
        while (j < 64 && !(m[s[j]][0] & bit)) ++j;
        if (j < 64) {
            echanger(ligne, s[j]);
            for (int r = 0; r < 64; ++r)
                if (r != ligne && (m[r][0] & bit)) m[r][0] ^= m[ligne][0], m[r][1] ^= m[ligne][1];
            masque |= bit;
            ++dimension;
            continue;
        }
        j = i;
        while (j < 64 && !(m[s[j]][1] & bit)) ++j;
        if (j == 64) return -1;
        echanger(ligne, s[j]);
        for (int r = 0; r < 64; ++r)
            if (r != ligne && (m[r][1] & bit)) m[r][0] ^= m[ligne][0], m[r][1] ^= m[ligne][1];
        m[ligne][0] = m[ligne][1] = 0;
    }
    for (int i = 0; i < 64; ++i) w[i] = m[i][1];
    return dimension;
}

// Threads meet here between the phases of a step: the last to come lets
// the others go. They spin a little, then yield.
class Barriere {
   public:
    void fixer(unsigned n) { n_ = n; }
    void attendre() {
        if (n_ == 1) return;
        const unsigned g = generation_.load(std::memory_order_acquire);
        if (arrives_.fetch_add(1, std::memory_order_acq_rel) + 1 == n_) {
            arrives_.store(0, std::memory_order_relaxed);
            generation_.fetch_add(1, std::memory_order_release);
            return;
        }
        for (unsigned tours = 0; generation_.load(std::memory_order_acquire) == g; ++tours) {
            if (tours >= 2000) std::this_thread::yield();
#if defined(__x86_64__) || defined(__i386__)
            else
                _mm_pause();
#endif
        }
    }

   private:
    unsigned n_ = 1;
    std::atomic<unsigned> arrives_{0}, generation_{0};
};

class Lanczos {
   public:
    Lanczos(const std::vector<std::vector<std::uint32_t>>& colonnes, std::size_t lignes, std::uint64_t graine)
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

    std::vector<u64> noyau(unsigned fils) {
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
            } catch (const std::system_error&) {
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
        if (echec_) return {};
        std::vector<u64> z = combiner();
        if (std::all_of(z.begin(), z.end(), [](u64 w) { return w == 0; })) z.clear();
        return z;
    }

   private:
    // The dense rows of B v from the blocks of columns [b0, b1), into d.
    void denses(const u64* v, std::size_t b0, std::size_t b1, u64* d) const {
        for (std::size_t b = b0; b < b1; ++b) {
            const u64* vb = v + b * colonnesParBloc;
            const std::uint32_t* debut = &debutDense_[b * d_];
            for (std::size_t r = 0; r < d_; ++r) {
                u64 s = 0;
                for (std::uint32_t k = debut[r]; k < debut[r + 1]; ++k) s ^= vb[colonnesDense_[k]];
                d[r] ^= s;
            }
        }
    }
    // The other rows of B v, [r0, r1) of them.
    void eparses(const u64* v, std::size_t r0, std::size_t r1) {
        for (std::size_t r = r0; r < r1; ++r) {
            u64 s = 0;
            for (std::uint32_t k = debutLigne_[r]; k < debutLigne_[r + 1]; ++k) s ^= v[colonnesDe_[k]];
            w_[r] = s;
        }
    }
    // w = B v, on one thread.
    void parB(const u64* v) {
        std::fill(w_.begin(), w_.begin() + static_cast<std::ptrdiff_t>(d_), 0);
        denses(v, 0, (n_ + colonnesParBloc - 1) / colonnesParBloc, w_.data());
        eparses(v, d_, m_);
    }
    // Word c of B^T w.
    u64 parBt(std::size_t c) const {
        u64 s = 0;
        for (std::uint32_t k = debutColonne_[c]; k < debutColonne_[c + 1]; ++k) s ^= w_[lignesDe_[k]];
        return s;
    }

    // The rows and the columns cut in slices of equal work, one per thread.
    void partager() {
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

    void boucle(unsigned t) {
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

    // The step's choices, on the main thread: S, W and the blocks that make
    // the next V from A V, V and the two before.
    void decider() {
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
    std::vector<u64> combiner() {
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

    std::size_t n_, m_;
    std::size_t d_ = 0;  // rows [0, d_) dense
    // Column by column, every row; row by row, the other rows only.
    std::vector<std::uint32_t> debutColonne_, lignesDe_, debutLigne_, colonnesDe_;
    std::vector<std::uint32_t> debutDense_;    // block b, row r: from debutDense_[b d_ + r]
    std::vector<std::uint16_t> colonnesDense_;  // columns within the block
    std::array<std::vector<u64>, 4> v_;
    std::vector<u64> x_, w_, initial_;
    const u64* dernier_ = nullptr;
    unsigned nombre_ = 1;
    std::vector<std::size_t> tranchesLignes_, tranchesColonnes_, tranchesBlocs_;
    std::vector<std::array<Accumulateur, 3>> accus_;
    std::vector<std::vector<u64>> partiels_;  // each thread's dense rows
    Barriere barriere_;
    // Written by the main thread between two meetings, read by all.
    bool fini_ = false, echec_ = false;
    Table td_, te_, tf_, tx_;
    Bloc winv1_{}, winv2_{}, vav1_{}, vaav1_{};
    u64 masque1_ = tous;
    std::size_t pas_ = 0;
};

}  // namespace

std::vector<std::uint64_t> noyauParLanczos(const std::vector<std::vector<std::uint32_t>>& colonnes, std::size_t lignes,
                                           std::uint64_t graine, unsigned fils) {
    std::size_t entrees = 0;
    for (const auto& c : colonnes) entrees += c.size();
    if (colonnes.empty() || entrees >= (1ull << 32)) return {};
    auto l = std::make_unique<Lanczos>(colonnes, lignes, graine);  // 70 KB of tables: not on the stack
    return l->noyau(fils);
}

}  // namespace harmo
