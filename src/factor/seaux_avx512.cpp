// SPDX-License-Identifier: GPL-3.0-or-later
// The bucket fill in AVX-512 registers, sixteen primes at a time (see
// placerParSeize).
#include "factor/noyaux.h"

#ifdef HARMO_X86
#include "factor/crible.h"

#include "factor/deplacement_vectoriel.h"

#include <vector>
#include <immintrin.h>

// GCC 12's own intrinsics start from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace harmo::avx512 {

namespace {

// Bucket by bucket where 32 roots bring at least this many entries per
// bucket (see placerParSeize).
constexpr double densiteMinimale = 0.34;

// The lanes of e in x packed and written from w on, w moved past them: a
// whole register written, so up to 15 words past them.
__attribute__((target("avx512f"), always_inline)) inline void ecrireSousMasque(std::uint32_t*& w, __mmask16 x, __m512i e) {
    _mm512_storeu_si512(w, _mm512_maskz_compress_epi32(x, e));
    w += __builtin_popcount(x);
}

// The entries ea of the lanes in ma, into buckets a >> 15, then those of
// eb in mb, into buckets b >> 15 (all below nb); w[s] is where bucket s
// goes on. With nb known when compiling (NB), the loop is unrolled and the
// write pointers stay in registers: no pointer goes through memory and
// back from one step to the next.
template <unsigned NB>
__attribute__((target("avx512f"), always_inline)) inline void ecrireDansLesSeaux(__m512i a, __mmask16 ma, __m512i ea, __m512i b,
                                                                               __mmask16 mb, __m512i eb, std::uint32_t nb,
                                                                               std::uint32_t** w) {
    const __m512i na = _mm512_srli_epi32(a, 15), nbv = _mm512_srli_epi32(b, 15);
    const std::uint32_t n = NB != 0 ? NB : nb;
#pragma GCC unroll 16
    for (std::uint32_t s = 0; s < n; ++s) {
        const __m512i sv = _mm512_set1_epi32(static_cast<int>(s));
        const __mmask16 xa = _mm512_mask_cmpeq_epi32_mask(ma, na, sv), xb = _mm512_mask_cmpeq_epi32_mask(mb, nbv, sv);
        ecrireSousMasque(w[s], xa, ea);
        ecrireSousMasque(w[s], xb, eb);
    }
}

// The n entries of a batch, with their bucket numbers, written to the
// buckets (w[s]: where bucket s goes on). With NB known, bucket by bucket
// sixteen at a time, as in ecrireDansLesSeaux: no write pointer waits on
// the one before it. Else entry by entry.
template <unsigned NB>
__attribute__((target("avx512f"), always_inline)) inline void viderParSeize(const std::uint32_t* entrees,
                                                                          const std::uint32_t* numeros, unsigned n,
                                                                          std::uint32_t** w) {
    if (NB == 0) {
        for (unsigned u = 0; u < n; ++u) *w[numeros[u]]++ = entrees[u];
        return;
    }
    for (unsigned u = 0; u < n; u += 16) {
        const __mmask16 m = n - u >= 16 ? 0xffff : static_cast<__mmask16>((1u << (n - u)) - 1);
        const __m512i e = _mm512_load_si512(entrees + u), nv = _mm512_load_si512(numeros + u);
#pragma GCC unroll 16
        for (std::uint32_t s = 0; s < NB; ++s) {
            ecrireSousMasque(w[s], _mm512_mask_cmpeq_epi32_mask(m, nv, _mm512_set1_epi32(static_cast<int>(s))), e);
        }
    }
}

// The bucket entries (i << 15 | j mod 2^15, into bucket j >> 15) of the
// roots j of the primes p[i], i in [debut, fin), sixteen at a time, each
// root inside [0, finIntervalle) h or h + 1 times: gathered under a mask
// (none for a prime of A, one root when r1 = r2, the last hit only when
// inside), then written one of two ways.
// - Bucket by bucket: the entries of each bucket packed and written at
//   once, a whole register, so up to 15 words past the bucket's end, which
//   its capacity leaves room for. Every bucket costs a step, entries or not.
// - Through a batch of entries and bucket numbers, 16 entries to a
//   register, which viderParSeize then writes bucket by bucket (entry by
//   entry when NB is 0).
// The first is chosen where 32 roots bring on average at least one entry
// for every three buckets. The write pointers are kept in registers when
// the number of buckets NB is known when compiling; through memory, each
// one waited on the store of the one before. Measured alone on this
// machine (cycles per entry, 6 buckets, every prime of each range): from
// 2^15 to 1.6e6, 3.2 against 4.1 with the pointers in memory and the
// batch entry by entry; 2^15 to 3.6e5 (bucket by bucket) 1.6-1.7 against
// 2.1; 3.6e5 to 1.6e6 (through the batch) 4.1 against 5.7. With 16
// buckets (100 digits) no better: 3.9-4.1 either way, so NB is 0 there.
template <unsigned NB>
__attribute__((target("avx512f"))) void placerParSeize(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p,
                                                       std::size_t debut, std::size_t fin, std::uint32_t h,
                                                       std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit,
                                                       const std::uint32_t* d, bool monte) {
    const std::uint32_t nb = NB != 0 ? NB : finIntervalle >> 15;
    // Entries brought by 32 roots in a step before the last, and in the last.
    const double parPas = 32, dernier = 32.0 * (finIntervalle - h * p[debut]) / p[debut];
    const bool parSeauPlein = parPas * densiteMinimale >= nb, parSeauDernier = dernier * densiteMinimale >= nb;
    constexpr unsigned place = 1024;
    alignas(64) std::uint32_t entrees[place + 32], numeros[place + 32];
    unsigned n = 0;
    // Where each bucket goes on, kept here (in registers when NB is known)
    // and given back to ecrit at the end.
    std::uint32_t* w[NB != 0 ? NB : 64];
    std::uint32_t** pw = w;
    std::vector<std::uint32_t*> plus;
    if (NB == 0 && nb > 64) {
        plus.resize(nb);
        pw = plus.data();
    }
    for (std::uint32_t s = 0; s < nb; ++s) pw[s] = seaux + ecrit[s];
    const __m512i absente = _mm512_set1_epi32(-1), bas = _mm512_set1_epi32(tailleDeBloc - 1),
                  limite = _mm512_set1_epi32(static_cast<int>(finIntervalle));
    const __m512i rang = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (std::size_t i = debut; i < fin; i += 16) {
        __m512i a = _mm512_loadu_si512(r1 + i), b = _mm512_loadu_si512(r2 + i);
        const __m512i pv = _mm512_loadu_si512(p + i);
        const __mmask16 va = static_cast<__mmask16>(~_mm512_cmpeq_epi32_mask(a, absente));
        const __mmask16 vb = static_cast<__mmask16>(va & ~_mm512_cmpeq_epi32_mask(a, b));
        if (d) {  // the pending move; the primes of A keep pasDeRacine
            deplacerSeize(a, b, pv, _mm512_loadu_si512(d + i), monte);
            a = _mm512_mask_mov_epi32(absente, va, a);
            b = _mm512_mask_mov_epi32(absente, va, b);
            _mm512_storeu_si512(r1 + i, a);
            _mm512_storeu_si512(r2 + i, b);
        }
        const __m512i marque = _mm512_slli_epi32(_mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(i)), rang), 15);
        for (std::uint32_t k = 0; k <= h; ++k) {
            __mmask16 ma = va, mb = vb;
            if (k == h) {
                ma &= _mm512_cmplt_epu32_mask(a, limite);
                mb &= _mm512_cmplt_epu32_mask(b, limite);
            }
            const __m512i ea = _mm512_or_si512(marque, _mm512_and_si512(a, bas)),
                          eb = _mm512_or_si512(marque, _mm512_and_si512(b, bas));
            if (k == h ? parSeauDernier : parSeauPlein) {
                ecrireDansLesSeaux<NB>(a, ma, ea, b, mb, eb, nb, pw);
            } else {
                _mm512_storeu_si512(entrees + n, _mm512_maskz_compress_epi32(ma, ea));
                _mm512_storeu_si512(numeros + n, _mm512_maskz_compress_epi32(ma, _mm512_srli_epi32(a, 15)));
                n += static_cast<unsigned>(__builtin_popcount(ma));
                _mm512_storeu_si512(entrees + n, _mm512_maskz_compress_epi32(mb, eb));
                _mm512_storeu_si512(numeros + n, _mm512_maskz_compress_epi32(mb, _mm512_srli_epi32(b, 15)));
                n += static_cast<unsigned>(__builtin_popcount(mb));
                if (n >= place) {
                    viderParSeize<NB>(entrees, numeros, n, pw);
                    n = 0;
                }
            }
            a = _mm512_add_epi32(a, pv);
            b = _mm512_add_epi32(b, pv);
        }
    }
    viderParSeize<NB>(entrees, numeros, n, pw);
    for (std::uint32_t s = 0; s < nb; ++s) ecrit[s] = static_cast<std::size_t>(pw[s] - seaux);
}

}  // namespace

// placerParSeize with the number of buckets known when compiling where the
// sieve's table of sizes gives it.
void placerDansLesSeaux(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,
                    std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit,
                    const std::uint32_t* d, bool monte) {
    if (debut >= fin) return;
    selonLesSeaux(finIntervalle >> 15, [&](auto NB) {
        placerParSeize<NB.value>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
    });
}

}  // namespace harmo::avx512

#pragma GCC diagnostic pop
#endif
