// SPDX-License-Identifier: GPL-3.0-or-later
// The bucket fill in AVX2 registers, eight primes at a time: as the
// AVX-512 fill (factor/seaux_avx512.cpp), the masks as vectors and the
// compress-stores through the table of factor/compression_avx2.h.
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/compression_avx2.h"
#include "factor/crible.h"
#include "factor/deplacement_vectoriel.h"

#include <immintrin.h>

#include <vector>

namespace harmo::avx2 {

namespace {

// Bucket by bucket or through the batch, for a step of the two registers
// (16 roots) bringing e entries on average into nb buckets: straight from
// the registers costs 2 nb compress-stores; through the batch, 4 to pack
// the entries and their buckets, then nb for each 8 entries (with nb
// known when compiling; one store an entry otherwise, and then always the
// batch). On this machine's C74 (6 buckets), the batch for every step
// made the fill 1.4 times slower than bucket by bucket.
bool parSeau(double e, std::uint32_t nb, bool nbConnu) { return nbConnu && 4 + e * nb / 8 >= 2.0 * nb; }

// The entries ea of the lanes in ma, into buckets a >> 15, then those of
// eb in mb, into buckets b >> 15; w[s] is where bucket s goes on, kept in
// registers when NB is known when compiling.
template <unsigned NB>
__attribute__((target("avx2"), always_inline)) inline void ecrireDansLesSeaux(__m256i a, __m256i ma, __m256i ea, __m256i b,
                                                                            __m256i mb, __m256i eb, std::uint32_t nb,
                                                                            std::uint32_t** w) {
    const __m256i na = _mm256_srli_epi32(a, 15), nbv = _mm256_srli_epi32(b, 15);
    const std::uint32_t n = NB != 0 ? NB : nb;
#pragma GCC unroll 16
    for (std::uint32_t s = 0; s < n; ++s) {
        const __m256i sv = _mm256_set1_epi32(static_cast<int>(s));
        ecrireSousMasque(w[s], masqueDe(_mm256_and_si256(ma, _mm256_cmpeq_epi32(na, sv))), ea);
        ecrireSousMasque(w[s], masqueDe(_mm256_and_si256(mb, _mm256_cmpeq_epi32(nbv, sv))), eb);
    }
}

// The n entries of a batch, with their bucket numbers, written to the
// buckets: with NB known, bucket by bucket eight at a time; else entry by entry.
template <unsigned NB>
__attribute__((target("avx2"), always_inline)) inline void viderParHuit(const std::uint32_t* entrees, const std::uint32_t* numeros,
                                                                      unsigned n, std::uint32_t** w) {
    if (NB == 0) {
        for (unsigned u = 0; u < n; ++u) *w[numeros[u]]++ = entrees[u];
        return;
    }
    for (unsigned u = 0; u < n; u += 8) {
        const unsigned m = n - u >= 8 ? 0xffu : (1u << (n - u)) - 1;
        const __m256i e = _mm256_load_si256(reinterpret_cast<const __m256i*>(entrees + u));
        const __m256i nv = _mm256_load_si256(reinterpret_cast<const __m256i*>(numeros + u));
#pragma GCC unroll 16
        for (std::uint32_t s = 0; s < NB; ++s)
            ecrireSousMasque(w[s], m & masqueDe(_mm256_cmpeq_epi32(nv, _mm256_set1_epi32(static_cast<int>(s)))), e);
    }
}

// The bucket entries of the roots of the primes of [debut, fin), eight at
// a time, each root inside [0, finIntervalle) h or h + 1 times: gathered
// under a mask, then written bucket by bucket or through a batch, as the
// AVX-512 fill chooses. Roots stay below 2^31: signed comparisons serve.
template <unsigned NB>
__attribute__((target("avx2"))) void placerParHuit(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut,
                                                 std::size_t fin, std::uint32_t h, std::uint32_t finIntervalle,
                                                 std::uint32_t* seaux, std::size_t* ecrit, const std::uint32_t* d, bool monte) {
    const std::uint32_t nb = NB != 0 ? NB : finIntervalle >> 15;
    const double dernier = 16.0 * (finIntervalle - h * p[debut]) / p[debut];
    const bool parSeauPlein = parSeau(16, nb, NB != 0), parSeauDernier = parSeau(dernier, nb, NB != 0);
    constexpr unsigned place = 1024;
    alignas(32) std::uint32_t entrees[place + 16], numeros[place + 16];
    unsigned n = 0;
    std::uint32_t* w[NB != 0 ? NB : 64];
    std::uint32_t** pw = w;
    std::vector<std::uint32_t*> plus;
    if (NB == 0 && nb > 64) {
        plus.resize(nb);
        pw = plus.data();
    }
    for (std::uint32_t s = 0; s < nb; ++s) pw[s] = seaux + ecrit[s];
    const __m256i absente = _mm256_set1_epi32(-1), bas = _mm256_set1_epi32(tailleDeBloc - 1),
                  limite = _mm256_set1_epi32(static_cast<int>(finIntervalle));
    const __m256i rang = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (std::size_t i = debut; i < fin; i += 8) {
        __m256i a = charger(r1 + i), b = charger(r2 + i);
        const __m256i pv = charger(p + i);
        const __m256i deA = _mm256_cmpeq_epi32(a, absente);
        const __m256i va = _mm256_xor_si256(deA, absente), vb = _mm256_andnot_si256(_mm256_cmpeq_epi32(a, b), va);
        if (d) {  // the pending move; the primes of A keep pasDeRacine
            deplacerHuit(a, b, pv, charger(d + i), monte);
            a = _mm256_blendv_epi8(a, absente, deA);
            b = _mm256_blendv_epi8(b, absente, deA);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(r1 + i), a);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(r2 + i), b);
        }
        const __m256i marque = _mm256_slli_epi32(_mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(i)), rang), 15);
        for (std::uint32_t k = 0; k <= h; ++k) {
            __m256i ma = va, mb = vb;
            if (k == h) {
                ma = _mm256_and_si256(ma, _mm256_cmpgt_epi32(limite, a));
                mb = _mm256_and_si256(mb, _mm256_cmpgt_epi32(limite, b));
            }
            const __m256i ea = _mm256_or_si256(marque, _mm256_and_si256(a, bas)),
                          eb = _mm256_or_si256(marque, _mm256_and_si256(b, bas));
            if (k == h ? parSeauDernier : parSeauPlein) {
                ecrireDansLesSeaux<NB>(a, ma, ea, b, mb, eb, nb, pw);
            } else {
                const unsigned xa = masqueDe(ma), xb = masqueDe(mb);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(entrees + n), comprimer(ea, xa));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(numeros + n), comprimer(_mm256_srli_epi32(a, 15), xa));
                n += static_cast<unsigned>(__builtin_popcount(xa));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(entrees + n), comprimer(eb, xb));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(numeros + n), comprimer(_mm256_srli_epi32(b, 15), xb));
                n += static_cast<unsigned>(__builtin_popcount(xb));
                if (n >= place) {
                    viderParHuit<NB>(entrees, numeros, n, pw);
                    n = 0;
                }
            }
            a = _mm256_add_epi32(a, pv);
            b = _mm256_add_epi32(b, pv);
        }
    }
    viderParHuit<NB>(entrees, numeros, n, pw);
    for (std::uint32_t s = 0; s < nb; ++s) ecrit[s] = static_cast<std::size_t>(pw[s] - seaux);
}

}  // namespace

void placerDansLesSeaux(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,
                        std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit,
                        const std::uint32_t* d, bool monte) {
    if (debut >= fin) return;
    selonLesSeaux(finIntervalle >> 15, [&](auto NB) {
        placerParHuit<NB.value>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
    });
}

}  // namespace harmo::avx2
#endif
