// SPDX-License-Identifier: GPL-3.0-or-later
// AVX2 has no mask registers and no compress-store: a lane mask is read from
// the sign bits of a vector (movemask), and the lanes it keeps are packed to
// the front by a shuffle taken from a table of the 256 masks of 8 lanes.
// Cost: one load of 32 bytes from an 8 KiB table and one permutation.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#include <cstdint>

namespace harmo::avx2 {

struct TableDeCompression {
    alignas(32) std::uint32_t ordre[256][8];
};

// ordre[m]: the indices of the set bits of m first, in increasing order.
constexpr TableDeCompression faireLaTableDeCompression() {
    TableDeCompression t{};
    for (unsigned m = 0; m < 256; ++m) {
        unsigned n = 0;
        for (unsigned k = 0; k < 8; ++k)
            if (m >> k & 1) t.ordre[m][n++] = k;
        for (unsigned k = 0; n < 8; ++k)
            if (!(m >> k & 1)) t.ordre[m][n++] = k;
    }
    return t;
}
inline constexpr TableDeCompression tableDeCompression = faireLaTableDeCompression();

// Eight words from x, anywhere.
__attribute__((target("avx2"), always_inline)) inline __m256i charger(const std::uint32_t* x) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x));
}

// The mask of the lanes of v whose top bit is set (a comparison's result).
__attribute__((target("avx2"), always_inline)) inline unsigned masqueDe(__m256i v) {
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(v)));
}

// The lanes of v in m, packed to the front.
__attribute__((target("avx2"), always_inline)) inline __m256i comprimer(__m256i v, unsigned m) {
    return _mm256_permutevar8x32_epi32(v, _mm256_load_si256(reinterpret_cast<const __m256i*>(tableDeCompression.ordre[m])));
}

// The lanes of e in m packed and written from w on, w moved past them: a
// whole register written, so up to 7 words past them.
__attribute__((target("avx2"), always_inline)) inline void ecrireSousMasque(std::uint32_t*& w, unsigned m, __m256i e) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(w), comprimer(e, m));
    w += __builtin_popcount(m);
}

}  // namespace harmo::avx2
#endif
