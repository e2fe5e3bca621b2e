// SPDX-License-Identifier: GPL-3.0-or-later
// The roots of a new A on the generic path, in the SSE2 registers every
// x86-64 has: two primes a register in doubles, four registers side by
// side, the arithmetic of the AVX-512 kernel (factor/polynomes_avx512.cpp)
// without FMA or a rounding instruction. On the 70-digit semiprime the
// mpz remainders and extended gcds of the one-by-one version took 5 % of
// the generic path's time, against 1.4 % for the AVX2 kernel.
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/polynomes.h"

#include <emmintrin.h>

namespace harmo::sse2 {

namespace {

// x y mod p on two lanes of integers below 2^22 held as doubles: the
// product is exact; its quotient through 1/p, truncated (it is positive,
// below 2^22, so it fits the 32-bit conversion), one off at most either
// way; q p below 2^45, so h - q p is exact; then corrected.
inline __m128d produitModulo(__m128d x, __m128d y, __m128d p, __m128d inverse) {
    const __m128d h = _mm_mul_pd(x, y);
    const __m128d q = _mm_cvtepi32_pd(_mm_cvttpd_epi32(_mm_mul_pd(h, inverse)));
    __m128d r = _mm_sub_pd(h, _mm_mul_pd(q, p));
    r = _mm_add_pd(r, _mm_and_pd(_mm_cmplt_pd(r, _mm_setzero_pd()), p));
    return _mm_sub_pd(r, _mm_and_pd(_mm_cmpge_pd(r, p), p));
}

// x + y mod p and x - y mod p, for x, y < p.
inline __m128d sommeModulo(__m128d x, __m128d y, __m128d p) {
    const __m128d r = _mm_add_pd(x, y);
    return _mm_sub_pd(r, _mm_and_pd(_mm_cmpge_pd(r, p), p));
}
inline __m128d differenceModulo(__m128d x, __m128d y, __m128d p) {
    const __m128d r = _mm_sub_pd(x, y);
    return _mm_add_pd(r, _mm_and_pd(_mm_cmplt_pd(r, _mm_setzero_pd()), p));
}

inline __m128d choisir(__m128d masque, __m128d oui, __m128d non) {
    return _mm_or_pd(_mm_and_pd(masque, oui), _mm_andnot_pd(masque, non));
}

inline __m128d charger(const std::uint32_t* x) {
    return _mm_cvtepi32_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(x)));
}

// Two lanes to two words: -1 (pasDeRacine) converts to itself.
inline void ecrire(std::uint32_t* x, __m128d v) { _mm_storel_epi64(reinterpret_cast<__m128i*>(x), _mm_cvtpd_epi32(v)); }

}  // namespace

std::size_t racinesDUnA(const DonneesDUnA& donnees, std::size_t debut, std::size_t fin) {
    constexpr int G = 4;
    const std::size_t s = donnees.s;
    const std::uint32_t* p = donnees.p;
    const std::uint32_t* t = donnees.racine;
    __m128d x[maximumParHuit][G], partiel[maximumParHuit + 1][G];
    __m128d pv[G], inverse[G], ainv[G], reste[G], somme[G];
    __m128i e[G];
    const __m128d un = _mm_set1_pd(1.0), Md = _mm_set1_pd(static_cast<double>(donnees.M)), zero = _mm_setzero_pd();
    const __m128d absente = _mm_set1_pd(-1.0);
    std::size_t i = debut;
    for (; i + 2 * G <= fin; i += 2 * G) {
        for (int g = 0; g < G; ++g) {
            const __m128i p32 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i + 2 * g));
            pv[g] = _mm_cvtepi32_pd(p32);
            inverse[g] = _mm_div_pd(un, pv[g]);
            partiel[0][g] = un;
            e[g] = _mm_unpacklo_epi32(_mm_sub_epi32(p32, _mm_set1_epi32(2)), _mm_setzero_si128());  // p - 2 in 64-bit lanes
            ainv[g] = un;
        }
        for (std::size_t l = 0; l < s; ++l) {
            const __m128d q = _mm_set1_pd(static_cast<double>(donnees.q[l]));
            for (int g = 0; g < G; ++g) {
                x[l][g] = produitModulo(q, un, pv[g], inverse[g]);
                partiel[l + 1][g] = produitModulo(partiel[l][g], x[l][g], pv[g], inverse[g]);
            }
        }
        // a^(p - 2), from the high bit of p - 2 < 2^22 down; a bit's mask
        // from the low half of each lane (the high halves, both 0, compare
        // equal anyway).
        for (int bit = 21; bit >= 0; --bit) {
            const __m128i b = _mm_set1_epi64x(1LL << bit);
            for (int g = 0; g < G; ++g) {
                ainv[g] = produitModulo(ainv[g], ainv[g], pv[g], inverse[g]);
                const __m128i egal = _mm_cmpeq_epi32(_mm_and_si128(e[g], b), b);
                const __m128d m = _mm_castsi128_pd(_mm_shuffle_epi32(egal, _MM_SHUFFLE(2, 2, 0, 0)));
                ainv[g] = choisir(m, produitModulo(ainv[g], partiel[s][g], pv[g], inverse[g]), ainv[g]);
            }
        }
        // From 1 / (x_1 ... x_s) down: 1 / x_l = partiel[l] / (x_1 ... x_l).
        for (int g = 0; g < G; ++g) {
            reste[g] = ainv[g];
            somme[g] = zero;
        }
        for (std::size_t l = s; l-- > 0;) {
            const __m128d gl = _mm_set1_pd(static_cast<double>(donnees.g[l]));
            for (int g = 0; g < G; ++g) {
                const __m128d inverseX = produitModulo(reste[g], partiel[l][g], pv[g], inverse[g]);
                reste[g] = produitModulo(reste[g], x[l][g], pv[g], inverse[g]);
                const __m128d gx = produitModulo(gl, inverseX, pv[g], inverse[g]);
                somme[g] = sommeModulo(somme[g], gx, pv[g]);
                ecrire(donnees.bainv2[l] + i + 2 * g, sommeModulo(gx, gx, pv[g]));
            }
        }
        for (int g = 0; g < G; ++g) {
            const std::size_t k = i + 2 * static_cast<std::size_t>(g);
            const __m128d a = partiel[s][g];
            const __m128d b = produitModulo(a, somme[g], pv[g], inverse[g]);
            const __m128d tv = charger(t + k);
            const __m128d m = produitModulo(Md, un, pv[g], inverse[g]);
            const __m128d u1 = produitModulo(differenceModulo(tv, b, pv[g]), ainv[g], pv[g], inverse[g]);
            const __m128d u2 = produitModulo(differenceModulo(differenceModulo(zero, tv, pv[g]), b, pv[g]), ainv[g], pv[g], inverse[g]);
            const __m128d deA = _mm_cmpeq_pd(a, zero);
            ecrire(donnees.r1 + k, choisir(deA, absente, sommeModulo(u1, m, pv[g])));
            ecrire(donnees.r2 + k, choisir(deA, absente, sommeModulo(u2, m, pv[g])));
        }
    }
    return i;
}

}  // namespace harmo::sse2
#endif
