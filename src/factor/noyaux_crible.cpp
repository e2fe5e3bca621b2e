// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's kernels one by one, which are the reference of the wide ones
// (factor/noyaux.h) and do what they leave: each function hands to the
// instruction set it is given what that set covers, then finishes alone.
#include "factor/crible.h"

#include <cstring>
#include <vector>

#include "factor/noyaux.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace harmo {

namespace {

// The bucket entries of the primes of [debut, fin), one root at a time,
// their roots first moved by d up (sens 1) or down (-1), or not (0).
// A root j hits the interval h or h + 1 times: h stores, then one more
// written anyway, into the spare bucket nb when past the interval. The
// write positions are kept here; the spare's through eight copies taken
// in turn: with one, every root outside waited on the last one's (an
// addition of 0 stored and read back), and at 85 digits most roots are
// outside. On H(170)'s 74-digit cofactor, generic path: 17 s against 22 s with one
// copy, and 23 s with a branch instead (mispredicted).
template <int sens>
void placerUnAUn(std::uint32_t* __restrict__ r1, std::uint32_t* __restrict__ r2, const std::uint32_t* __restrict__ p,
                 std::size_t debut, std::size_t fin, std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* __restrict__ seaux,
                 std::size_t* ecrit, const std::uint32_t* __restrict__ d) {
    const std::uint32_t nb = finIntervalle >> 15;
    std::size_t locales[68];
    std::vector<std::size_t> plus;
    std::size_t* w = locales;
    if (nb + 8 > 68) {
        plus.resize(nb + 8);
        w = plus.data();
    }
    for (std::uint32_t b = 0; b <= nb; ++b) w[b] = ecrit[b];
    for (std::uint32_t k = 1; k < 8; ++k) w[nb + k] = ecrit[nb];
    auto placer = [&](std::uint32_t j, std::uint32_t pi, std::uint32_t marque, std::uint32_t hors) {
        for (std::uint32_t k = 0; k < h; ++k, j += pi) seaux[w[j >> 15]++] = marque | (j & (tailleDeBloc - 1));
        const bool dedans = j < finIntervalle;
        const std::uint32_t b = dedans ? j >> 15 : hors;
        seaux[w[b]] = marque | (j & (tailleDeBloc - 1));
        w[b] += dedans;
    };
    for (std::size_t i = debut; i < fin; ++i) {
        std::uint32_t a = r1[i], b = r2[i];
        if (a == pasDeRacine) continue;  // a prime of A
        if (sens != 0) {
            r1[i] = a = deplacer(a, d[i], p[i], sens > 0);
            r2[i] = b = deplacer(b, d[i], p[i], sens > 0);
        }
        const std::uint32_t marque = static_cast<std::uint32_t>(i) << 15, hors = nb + static_cast<std::uint32_t>(2 * i & 7);
        placer(a, p[i], marque, hors);
        if (b != a) placer(b, p[i], marque, hors + 1);
    }
    for (std::uint32_t b = 0; b < nb; ++b) ecrit[b] = w[b];
}

#ifdef __SSE2__
// j mod p for four primes a register, in floats: q = j (1/p) truncated,
// after two roundings of 2^-24 each, is floor(j / p) or, at j a multiple of
// p, one less (one more would take j / p within 1/j of an integer above it,
// and 1/j > 2^-23); q p and j - q p are exact (integers below 2^24), and
// the remainder, in [0, 2p), one correction from [0, p). Compared to both
// roots (pasDeRacine, -1, never equals one). On H(193)'s 85-digit cofactor
// this test took 4.9 % of the generic path's time with 64-bit products
// one prime at a time.
std::size_t restesSse2(std::uint32_t j, const float* reciproques, const std::uint32_t* p, const std::uint32_t* r1,
                       const std::uint32_t* r2, std::size_t& i, std::size_t fin, std::uint32_t* trouves) {
    std::size_t n = 0;
    const __m128 jf = _mm_set1_ps(static_cast<float>(j));
    for (; i + 4 <= fin; i += 4) {
        const __m128 pf = _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
        const __m128 q = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_mul_ps(jf, _mm_loadu_ps(reciproques + i))));
        __m128 m = _mm_sub_ps(jf, _mm_mul_ps(q, pf));
        m = _mm_sub_ps(m, _mm_and_ps(_mm_cmpge_ps(m, pf), pf));
        const __m128i mi = _mm_cvttps_epi32(m);
        const __m128i egal = _mm_or_si128(_mm_cmpeq_epi32(mi, _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + i))),
                                          _mm_cmpeq_epi32(mi, _mm_loadu_si128(reinterpret_cast<const __m128i*>(r2 + i))));
        for (unsigned k = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(egal))); k != 0; k &= k - 1)
            trouves[n++] = static_cast<std::uint32_t>(i + static_cast<std::size_t>(__builtin_ctz(k)));
    }
    return n;
}
#endif

}  // namespace

void placerDansLesSeaux(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,
                        std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit, JeuDInstructions jeu,
                        const std::uint32_t* d, bool monte) {
#ifdef HARMO_X86
    if (jeu != JeuDInstructions::generique) {
        const std::size_t seize = debut + (fin - debut) / 16 * 16;
        if (seize > debut) {
            if (jeu == JeuDInstructions::avx512)
                avx512::placerDansLesSeaux(r1, r2, p, debut, seize, h, finIntervalle, seaux, ecrit, d, monte);
            else
                avx2::placerDansLesSeaux(r1, r2, p, debut, seize, h, finIntervalle, seaux, ecrit, d, monte);
        }
        debut = seize;
    }
#else
    (void)jeu;
#endif
    if (d == nullptr)
        placerUnAUn<0>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d);
    else if (monte)
        placerUnAUn<1>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d);
    else
        placerUnAUn<-1>(r1, r2, p, debut, fin, h, finIntervalle, seaux, ecrit, d);
}

void cribleParSeize(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2, const std::uint32_t* p, std::size_t debut,
                    std::size_t fin, std::uint32_t h, std::uint8_t l, JeuDInstructions jeu) {
#ifdef HARMO_X86
    if (jeu == JeuDInstructions::avx512) return avx512::cribleParSeize(s, pos1, pos2, p, debut, fin, h, l);
    if (jeu == JeuDInstructions::avx2) return avx2::cribleParSeize(s, pos1, pos2, p, debut, fin, h, l);
#else
    (void)jeu;
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

std::size_t entreesSur(std::uint32_t pos, const std::uint32_t* seau, std::size_t n, std::uint32_t* trouves, JeuDInstructions jeu) {
    std::size_t t = 0, k = 0;
#ifdef HARMO_X86
    if (jeu == JeuDInstructions::avx512) t = avx512::entreesSur(pos, seau, k, n, trouves);
    if (jeu == JeuDInstructions::avx2) t = avx2::entreesSur(pos, seau, k, n, trouves);
#else
    (void)jeu;
#endif
    for (; k < n; ++k) {
        trouves[t] = seau[k] >> 15;
        t += (seau[k] & (tailleDeBloc - 1)) == pos;
    }
    return t;
}

std::size_t racinesAtteintes(std::uint32_t j, const std::uint64_t* inverses, const std::uint32_t* p, const std::uint32_t* r1,
                             const std::uint32_t* r2, std::size_t debut, std::size_t fin, std::uint32_t* trouves,
                             JeuDInstructions jeu, const float* reciproques) {
    std::size_t n = 0, i = debut;
#ifdef HARMO_X86
    if (jeu == JeuDInstructions::avx512) n = avx512::racinesAtteintes(j, inverses, p, r1, r2, i, fin, trouves);
    if (jeu == JeuDInstructions::avx2) n = avx2::racinesAtteintes(j, inverses, p, r1, r2, i, fin, trouves);
#else
    (void)jeu;
#endif
#ifdef __SSE2__
    if (jeu == JeuDInstructions::generique && reciproques != nullptr && j < (1u << 23))
        n = restesSse2(j, reciproques, p, r1, r2, i, fin, trouves);
#else
    (void)reciproques;
#endif
    // Without a branch: the index is written anyway, kept when it divides.
    for (; i < fin; ++i) {
        const std::uint32_t m = j - static_cast<std::uint32_t>((j * inverses[i]) >> 40) * p[i];
        trouves[n] = static_cast<std::uint32_t>(i);
        n += (m == r1[i]) | (m == r2[i]);
    }
    return n;
}

std::size_t candidatsDuBloc(const std::uint8_t* s, std::uint32_t* places, JeuDInstructions jeu) {
#ifdef HARMO_X86
    if (jeu == JeuDInstructions::avx512) return avx512::candidats(s, tailleDeBloc, places);
    if (jeu == JeuDInstructions::avx2) return avx2::candidats(s, tailleDeBloc, places);
#else
    (void)jeu;
#endif
    std::size_t n = 0;
#ifdef __SSE2__
    // Sixteen bytes a register, four registers a step (every x86-64 has SSE2).
    for (long w = 0; w < tailleDeBloc; w += 64) {
        const __m128i v[4] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w + 16)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w + 32)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + w + 48))};
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(v[0], v[1]), _mm_or_si128(v[2], v[3]))) == 0) continue;
        for (int k = 0; k < 4; ++k)
            for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(v[k])); m != 0; m &= m - 1)
                places[n++] = static_cast<std::uint32_t>(w + 16 * k + __builtin_ctz(m));
    }
#else
    // Eight bytes a word.
    for (long w = 0; w < tailleDeBloc; w += 8) {
        std::uint64_t mot;
        std::memcpy(&mot, s + w, 8);
        mot &= 0x8080808080808080ull;
        if (mot == 0) continue;
        for (; mot != 0; mot &= mot - 1) places[n++] = static_cast<std::uint32_t>(w + __builtin_ctzll(mot) / 8);
    }
#endif
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

}  // namespace harmo
