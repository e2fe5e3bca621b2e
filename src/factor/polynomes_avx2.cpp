// SPDX-License-Identifier: GPL-3.0-or-later
// The polynomials' kernels in AVX2 registers: the roots moved from one B to
// the next eight at a time, the roots of a new A four primes a register in
// doubles (FMA for the exact remainder), four registers side by side. The
// same arithmetic as the AVX-512 kernel (factor/polynomes_avx512.cpp).
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/compression_avx2.h"
#include "factor/deplacement_vectoriel.h"
#include "factor/polynomes.h"

#include <immintrin.h>

namespace harmo::avx2 {

// The roots r1, r2 of [debut, fin) moved by +d (monte) or -d mod p, eight at
// a time, pasDeRacine kept.
__attribute__((target("avx2"))) std::size_t deplacerRacines(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d,
                                                          const std::uint32_t* p, std::size_t debut, std::size_t fin, bool monte) {
    const __m256i absente = _mm256_set1_epi32(-1);
    std::size_t i = debut;
    for (; i + 8 <= fin; i += 8) {
        __m256i a = charger(r1 + i), b = charger(r2 + i);
        const __m256i deA = _mm256_cmpeq_epi32(a, absente);
        deplacerHuit(a, b, charger(p + i), charger(d + i), monte);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(r1 + i), _mm256_blendv_epi8(a, absente, deA));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(r2 + i), _mm256_blendv_epi8(b, absente, deA));
    }
    return i;
}

namespace {

// x y mod p on four lanes of integers below 2^22 held as doubles: the
// product is exact, its quotient through 1/p one off at most either way,
// the remainder from one fused multiply-add exact, then corrected.
__attribute__((target("avx2,fma"), always_inline)) inline __m256d produitModulo(__m256d x, __m256d y, __m256d p,
                                                                              __m256d inverse) {
    const __m256d h = _mm256_mul_pd(x, y);
    const __m256d q = _mm256_floor_pd(_mm256_mul_pd(h, inverse));
    __m256d r = _mm256_fnmadd_pd(q, p, h);
    r = _mm256_add_pd(r, _mm256_and_pd(_mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_LT_OQ), p));
    return _mm256_sub_pd(r, _mm256_and_pd(_mm256_cmp_pd(r, p, _CMP_GE_OQ), p));
}

// x + y mod p and x - y mod p, for x, y < p.
__attribute__((target("avx2"), always_inline)) inline __m256d sommeModulo(__m256d x, __m256d y, __m256d p) {
    const __m256d r = _mm256_add_pd(x, y);
    return _mm256_sub_pd(r, _mm256_and_pd(_mm256_cmp_pd(r, p, _CMP_GE_OQ), p));
}
__attribute__((target("avx2"), always_inline)) inline __m256d differenceModulo(__m256d x, __m256d y, __m256d p) {
    const __m256d r = _mm256_sub_pd(x, y);
    return _mm256_add_pd(r, _mm256_and_pd(_mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_LT_OQ), p));
}

__attribute__((target("avx2"), always_inline)) inline void ecrire(std::uint32_t* x, __m256d v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(x), _mm256_cvtpd_epi32(v));
}

}  // namespace

// See the AVX-512 kernel: A mod p as the product of the q_l mod p, its
// inverse by Fermat, each 1/q_l by Montgomery's trick, then 2 B_l / A and
// the two roots; a prime of A gets pasDeRacine (-1 converted).
__attribute__((target("avx2,fma"))) std::size_t racinesDUnA(const DonneesDUnA& donnees, std::size_t debut, std::size_t fin) {
    constexpr int G = 4;
    const std::size_t s = donnees.s;
    const std::uint32_t* p = donnees.p;
    const std::uint32_t* t = donnees.racine;
    __m256d x[maximumParHuit][G], partiel[maximumParHuit + 1][G];
    __m256d pv[G], inverse[G], ainv[G], reste[G], somme[G];
    __m256i e[G];
    const __m256d un = _mm256_set1_pd(1.0), Md = _mm256_set1_pd(static_cast<double>(donnees.M)), zero = _mm256_setzero_pd();
    const __m256d absente = _mm256_set1_pd(-1.0);
    std::size_t i = debut;
    for (; i + 4 * G <= fin; i += 4 * G) {
        for (int g = 0; g < G; ++g) {
            const __m128i p32 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 4 * g));
            pv[g] = _mm256_cvtepi32_pd(p32);
            inverse[g] = _mm256_div_pd(un, pv[g]);
            partiel[0][g] = un;
            e[g] = _mm256_sub_epi64(_mm256_cvtepu32_epi64(p32), _mm256_set1_epi64x(2));
            ainv[g] = un;
        }
        for (std::size_t l = 0; l < s; ++l) {
            const __m256d q = _mm256_set1_pd(static_cast<double>(donnees.q[l]));
            for (int g = 0; g < G; ++g) {
                x[l][g] = produitModulo(q, un, pv[g], inverse[g]);
                partiel[l + 1][g] = produitModulo(partiel[l][g], x[l][g], pv[g], inverse[g]);
            }
        }
        for (int bit = 21; bit >= 0; --bit) {
            const __m256i b = _mm256_set1_epi64x(1LL << bit);
            for (int g = 0; g < G; ++g) {
                ainv[g] = produitModulo(ainv[g], ainv[g], pv[g], inverse[g]);
                const __m256d m = _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(e[g], b), b));
                ainv[g] = _mm256_blendv_pd(ainv[g], produitModulo(ainv[g], partiel[s][g], pv[g], inverse[g]), m);
            }
        }
        for (int g = 0; g < G; ++g) {
            reste[g] = ainv[g];
            somme[g] = zero;
        }
        for (std::size_t l = s; l-- > 0;) {
            const __m256d gl = _mm256_set1_pd(static_cast<double>(donnees.g[l]));
            for (int g = 0; g < G; ++g) {
                const __m256d inverseX = produitModulo(reste[g], partiel[l][g], pv[g], inverse[g]);
                reste[g] = produitModulo(reste[g], x[l][g], pv[g], inverse[g]);
                const __m256d gx = produitModulo(gl, inverseX, pv[g], inverse[g]);
                somme[g] = sommeModulo(somme[g], gx, pv[g]);
                ecrire(donnees.bainv2[l] + i + 4 * g, sommeModulo(gx, gx, pv[g]));
            }
        }
        for (int g = 0; g < G; ++g) {
            const std::size_t k = i + 4 * static_cast<std::size_t>(g);
            const __m256d a = partiel[s][g];
            const __m256d b = produitModulo(a, somme[g], pv[g], inverse[g]);
            const __m256d tv = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + k)));
            const __m256d m = produitModulo(Md, un, pv[g], inverse[g]);
            const __m256d u1 = produitModulo(differenceModulo(tv, b, pv[g]), ainv[g], pv[g], inverse[g]);
            const __m256d u2 = produitModulo(differenceModulo(differenceModulo(zero, tv, pv[g]), b, pv[g]), ainv[g], pv[g], inverse[g]);
            const __m256d deA = _mm256_cmp_pd(a, zero, _CMP_EQ_OQ);
            ecrire(donnees.r1 + k, _mm256_blendv_pd(sommeModulo(u1, m, pv[g]), absente, deA));
            ecrire(donnees.r2 + k, _mm256_blendv_pd(sommeModulo(u2, m, pv[g]), absente, deA));
        }
    }
    return i;
}

}  // namespace harmo::avx2
#endif
