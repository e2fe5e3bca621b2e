// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's kernels in AVX2 registers: the primes that divide a candidate
// four at a time (64-bit lanes, the quotient by the reciprocal from two
// 32 x 32-bit products), the bucket entries on one place and the medium
// primes eight at a time, the scan of a block for candidates 32 bytes at a
// time. The same work as the one-by-one versions of factor/crible.h.
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/compression_avx2.h"
#include "factor/crible.h"

#include <immintrin.h>

namespace harmo::avx2 {

namespace {

// Four words from x, widened to 64 bits.
__attribute__((target("avx2"), always_inline)) inline __m256i quatre(const std::uint32_t* x) {
    return _mm256_cvtepu32_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x)));
}

}  // namespace

// j mod p = j - q p, q = (j ceil(2^40 / p)) >> 40 as in the scalar loop: the
// reciprocal below 2^40 split in its low and high 32 bits, the two
// products added in 64 bits (no carry lost: the whole is below 2^64).
__attribute__((target("avx2"))) std::size_t racinesAtteintes(std::uint32_t j, const std::uint64_t* inverses, const std::uint32_t* p,
                                                           const std::uint32_t* r1, const std::uint32_t* r2, std::size_t& i,
                                                           std::size_t fin, std::uint32_t* trouves) {
    std::size_t n = 0;
    const __m256i jv = _mm256_set1_epi64x(static_cast<long long>(j));
    for (; i + 4 <= fin; i += 4) {
        const __m256i inv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(inverses + i));
        const __m256i produit = _mm256_add_epi64(_mm256_mul_epu32(jv, inv),
                                                 _mm256_slli_epi64(_mm256_mul_epu32(jv, _mm256_srli_epi64(inv, 32)), 32));
        const __m256i m = _mm256_sub_epi64(jv, _mm256_mul_epu32(_mm256_srli_epi64(produit, 40), quatre(p + i)));
        const __m256i egal = _mm256_or_si256(_mm256_cmpeq_epi64(m, quatre(r1 + i)), _mm256_cmpeq_epi64(m, quatre(r2 + i)));
        for (unsigned k = static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(egal))); k != 0; k &= k - 1)
            trouves[n++] = static_cast<std::uint32_t>(i + static_cast<std::size_t>(__builtin_ctz(k)));
    }
    return n;
}

__attribute__((target("avx2"))) std::size_t entreesSur(std::uint32_t pos, const std::uint32_t* seau, std::size_t& k, std::size_t n,
                                                     std::uint32_t* trouves) {
    std::size_t t = 0;
    const __m256i bas = _mm256_set1_epi32(tailleDeBloc - 1), place = _mm256_set1_epi32(static_cast<int>(pos));
    for (; k + 8 <= n; k += 8) {
        const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(seau + k));
        const unsigned m = masqueDe(_mm256_cmpeq_epi32(_mm256_and_si256(e, bas), place));
        if (m == 0) continue;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(trouves + t), comprimer(_mm256_srli_epi32(e, 15), m));
        t += static_cast<std::size_t>(__builtin_popcount(m));
    }
    return t;
}

// As the AVX-512 kernel, eight primes a register: their places in the
// block gathered (the last hit only when inside, packed), then l added at
// each; a prime of A only touches the spare byte, a prime with one root
// sieves it once. Positions stay below 2^16, so signed comparisons serve.
__attribute__((target("avx2"))) void cribleParSeize(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2, const std::uint32_t* p,
                                                  std::size_t debut, std::size_t fin, std::uint32_t h, std::uint8_t l) {
    constexpr std::uint32_t place = 1024;
    alignas(32) std::uint32_t places[place + 16 * (tailleDeBloc / debutVectoriel + 1) + 8];
    std::uint32_t n = 0;
    const __m256i T = _mm256_set1_epi32(tailleDeBloc), absente = _mm256_set1_epi32(-1);
    for (std::size_t i = debut; i < fin; i += 8) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pos1 + i));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pos2 + i));
        const __m256i pv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        const __m256i deA = _mm256_cmpeq_epi32(a, absente);
        const __m256i seule = _mm256_andnot_si256(deA, _mm256_cmpeq_epi32(a, b));
        const __m256i deAouSeule = _mm256_or_si256(deA, seule);
        const __m256i pa = _mm256_andnot_si256(deA, pv), pb = _mm256_andnot_si256(deAouSeule, pv);
        a = _mm256_blendv_epi8(a, T, deA);
        b = _mm256_blendv_epi8(b, T, deAouSeule);
        for (std::uint32_t k = 0; k < h; ++k, n += 16) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(places + n), a);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(places + n + 8), b);
            a = _mm256_add_epi32(a, pa);
            b = _mm256_add_epi32(b, pb);
        }
        const __m256i da = _mm256_cmpgt_epi32(T, a), db = _mm256_cmpgt_epi32(T, b);
        const unsigned ma = masqueDe(da), mb = masqueDe(db);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(places + n), comprimer(a, ma));
        n += static_cast<std::uint32_t>(__builtin_popcount(ma));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(places + n), comprimer(b, mb));
        n += static_cast<std::uint32_t>(__builtin_popcount(mb));
        __m256i an = _mm256_sub_epi32(_mm256_add_epi32(a, _mm256_and_si256(da, pa)), T);
        __m256i bn = _mm256_sub_epi32(_mm256_add_epi32(b, _mm256_and_si256(db, pb)), T);
        an = _mm256_blendv_epi8(an, absente, deA);
        bn = _mm256_blendv_epi8(_mm256_blendv_epi8(bn, absente, deA), an, seule);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pos1 + i), an);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pos2 + i), bn);
        if (n >= place) {
            for (std::uint32_t k = 0; k < n; ++k) s[places[k]] += l;
            n = 0;
        }
    }
    for (std::uint32_t k = 0; k < n; ++k) s[places[k]] += l;
}

__attribute__((target("avx2"))) std::size_t candidats(const std::uint8_t* s, std::size_t n, std::uint32_t* places) {
    std::size_t t = 0;
    for (std::size_t w = 0; w < n; w += 64) {
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + w));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + w + 32));
        if (_mm256_testz_si256(_mm256_or_si256(v0, v1), _mm256_set1_epi8(static_cast<char>(0x80)))) continue;
        std::uint64_t m = static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(v1))) << 32 |
                          static_cast<std::uint32_t>(_mm256_movemask_epi8(v0));
        for (; m != 0; m &= m - 1) places[t++] = static_cast<std::uint32_t>(w + static_cast<std::size_t>(__builtin_ctzll(m)));
    }
    return t;
}

}  // namespace harmo::avx2
#endif
