// SPDX-License-Identifier: GPL-3.0-or-later
// The 64 x 64 blocks over GF(2) of block Lanczos (factor/lanczos.h): their
// products, Montgomery's choice of S and W at each step, a row times a
// fixed block by table lookups, X^T Y accumulated row by row; and the
// barrier where the threads meet between the phases of a step.
// Reference: P. L. Montgomery, "A block Lanczos algorithm for finding
// dependencies over GF(2)", EUROCRYPT '95.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace harmo::gf2 {

using u64 = std::uint64_t;
using Bloc = std::array<u64, 64>;  // a 64 x 64 matrix, row i in word i
constexpr u64 tous = ~0ull;
constexpr std::size_t colonnesParBloc = 4096;  // 32 KB of a block of vectors

// a b: row i of the product is the sum of the rows of b picked by row i of a.
Bloc produit(const Bloc& a, const Bloc& b);

Bloc plusIdentite(Bloc a);

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
int choisir(const Bloc& t, u64 precedent, Bloc& w, u64& masque);

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

}  // namespace harmo::gf2
