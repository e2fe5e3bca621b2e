// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/crible.h"

#include <algorithm>
#include <cstring>

#include "commun/pont_gmp.h"
#include "factor/deplacement_avx512.h"

#include <flint/ulong_extras.h>
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace harmo {

namespace {

// Below this, primes are not sieved (they hit too often for what they
// bring; the threshold allows for them) but still divide the candidates.
constexpr std::uint32_t plusPetitCrible = 256;
// From this size on, primes go through the buckets.
constexpr std::uint32_t debutDesSeaux = tailleDeBloc;
// From this size on (a few hits per block), medium primes are sieved
// sixteen at a time when the processor allows.
constexpr std::uint32_t debutVectoriel = 1 << 13;

}  // namespace

bool processeurAvx512() {
#if defined(__x86_64__) && defined(__GNUC__)
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
#else
    return false;
#endif
}

namespace {

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12's own intrinsics start from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
__attribute__((target("avx512f,avx512dq,avx512vl"))) std::size_t racinesAtteintesAvx512(
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
__attribute__((target("avx512f"))) std::size_t entreesSurAvx512(std::uint32_t pos, const std::uint32_t* seau, std::size_t& k,
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
__attribute__((target("avx512f"))) void cribleParSeizeAvx512(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2,
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

// placerParSeize with the number of buckets known when compiling where the
// sieve's table of sizes gives it.
void placerParSeize(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,
                    std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit,
                    const std::uint32_t* d, bool monte) {
    if (debut >= fin) return;
    switch (finIntervalle >> 15) {
        case 2: return placerParSeize<2>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
        case 4: return placerParSeize<4>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
        case 6: return placerParSeize<6>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
        case 8: return placerParSeize<8>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
        default: return placerParSeize<0>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d, monte);
    }
}
#pragma GCC diagnostic pop
#endif

}  // namespace

void placerDansLesSeaux(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,
                        std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit, bool vectoriel,
                        const std::uint32_t* d, bool monte) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (vectoriel) {
        const std::size_t seize = debut + (fin - debut) / 16 * 16;
        placerParSeize(r1, r2, p, debut, seize, h, finIntervalle, seaux, ecrit, d, monte);
        debut = seize;
    }
#else
    (void)vectoriel;
#endif
    if (d) deplacerRacines(r1, r2, d, p, debut, fin, monte);
    // A root j hits the interval h or h + 1 times: h stores, then one more
    // written anyway, into the spare bucket when past the interval.
    const std::uint32_t horsDuCrible = finIntervalle >> 15;
    auto placer = [&](std::uint32_t j, std::uint32_t pi, std::uint32_t marque) {
        for (std::uint32_t k = 0; k < h; ++k, j += pi) seaux[ecrit[j >> 15]++] = marque | (j & (tailleDeBloc - 1));
        const bool dedans = j < finIntervalle;
        const std::uint32_t b = dedans ? j >> 15 : horsDuCrible;
        seaux[ecrit[b]] = marque | (j & (tailleDeBloc - 1));
        ecrit[b] += dedans;
    };
    for (std::size_t i = debut; i < fin; ++i) {
        if (r1[i] == pasDeRacine) continue;  // a prime of A
        const std::uint32_t marque = static_cast<std::uint32_t>(i) << 15;
        placer(r1[i], p[i], marque);
        if (r2[i] != r1[i]) placer(r2[i], p[i], marque);
    }
}

void cribleParSeize(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2, const std::uint32_t* p, std::size_t debut,
                    std::size_t fin, std::uint32_t h, std::uint8_t l, bool vectoriel) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (vectoriel) {
        cribleParSeizeAvx512(s, pos1, pos2, p, debut, fin, h, l);
        return;
    }
#else
    (void)vectoriel;
#endif
    (void)h;
    for (std::size_t i = debut; i < fin; ++i) {
        if (pos1[i] == pasDeRacine) continue;
        const bool seule = pos1[i] == pos2[i];
        for (std::uint32_t* r : {pos1 + i, pos2 + i}) {
            if (r == pos2 + i && seule) break;
            std::uint32_t a = *r;
            for (; a < tailleDeBloc; a += p[i]) s[a] += l;
            *r = a - tailleDeBloc;
        }
        if (seule) pos2[i] = pos1[i];
    }
}

std::size_t entreesSur(std::uint32_t pos, const std::uint32_t* seau, std::size_t n, std::uint32_t* trouves, bool vectoriel) {
    std::size_t t = 0, k = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (vectoriel) t = entreesSurAvx512(pos, seau, k, n, trouves);
#else
    (void)vectoriel;
#endif
    for (; k < n; ++k) {
        trouves[t] = seau[k] >> 15;
        t += (seau[k] & (tailleDeBloc - 1)) == pos;
    }
    return t;
}

std::size_t racinesAtteintes(std::uint32_t j, const std::uint64_t* inverses, const std::uint32_t* p, const std::uint32_t* r1,
                             const std::uint32_t* r2, std::size_t debut, std::size_t fin, std::uint32_t* trouves,
                             bool vectoriel) {
    std::size_t n = 0, i = debut;
#if defined(__x86_64__) && defined(__GNUC__)
    if (vectoriel) n = racinesAtteintesAvx512(j, inverses, p, r1, r2, i, fin, trouves);
#else
    (void)vectoriel;
#endif
    // Without a branch: the index is written anyway, kept when it divides.
    for (; i < fin; ++i) {
        const std::uint32_t m = j - static_cast<std::uint32_t>((j * inverses[i]) >> 40) * p[i];
        trouves[n] = static_cast<std::uint32_t>(i);
        n += (m == r1[i]) | (m == r2[i]);
    }
    return n;
}

bool diviserSiDivisible(mpz_ptr g, std::uint32_t p, std::uint64_t inverse) {
    const mp_size_t n = static_cast<mp_size_t>(mpz_size(g));
    if (n == 0 || n > 4) {  // beyond what the sieve meets: GMP's own
        if (!mpz_divisible_ui_p(g, p)) return false;
        mpz_divexact_ui(g, g, p);
        return true;
    }
    // Exact division from the low limb up (Hensel): quotient limb
    // q = (a - c) / p mod 2^64, carry c = high half of q p plus the borrow;
    // p divides g exactly when the last carry is 0, and then the q are g / p.
    const mp_limb_t* a = mpz_limbs_read(g);
    mp_limb_t q[4];
    mp_limb_t c = 0;
    for (mp_size_t k = 0; k < n; ++k) {
        const mp_limb_t l = a[k] - c;
        const mp_limb_t emprunt = a[k] < c;
        q[k] = l * inverse;
        c = static_cast<mp_limb_t>((static_cast<unsigned __int128>(q[k]) * p) >> 64) + emprunt;
    }
    if (c != 0) return false;
    mp_limb_t* w = mpz_limbs_modify(g, n);
    for (mp_size_t k = 0; k < n; ++k) w[k] = q[k];
    mpz_limbs_finish(g, n);  // a top limb of 0 dropped there
    return true;
}

CribleSiqs::CribleSiqs(const BaseDeFacteurs& base, const ParametresDuCrible& parametres, std::uint64_t graine)
    : base_(base),
      par_(parametres),
      poly_(base, parametres.blocs * tailleDeBloc, graine),
      blocsEnTout_(2 * parametres.blocs),
      crible_(tailleDeBloc + 64),
      pos1_(base.taille()),
      pos2_(base.taille()) {
    while (premierCrible_ < base.taille() && base.p[premierCrible_] < plusPetitCrible) ++premierCrible_;
    premierGrand_ = premierCrible_;
    while (premierGrand_ < base.taille() && base.p[premierGrand_] < debutDesSeaux) ++premierGrand_;
    avx512_ = parametres.vectoriel && processeurAvx512();
    std::size_t premierVectoriel = premierGrand_;
    if (avx512_) {
        premierVectoriel = premierCrible_;
        while (premierVectoriel < premierGrand_ && base.p[premierVectoriel] < debutVectoriel) ++premierVectoriel;
    }
    grouper(premierCrible_, premierVectoriel, tailleDeBloc, groupesMoyens_);
    // Runs of one h and one logarithm, by sixteen; what is left over of
    // each run with the others.
    for (std::size_t i = premierVectoriel, j; i < premierGrand_; i = j) {
        const std::uint32_t h = tailleDeBloc / base.p[i];
        j = i;
        while (j < premierGrand_ && tailleDeBloc / base.p[j] == h && base.logp[j] == base.logp[i]) ++j;
        const std::size_t seize = i + (j - i) / 16 * 16;
        if (seize > i) paquets_.push_back({i, seize, h, base.logp[i]});
        grouper(seize, j, tailleDeBloc, groupesMoyens_);
    }
    const std::uint32_t intervalle = static_cast<std::uint32_t>(2 * poly_.M());
    for (std::size_t i = premierGrand_, j; i < base.taille(); i = j) {
        j = i;
        while (j < base.taille() && base.logp[j] == base.logp[i]) ++j;
        const std::size_t premierGroupe = groupesGrands_.size();
        grouper(i, j, intervalle, groupesGrands_);
        tranches_.push_back({base.logp[i], premierGroupe, groupesGrands_.size()});
    }
    inverses_.resize(premierGrand_);
    for (std::size_t i = 2; i < premierGrand_; ++i) inverses_[i] = ((1ull << 40) + base.p[i] - 1) / base.p[i];
    inversesModulo_.resize(base.taille());
    for (std::size_t i = 2; i < base.taille(); ++i) inversesModulo_[i] = inverseModulo2p64(base.p[i]);
    trouves_.resize(premierGrand_);
    // A prime p above the block size hits a block at most once per root;
    // 16 more for the whole registers written past a bucket's end.
    capacite_ = 16;
    for (std::size_t i = premierGrand_; i < base.taille(); ++i) capacite_ += 2 * (tailleDeBloc / base.p[i] + 1);
    // One more bucket, never counted: where a root past the interval is
    // written, so that the fill needs no branch.
    // Two sets: while the roots are at hand, the buckets of the next
    // polynomial are filled too.
    seauxParJeu_ = static_cast<std::size_t>(blocsEnTout_ + 1);
    seaux_.resize(2 * capacite_ * seauxParJeu_);
    if (avx512_) surLaPlace_.resize(capacite_);
    remplis_.resize(2 * seauxParJeu_);
    ecrit_.resize(2 * seauxParJeu_);
    debutsDeTranche_.resize(2 * tranches_.size() * seauxParJeu_);
    // What the primes left out bring on average (two roots, each 1/p of
    // the places, p^2 too) comes off the threshold.
    double absents = 0;
    for (std::size_t i = 2; i < premierCrible_; ++i) absents += 2.0 * base.logp[i] / (base.p[i] - 1);
    init_ = static_cast<std::uint8_t>(128 - std::min(128.0, std::max(0.0, par_.seuil - absents)));
}

void CribleSiqs::grouper(std::size_t debut, std::size_t fin, std::uint32_t etendue, std::vector<Groupe>& groupes) const {
    const std::size_t premier = groupes.size();
    for (std::size_t i = debut; i < fin; ++i) {
        const std::uint32_t h = etendue / base_.p[i];
        if (groupes.size() == premier || groupes.back().h != h) groupes.push_back({i, i, h});
        groupes.back().fin = i + 1;
    }
}

long CribleSiqs::famille(std::vector<Relation>& sortie, const std::atomic<bool>& arret) {
    poly_.nouveauA();
    suivantPret_ = false;
    long n = 0;
    do {
        if (arret.load(std::memory_order_relaxed)) break;
        polynome(sortie);
        ++n;
    } while (poly_.suivant(premierGrand_));  // the roots of the bucket primes moved while the buckets fill
    return n;
}

// The buckets of this polynomial, and of the next one when there is one:
// a few hundred primes at a time, moved to this polynomial and placed, then
// moved to the next and placed in the other set, their roots still in the
// first level of cache. Filled with the previous polynomial, they are
// taken as they are. The roots, their primes and moves then cross the
// caches once for two polynomials: at 89 digits (H(199), two threads), the
// sieve took 264-280 s against 279-316 s in three alternated pairs, 246
// against 244 s in a fourth; one thread, 213 against 226 us a polynomial.
void CribleSiqs::remplirLesSeaux() {
    if (suivantPret_) {
        jeu_ ^= 1;
        suivantPret_ = false;
        return;
    }
    bool monteSuivant = false;
    const std::uint32_t* suivant = par_.parDeux ? poly_.deplacementSuivant(monteSuivant) : nullptr;
    const std::uint32_t* enAttente = poly_.deplacementEnAttente();
    const bool monte = poly_.monte();
    const std::size_t nS = seauxParJeu_, cap = capacite_;
    const std::size_t jeux = suivant ? 2 : 1;
    for (std::size_t k = 0; k < 2 * nS; ++k) ecrit_[k] = (k % nS) * cap;
    const std::uint32_t fin = static_cast<std::uint32_t>(2 * poly_.M());
    constexpr std::size_t tranche = 512;  // primes at a time, a multiple of 16
    // Entries so far in bucket b of set u.
    auto remplies = [&](std::size_t u, std::size_t b) { return static_cast<std::uint32_t>(ecrit_[u * nS + b] - b * cap); };
    for (std::size_t t = 0; t < tranches_.size(); ++t) {
        for (std::size_t j = 0; j < jeux; ++j)
            for (std::size_t b = 0; b < nS; ++b)
                debutsDeTranche_[((jeu_ ^ j) * tranches_.size() + t) * nS + b] = remplies(jeu_ ^ j, b);
        for (std::size_t g = tranches_[t].premierGroupe; g < tranches_[t].finGroupes; ++g) {
            const Groupe& gr = groupesGrands_[g];
            for (std::size_t i = gr.debut; i < gr.fin; i += tranche) {
                const std::size_t f = std::min(gr.fin, i + tranche);
                for (std::size_t j = 0; j < jeux; ++j) {
                    const std::size_t u = jeu_ ^ j;
                    placerDansLesSeaux(poly_.racine1.data(), poly_.racine2.data(), base_.p.data(), i, f, gr.h, fin,
                                       seaux_.data() + u * nS * cap, ecrit_.data() + u * nS, avx512_,
                                       j == 0 ? enAttente : suivant, j == 0 ? monte : monteSuivant);
                }
            }
        }
    }
    poly_.rattrape();  // the groups cover every prime from premierGrand_ on
    if (suivant) {
        poly_.avance();
        suivantPret_ = true;
    }
    for (std::size_t j = 0; j < jeux; ++j)
        for (std::size_t b = 0; b < nS; ++b) remplis_[(jeu_ ^ j) * nS + b] = remplies(jeu_ ^ j, b);
}

void CribleSiqs::polynome(std::vector<Relation>& sortie) {
    remplirLesSeaux();
    const std::uint32_t* p = base_.p.data();
    const std::uint8_t* lp = base_.logp.data();
    for (std::size_t i = premierCrible_; i < premierGrand_; ++i) {
        pos1_[i] = poly_.racine1[i];
        pos2_[i] = poly_.racine2[i];
    }
    std::uint8_t* s = crible_.data();
    std::vector<std::uint32_t>& candidats = candidats_;
    std::vector<std::uint32_t>& grandsTouches = grandsTouches_;
    std::vector<std::uint32_t>& touches = touches_;
    for (long bloc = 0; bloc < blocsEnTout_; ++bloc) {
        std::memset(s, init_, tailleDeBloc);
        // Each root of a prime of the group hits the block h or h + 1 times:
        // h additions, then one more, into the spare byte past the block
        // when outside it.
        constexpr std::uint32_t T = tailleDeBloc;
        for (const Groupe& g : groupesMoyens_) {
            const std::uint32_t h = g.h;
            for (std::size_t i = g.debut; i < g.fin; ++i) {
                std::uint32_t a = pos1_[i], b = pos2_[i];
                if (a == pasDeRacine) continue;
                const std::uint32_t pi = p[i];
                const std::uint8_t l = lp[i];
                if (a == b) {  // p divides k: one root
                    for (; a < T; a += pi) s[a] += l;
                    pos1_[i] = pos2_[i] = a - T;
                    continue;
                }
                for (std::uint32_t k = 0; k < h; ++k, a += pi, b += pi) {
                    s[a] += l;
                    s[b] += l;
                }
                const bool da = a < T, db = b < T;
                s[da ? a : T] += l;
                s[db ? b : T] += l;
                pos1_[i] = a + (da ? pi : 0) - T;
                pos2_[i] = b + (db ? pi : 0) - T;
            }
        }
        for (const Paquet& q : paquets_) cribleParSeize(s, pos1_.data(), pos2_.data(), p, q.debut, q.fin, q.h, q.logp, true);
        const std::size_t nS = seauxParJeu_, ub = static_cast<std::size_t>(bloc);
        const std::uint32_t* seau = seaux_.data() + (jeu_ * nS + ub) * capacite_;
        const std::uint32_t n = remplis_[jeu_ * nS + ub];
        const std::uint32_t* debuts = debutsDeTranche_.data() + jeu_ * tranches_.size() * nS;
        for (std::size_t t = 0; t < tranches_.size(); ++t) {
            const std::uint32_t fin = t + 1 < tranches_.size() ? debuts[(t + 1) * nS + ub] : n;
            const std::uint8_t l = tranches_[t].logp;
            // Eight entries a turn of the loop: 2-3 % less per polynomial
            // at 74 and 89 digits (the walk of the small primes and the
            // scatter of the fill gained nothing from it).
#pragma GCC unroll 8
            for (std::uint32_t k = debuts[t * nS + ub]; k < fin; ++k)
                s[seau[k] & (tailleDeBloc - 1)] += l;
        }
        // Candidates: bytes whose high bit is set.
        candidats.clear();
#ifdef __SSE2__
        for (long w = 0; w < tailleDeBloc; w += 64) {
            const __m128i v[4] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w + 16)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w + 32)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w + 48))};
            if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(v[0], v[1]), _mm_or_si128(v[2], v[3]))) == 0) continue;
            for (int k = 0; k < 4; ++k)
                for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(v[k])); m != 0; m &= m - 1)
                    candidats.push_back(static_cast<std::uint32_t>(w + 16 * k + __builtin_ctz(m)));
        }
#else
        for (long w = 0; w < tailleDeBloc; w += 8) {
            std::uint64_t mot;
            std::memcpy(&mot, s + w, 8);
            mot &= 0x8080808080808080ull;
            while (mot != 0) {
                candidats.push_back(static_cast<std::uint32_t>(w + __builtin_ctzll(mot) / 8));
                mot &= mot - 1;
            }
        }
#endif
        if (candidats.empty()) continue;
        // The large primes that hit them: with a few candidates and wide
        // registers, the bucket compared to each; else those on any
        // candidate picked in one pass, then sorted out.
        if (avx512_ && candidats.size() <= 8) {
            for (std::uint32_t pos : candidats)
                candidat(bloc * tailleDeBloc + pos, surLaPlace_.data(), entreesSur(pos, seau, n, surLaPlace_.data(), true),
                         sortie);
            continue;
        }
        grandsTouches.clear();
        for (std::uint32_t k = 0; k < n; ++k)
            if (s[seau[k] & (tailleDeBloc - 1)] & 0x80) grandsTouches.push_back(seau[k]);
        for (std::uint32_t pos : candidats) {
            touches.clear();
            for (std::uint32_t e : grandsTouches)
                if ((e & (tailleDeBloc - 1)) == pos) touches.push_back(e >> 15);
            candidat(bloc * tailleDeBloc + pos, touches.data(), touches.size(), sortie);
        }
    }
}

void CribleSiqs::candidat(long j, const std::uint32_t* touches, std::size_t nTouches, std::vector<Relation>& sortie) {
    const long x = j - poly_.M();
    mpz_ptr g = g_, y = y_;
    // g = (A x + 2 B) x + C
    mpz_mul_si(g, poly_.A(), x);
    mpz_addmul_ui(g, poly_.B(), 2);
    mpz_mul_si(g, g, x);
    mpz_add(g, g, poly_.C());
    Relation r;
    if (mpz_sgn(g) < 0) {
        r.facteurs.push_back(0);
        mpz_neg(g, g);
    }
    if (mpz_sgn(g) == 0) return;
    const mp_bitcnt_t deux = mpz_scan1(g, 0);
    r.facteurs.insert(r.facteurs.end(), deux, 1);
    mpz_tdiv_q_2exp(g, g, deux);
    const std::uint32_t uj = static_cast<std::uint32_t>(j);
    auto diviser = [&](std::uint32_t i) {
        while (diviserSiDivisible(g, base_.p[i], inversesModulo_[i])) r.facteurs.push_back(i);
    };
    const std::size_t t = racinesAtteintes(uj, inverses_.data(), base_.p.data(), poly_.racine1.data(), poly_.racine2.data(), 2,
                                           premierGrand_, trouves_.data(), avx512_);
    for (std::size_t k = 0; k < t; ++k) diviser(trouves_[k]);
    for (std::uint32_t i : poly_.indicesDeA()) {
        r.facteurs.push_back(i);  // A g(x) = y^2 - k n
        diviser(i);
    }
    for (std::size_t k = 0; k < nTouches; ++k) diviser(touches[k]);
    if (mpz_cmp_ui(g, 1) != 0) {
        if (mpz_sizeinbase(g, 2) > 64) return;
        const std::uint64_t reste = mpz_get_ui(g);
        if (reste < par_.borneGrandPremier) {
            r.grand = reste;  // below pmax^2 with no prime of the base: a prime
        } else if (reste < par_.borneDouble && reste / base_.p.back() > base_.p.back()) {
            if (premierProbableBase2(reste)) return;
            std::uint64_t a = n_is_square(reste) ? n_sqrt(reste) : facteurParRho(reste);
            if (a <= 1 || a >= reste || reste % a != 0) return;
            std::uint64_t b = reste / a;
            if (a > b) std::swap(a, b);
            if (b >= par_.borneGrandPremier) return;
            r.grand = a;
            r.autreGrand = b;
        } else {
            return;
        }
    }
    // y = A x + B
    mpz_mul_si(y, poly_.A(), x);
    mpz_add(y, y, poly_.B());
    versZZ(r.y, y);
    sortie.push_back(std::move(r));
}

}  // namespace harmo
