// SPDX-License-Identifier: GPL-3.0-or-later
// Block Lanczos over GF(2) on every core (factor/lanczos.h): the matrix B,
// its dense rows apart by blocks of columns, and the iteration's state.
// The steps are in factor/lanczos.cpp, the choices of each step and the
// final elimination in factor/lanczos_etape.cpp.
#pragma once

#include "factor/blocs_gf2.h"

#include <array>
#include <cstdint>
#include <vector>

namespace harmo::gf2 {

class Lanczos {
   public:
    Lanczos(const std::vector<std::vector<std::uint32_t>>& colonnes, std::size_t lignes, std::uint64_t graine);

    std::vector<u64> noyau(unsigned fils);

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
    void partager();

    void boucle(unsigned t);

    // The step's choices, on the main thread: S, W and the blocks that make
    // the next V from A V, V and the two before.
    void decider();

    // x and the last V hold the kernel between them: the combinations of
    // their 128 columns that B sends to zero, then those of them that are
    // independent and not zero.
    std::vector<u64> combiner();

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
    bool fini_ = false, echec_ = false, interrompu_ = false;
    Table td_, te_, tf_, tx_;
    Bloc winv1_{}, winv2_{}, vav1_{}, vaav1_{};
    u64 masque1_ = tous;
    std::size_t pas_ = 0;
};

}  // namespace harmo::gf2
