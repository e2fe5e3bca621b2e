// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's kernels in AVX-512 registers: the primes that divide a
// candidate eight at a time, the bucket entries on one place and the
// medium primes sixteen at a time, the scan of a block for candidates.
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/crible.h"

#include <immintrin.h>

// GCC 12's own intrinsics start from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace harmo::avx512 {

__attribute__((target("avx512f,avx512dq,avx512vl"))) std::size_t racinesAtteintes(
    std::uint32_t j, const std::uint64_t* inverses, const std::uint32_t* p, const std::uint32_t* r1, const std::uint32_t* r2,
    std::size_t& i, std::size_t fin, std::uint32_t* trouves) {
    std::size_t n = 0;
    const __m512i j64 = _mm512_set1_epi64(static_cast<long long>(j));
    const __m256i j32 = _mm256_set1_epi32(static_cast<int>(j));
    for (; i + 8 <= fin; i += 8) {
        const __m512i q = _mm512_srli_epi64(_mm512_mullo_epi64(j64, _mm512_loadu_si512(inverses + i)), 40);
        const __m256i m = _mm256_sub_epi32(
            j32, _mm256_mullo_epi32(_mm512_cvtepi64_epi32(q), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i))));
        unsigned k = _mm256_cmpeq_epi32_mask(m, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r1 + i))) |
                     _mm256_cmpeq_epi32_mask(m, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r2 + i)));
        for (; k != 0; k &= k - 1) trouves[n++] = static_cast<std::uint32_t>(i + static_cast<std::size_t>(__builtin_ctz(k)));
    }
    return n;
}

// entreesSur, sixteen entries at a time.
__attribute__((target("avx512f"))) std::size_t entreesSur(std::uint32_t pos, const std::uint32_t* seau, std::size_t& k,
                                                                 std::size_t n, std::uint32_t* trouves) {
    std::size_t t = 0;
    const __m512i masque = _mm512_set1_epi32(tailleDeBloc - 1), place = _mm512_set1_epi32(static_cast<int>(pos));
    for (; k + 16 <= n; k += 16) {
        const __m512i e = _mm512_loadu_si512(seau + k);
        const __mmask16 m = _mm512_cmpeq_epi32_mask(_mm512_and_si512(e, masque), place);
        if (m == 0) continue;
        _mm512_mask_compressstoreu_epi32(trouves + t, m, _mm512_srli_epi32(e, 15));
        t += static_cast<std::size_t>(__builtin_popcount(m));
    }
    return t;
}

// Sixteen primes p[i] of [debut, fin) with the same number h of hits per
// root in a block (give or take one) and the same logarithm l: their
// places in the block gathered (the last only when inside, packed under a
// mask: sent to the spare byte, the additions there waited on each other,
// 2.6 cycles per hit against 1.5 measured alone at 2^13..2^15), then l
// added at each; pos1 and pos2 moved to the next block. A prime of A
// (pasDeRacine) only touches the spare byte tailleDeBloc, a prime with one
// root (r1 = r2) sieves it once.
__attribute__((target("avx512f"))) void cribleParSeize(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2,
                                                             const std::uint32_t* p, std::size_t debut, std::size_t fin,
                                                             std::uint32_t h, std::uint8_t l) {
    // The places of several runs of sixteen, added at once: the additions
    // then read stores long done.
    constexpr std::uint32_t place = 1024;
    alignas(64) std::uint32_t places[place + 32 * (tailleDeBloc / debutVectoriel + 1)];
    std::uint32_t n = 0;
    const __m512i T = _mm512_set1_epi32(tailleDeBloc), zero = _mm512_setzero_si512(), absente = _mm512_set1_epi32(-1);
    for (std::size_t i = debut; i < fin; i += 16) {
        __m512i a = _mm512_loadu_si512(pos1 + i), b = _mm512_loadu_si512(pos2 + i);
        const __m512i pv = _mm512_loadu_si512(p + i);
        const __mmask16 deA = _mm512_cmpeq_epi32_mask(a, absente);
        const __mmask16 seule = static_cast<__mmask16>(_mm512_cmpeq_epi32_mask(a, b) & ~deA);
        const __m512i pa = _mm512_mask_mov_epi32(pv, deA, zero);
        const __m512i pb = _mm512_mask_mov_epi32(pv, deA | seule, zero);
        a = _mm512_mask_mov_epi32(a, deA, T);
        b = _mm512_mask_mov_epi32(b, deA | seule, T);
        for (std::uint32_t k = 0; k < h; ++k, n += 32) {
            _mm512_storeu_si512(places + n, a);
            _mm512_storeu_si512(places + n + 16, b);
            a = _mm512_add_epi32(a, pa);
            b = _mm512_add_epi32(b, pb);
        }
        const __mmask16 da = _mm512_cmplt_epu32_mask(a, T), db = _mm512_cmplt_epu32_mask(b, T);
        _mm512_storeu_si512(places + n, _mm512_maskz_compress_epi32(da, a));
        n += static_cast<std::uint32_t>(__builtin_popcount(da));
        _mm512_storeu_si512(places + n, _mm512_maskz_compress_epi32(db, b));
        n += static_cast<std::uint32_t>(__builtin_popcount(db));
        __m512i an = _mm512_sub_epi32(_mm512_add_epi32(a, _mm512_maskz_mov_epi32(da, pa)), T);
        __m512i bn = _mm512_sub_epi32(_mm512_add_epi32(b, _mm512_maskz_mov_epi32(db, pb)), T);
        an = _mm512_mask_mov_epi32(an, deA, absente);
        bn = _mm512_mask_mov_epi32(bn, deA, absente);
        bn = _mm512_mask_mov_epi32(bn, seule, an);
        _mm512_storeu_si512(pos1 + i, an);
        _mm512_storeu_si512(pos2 + i, bn);
        if (n >= place) {
            for (std::uint32_t k = 0; k < n; ++k) s[places[k]] += l;
            n = 0;
        }
    }
    for (std::uint32_t k = 0; k < n; ++k) s[places[k]] += l;
}

// 256-bit registers are enough for the scan: the AVX2 one.
__attribute__((target("avx2"))) std::size_t candidats(const std::uint8_t* s, std::size_t n, std::uint32_t* places) {
    return avx2::candidats(s, n, places);
}

}  // namespace harmo::avx512

#pragma GCC diagnostic pop
#endif
