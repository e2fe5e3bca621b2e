// SPDX-License-Identifier: GPL-3.0-or-later
// The move of sixteen pairs of roots from one polynomial of a family to the
// next, in AVX-512 registers: with r, d < p, r + d (monte) or r - d brought
// back into [0, p) is the smaller of it and of it -p (+p) as unsigned words.
// Shared by the polynomials (factor/polynomes.cpp) and the bucket fill
// (factor/crible.cpp), which makes the move while it reads the roots.
// Cost: six vector operations per sixteen primes.
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

}  // namespace harmo
#endif
