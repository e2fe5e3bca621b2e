// SPDX-License-Identifier: GPL-3.0-or-later
// The polynomials' kernels in AVX-512 registers: the roots moved from one B
// to the next sixteen at a time, the roots of a new A eight primes at a
// time in doubles.
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/deplacement_vectoriel.h"
#include "factor/polynomes.h"

#include <immintrin.h>

// GCC 12's own intrinsics start from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace harmo::avx512 {

// The roots r1, r2 of [debut, fin) moved by +d (monte) or -d mod p, sixteen
// at a time (deplacerSeize), pasDeRacine kept.
__attribute__((target("avx512f"))) std::size_t deplacerRacines(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d,
                                                                const std::uint32_t* p, std::size_t debut, std::size_t fin,
                                                                bool monte) {
    const __m512i absente = _mm512_set1_epi32(-1);
    std::size_t i = debut;
    for (; i + 16 <= fin; i += 16) {
        __m512i a = _mm512_loadu_si512(r1 + i), b = _mm512_loadu_si512(r2 + i);
        const __mmask16 deA = _mm512_cmpeq_epi32_mask(a, absente);
        deplacerSeize(a, b, _mm512_loadu_si512(p + i), _mm512_loadu_si512(d + i), monte);
        _mm512_storeu_si512(r1 + i, _mm512_mask_mov_epi32(a, deA, absente));
        _mm512_storeu_si512(r2 + i, _mm512_mask_mov_epi32(b, deA, absente));
    }
    return i;
}

namespace {

// x y mod p on eight lanes of integers below 2^22, held exactly as
// doubles: the product is exact (below 2^44); its quotient by p, taken
// through 1/p, may be one off either way, which the two corrections undo
// (the remainder itself, from one fused multiply-add, is exact).
__attribute__((target("avx512f"), always_inline)) inline __m512d produitModulo(__m512d x, __m512d y, __m512d p,
                                                                              __m512d inverse) {
    const __m512d h = _mm512_mul_pd(x, y);
    const __m512d q = _mm512_roundscale_pd(_mm512_mul_pd(h, inverse), _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    __m512d r = _mm512_fnmadd_pd(q, p, h);
    r = _mm512_mask_add_pd(r, _mm512_cmp_pd_mask(r, _mm512_setzero_pd(), _CMP_LT_OQ), r, p);
    return _mm512_mask_sub_pd(r, _mm512_cmp_pd_mask(r, p, _CMP_GE_OQ), r, p);
}

// x + y mod p and x - y mod p, for x, y < p.
__attribute__((target("avx512f"), always_inline)) inline __m512d sommeModulo(__m512d x, __m512d y, __m512d p) {
    const __m512d r = _mm512_add_pd(x, y);
    return _mm512_mask_sub_pd(r, _mm512_cmp_pd_mask(r, p, _CMP_GE_OQ), r, p);
}
__attribute__((target("avx512f"), always_inline)) inline __m512d differenceModulo(__m512d x, __m512d y, __m512d p) {
    const __m512d r = _mm512_sub_pd(x, y);
    return _mm512_mask_add_pd(r, _mm512_cmp_pd_mask(r, _mm512_setzero_pd(), _CMP_LT_OQ), r, p);
}

}  // namespace

// What FamilleDePolynomes::racinesDuPremierB computes with mpz remainders and an inversion per
// prime, for the primes p[i] of [debut, fin) eight at a time (every p odd,
// prime and below 2^22, and M below 2^22), from A = q_1 ... q_s and
// B_l = g_l A / q_l: with x_l = q_l mod p, a = A mod p is the product of
// the x_l, 1/a is a^(p-2) (Fermat), and each 1/x_l comes from it and the
// partial products (Montgomery's trick); then 2 B_l / A = 2 g_l / x_l,
// B / A = sum g_l / x_l, and the roots are (+-t - B) / A + M mod p. A prime
// of A (a = 0) gets pasDeRacine. About 100 products modulo p per prime on
// eight lanes, against some 15 remainders of mpz and an extended gcd, one
// by one; four registers of eight side by side, since each product waits
// on the one before. Returns where it stopped.
__attribute__((target("avx512f"))) std::size_t racinesDUnA(const DonneesDUnA& donnees, std::size_t debut, std::size_t fin) {
    constexpr int G = 4;
    const std::size_t s = donnees.s;
    const std::uint32_t* p = donnees.p;
    const std::uint32_t* t = donnees.racine;
    __m512d x[maximumParHuit][G], partiel[maximumParHuit + 1][G];
    __m512d pv[G], inverse[G], ainv[G], reste[G], somme[G];
    __m256i p32[G];
    const __m512d un = _mm512_set1_pd(1.0), Md = _mm512_set1_pd(static_cast<double>(donnees.M)), zero = _mm512_setzero_pd();
    const __m512d absente = _mm512_set1_pd(static_cast<double>(pasDeRacine));
    const __m512i deux = _mm512_set1_epi64(2);
    std::size_t i = debut;
    for (; i + 8 * G <= fin; i += 8 * G) {
        for (int g = 0; g < G; ++g) {
            p32[g] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 8 * g));
            pv[g] = _mm512_cvtepu32_pd(p32[g]);
            inverse[g] = _mm512_div_pd(un, pv[g]);
            partiel[0][g] = un;
        }
        for (std::size_t l = 0; l < s; ++l) {
            const __m512d q = _mm512_set1_pd(static_cast<double>(donnees.q[l]));
            for (int g = 0; g < G; ++g) {
                x[l][g] = produitModulo(q, un, pv[g], inverse[g]);
                partiel[l + 1][g] = produitModulo(partiel[l][g], x[l][g], pv[g], inverse[g]);
            }
        }
        // a^(p - 2), from the high bit of p - 2 < 2^22 down.
        __m512i e[G];
        for (int g = 0; g < G; ++g) {
            ainv[g] = un;
            e[g] = _mm512_sub_epi64(_mm512_cvtepu32_epi64(p32[g]), deux);
        }
        for (int bit = 21; bit >= 0; --bit)
            for (int g = 0; g < G; ++g) {
                ainv[g] = produitModulo(ainv[g], ainv[g], pv[g], inverse[g]);
                const __mmask8 m = _mm512_test_epi64_mask(e[g], _mm512_set1_epi64(1LL << bit));
                ainv[g] = _mm512_mask_mov_pd(ainv[g], m, produitModulo(ainv[g], partiel[s][g], pv[g], inverse[g]));
            }
        // From 1 / (x_1 ... x_s) down: 1 / x_l = partiel[l] / (x_1 ... x_l).
        for (int g = 0; g < G; ++g) {
            reste[g] = ainv[g];
            somme[g] = zero;
        }
        for (std::size_t l = s; l-- > 0;) {
            const __m512d gl = _mm512_set1_pd(static_cast<double>(donnees.g[l]));
            for (int g = 0; g < G; ++g) {
                const __m512d inverseX = produitModulo(reste[g], partiel[l][g], pv[g], inverse[g]);
                reste[g] = produitModulo(reste[g], x[l][g], pv[g], inverse[g]);
                const __m512d gx = produitModulo(gl, inverseX, pv[g], inverse[g]);
                somme[g] = sommeModulo(somme[g], gx, pv[g]);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(donnees.bainv2[l] + i + 8 * g),
                                    _mm512_cvtpd_epu32(sommeModulo(gx, gx, pv[g])));
            }
        }
        for (int g = 0; g < G; ++g) {
            const std::size_t k = i + 8 * static_cast<std::size_t>(g);
            const __m512d a = partiel[s][g];
            const __m512d b = produitModulo(a, somme[g], pv[g], inverse[g]);
            const __m512d tv = _mm512_cvtepu32_pd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + k)));
            const __m512d m = produitModulo(Md, un, pv[g], inverse[g]);
            const __m512d u1 = produitModulo(differenceModulo(tv, b, pv[g]), ainv[g], pv[g], inverse[g]);
            const __m512d moinsT = differenceModulo(zero, tv, pv[g]);
            const __m512d u2 = produitModulo(differenceModulo(moinsT, b, pv[g]), ainv[g], pv[g], inverse[g]);
            const __mmask8 deA = _mm512_cmp_pd_mask(a, zero, _CMP_EQ_OQ);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(donnees.r1 + k),
                                _mm512_cvtpd_epu32(_mm512_mask_mov_pd(sommeModulo(u1, m, pv[g]), deA, absente)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(donnees.r2 + k),
                                _mm512_cvtpd_epu32(_mm512_mask_mov_pd(sommeModulo(u2, m, pv[g]), deA, absente)));
        }
    }
    return i;
}

}  // namespace harmo::avx512

#pragma GCC diagnostic pop
#endif
