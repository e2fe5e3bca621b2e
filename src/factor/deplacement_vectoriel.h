// SPDX-License-Identifier: GPL-3.0-or-later
// The move of a register of pairs of roots from one polynomial of a family
// to the next (sixteen in AVX-512, eight in AVX2): with r, d < p, r + d
// (monte) or r - d brought back into [0, p) is the smaller of it and of it
// -p (+p) as unsigned words. Shared by the polynomials and the bucket
// fill, which makes the move while it reads the roots.
// Cost: six vector operations per register.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

namespace harmo {

__attribute__((target("avx512f"), always_inline)) inline void deplacerSeize(__m512i& a, __m512i& b, __m512i p, __m512i d,
                                                                           bool monte) {
    if (monte) {
        a = _mm512_add_epi32(a, d);
        b = _mm512_add_epi32(b, d);
        a = _mm512_min_epu32(a, _mm512_sub_epi32(a, p));
        b = _mm512_min_epu32(b, _mm512_sub_epi32(b, p));
    } else {
        a = _mm512_sub_epi32(a, d);
        b = _mm512_sub_epi32(b, d);
        a = _mm512_min_epu32(a, _mm512_add_epi32(a, p));
        b = _mm512_min_epu32(b, _mm512_add_epi32(b, p));
    }
}

__attribute__((target("avx2"), always_inline)) inline void deplacerHuit(__m256i& a, __m256i& b, __m256i p, __m256i d,
                                                                      bool monte) {
    if (monte) {
        a = _mm256_add_epi32(a, d);
        b = _mm256_add_epi32(b, d);
        a = _mm256_min_epu32(a, _mm256_sub_epi32(a, p));
        b = _mm256_min_epu32(b, _mm256_sub_epi32(b, p));
    } else {
        a = _mm256_sub_epi32(a, d);
        b = _mm256_sub_epi32(b, d);
        a = _mm256_min_epu32(a, _mm256_add_epi32(a, p));
        b = _mm256_min_epu32(b, _mm256_add_epi32(b, p));
    }
}

}  // namespace harmo
#endif
