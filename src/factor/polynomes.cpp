// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/polynomes.h"

#include <algorithm>
#include <cmath>

#include <flint/ulong_extras.h>
#include "factor/deplacement_avx512.h"

namespace harmo {

namespace {

// 1/a mod p, a prime to p.
std::uint32_t inverseModulo(std::uint32_t a, std::uint32_t p) { return static_cast<std::uint32_t>(n_invmod(a % p, p)); }

#if defined(__x86_64__) && defined(__GNUC__)
const bool avx512 = __builtin_cpu_supports("avx512f");

// GCC 12's own intrinsics start from an undefined register.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// The roots r1, r2 of [debut, fin) moved by +d (monte) or -d mod p, sixteen
// at a time (deplacerSeize).
__attribute__((target("avx512f"))) std::size_t deplacerParSeize(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d,
                                                                const std::uint32_t* p, std::size_t debut, std::size_t fin,
                                                                bool monte) {
    std::size_t i = debut;
    for (; i + 16 <= fin; i += 16) {
        __m512i a = _mm512_loadu_si512(r1 + i), b = _mm512_loadu_si512(r2 + i);
        deplacerSeize(a, b, _mm512_loadu_si512(p + i), _mm512_loadu_si512(d + i), monte);
        _mm512_storeu_si512(r1 + i, a);
        _mm512_storeu_si512(r2 + i, b);
    }
    return i;
}

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

// The most primes in A that racinesParHuit takes.
constexpr std::size_t maximumParHuit = 32;

// What racinesDuPremierB computes with mpz remainders and an inversion per
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
__attribute__((target("avx512f"))) std::size_t FamilleDePolynomes::racinesParHuit(std::size_t debut, std::size_t fin) {
    constexpr int G = 4;
    const std::size_t s = s_;
    const std::uint32_t* p = base_.p.data();
    const std::uint32_t* t = base_.racine.data();
    __m512d x[maximumParHuit][G], partiel[maximumParHuit + 1][G];
    __m512d pv[G], inverse[G], ainv[G], reste[G], somme[G];
    __m256i p32[G];
    const __m512d un = _mm512_set1_pd(1.0), Md = _mm512_set1_pd(static_cast<double>(M_)), zero = _mm512_setzero_pd();
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
            const __m512d q = _mm512_set1_pd(static_cast<double>(base_.p[indicesA_[l]]));
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
            const __m512d gl = _mm512_set1_pd(static_cast<double>(gA_[l]));
            for (int g = 0; g < G; ++g) {
                const __m512d inverseX = produitModulo(reste[g], partiel[l][g], pv[g], inverse[g]);
                reste[g] = produitModulo(reste[g], x[l][g], pv[g], inverse[g]);
                const __m512d gx = produitModulo(gl, inverseX, pv[g], inverse[g]);
                somme[g] = sommeModulo(somme[g], gx, pv[g]);
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(bainv2_[l].data() + i + 8 * g),
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
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(racine1.data() + k),
                                _mm512_cvtpd_epu32(_mm512_mask_mov_pd(sommeModulo(u1, m, pv[g]), deA, absente)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(racine2.data() + k),
                                _mm512_cvtpd_epu32(_mm512_mask_mov_pd(sommeModulo(u2, m, pv[g]), deA, absente)));
        }
    }
    return i;
}
#pragma GCC diagnostic pop
#endif

std::uint32_t deplacer(std::uint32_t r, std::uint32_t d, std::uint32_t p, bool monte) {
    if (monte) {
        const std::uint32_t a = r + d;
        return a >= p ? a - p : a;
    }
    const std::uint32_t a = r - d;
    return a >= p ? a + p : a;  // wrapped below zero
}

void deplacerRacines(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d, const std::uint32_t* p, std::size_t debut,
                     std::size_t fin, bool monte) {
    for (std::size_t i = debut; i < fin; ++i) {
        if (r1[i] == pasDeRacine) continue;
        r1[i] = deplacer(r1[i], d[i], p[i], monte);
        r2[i] = deplacer(r2[i], d[i], p[i], monte);
    }
}

FamilleDePolynomes::FamilleDePolynomes(const BaseDeFacteurs& base, long M, std::uint64_t graine, bool vectoriel)
    : racine1(base.taille(), pasDeRacine),
      racine2(base.taille(), pasDeRacine),
      base_(base),
      M_(M),
      kn_(base.kn),
      alea_(graine),
      vectoriel_(vectoriel) {
    mpz_inits(A_, B_, C_, tmp_, nullptr);
    // s primes of about q each: q near 2000, less when the base is small.
    bitsCible_ = 0.5 * (1 + NTL::NumBits(base.kn)) - std::log2(static_cast<double>(M));
    const double bitsCible = bitsCible_;
    const double pmax = base.p.back();
    s_ = std::max<std::size_t>(2, static_cast<std::size_t>(std::lround(bitsCible / 11)));
    while (std::exp2(bitsCible / static_cast<double>(s_)) > pmax / 3) ++s_;
    const double q = std::exp2(bitsCible / static_cast<double>(s_));
    premierA_ =
        static_cast<std::size_t>(std::lower_bound(base.p.begin(), base.p.end(), static_cast<std::uint32_t>(q / 2)) - base.p.begin());
    dernierA_ =
        static_cast<std::size_t>(std::lower_bound(base.p.begin(), base.p.end(), static_cast<std::uint32_t>(q * 2)) - base.p.begin());
    premierA_ = std::max<std::size_t>(premierA_, 3);
    while (dernierA_ < premierA_ + 4 * s_ + 8 && dernierA_ < base.taille()) ++dernierA_;
    while (dernierA_ < premierA_ + 4 * s_ + 8 && premierA_ > 3) --premierA_;
    Bl_.resize(s_);
    for (auto& b : Bl_) mpz_init(&b);
    bainv2_.assign(s_, std::vector<std::uint32_t>(base.taille(), 0));
    gA_.assign(s_, 0);
}

FamilleDePolynomes::~FamilleDePolynomes() {
    mpz_clears(A_, B_, C_, tmp_, nullptr);
    for (auto& b : Bl_) mpz_clear(&b);
}

void FamilleDePolynomes::choisirA() {
    const double bitsCible = bitsCible_;
    std::uniform_int_distribution<std::size_t> tirage(premierA_, dernierA_ - 1);
    for (int essai = 0;; ++essai) {
        std::vector<std::uint32_t> pris;
        double bits = 0;
        while (pris.size() + 1 < s_) {
            const std::size_t i = tirage(alea_);
            if (base_.racine[i] == 0 || std::find(pris.begin(), pris.end(), i) != pris.end()) continue;
            pris.push_back(static_cast<std::uint32_t>(i));
            bits += std::log2(static_cast<double>(base_.p[i]));
        }
        // The last prime brings the product nearest to the target.
        const double ideal = std::exp2(bitsCible - bits);
        std::size_t j = static_cast<std::size_t>(
            std::lower_bound(base_.p.begin(), base_.p.end(), static_cast<std::uint32_t>(std::min(ideal, 4e9))) - base_.p.begin());
        j = std::min(std::max<std::size_t>(j, 3), base_.taille() - 1);
        // Nearest free prime, looking both ways.
        std::size_t trouve = 0;
        for (std::size_t d = 0; d < base_.taille() && trouve == 0; ++d)
            for (long sens : {-1L, 1L}) {
                const long c = static_cast<long>(j) + sens * static_cast<long>(d);
                if (c < 3 || c >= static_cast<long>(base_.taille())) continue;
                const auto ic = static_cast<std::uint32_t>(c);
                if (base_.racine[ic] != 0 && std::find(pris.begin(), pris.end(), ic) == pris.end()) {
                    trouve = ic;
                    break;
                }
            }
        pris.push_back(static_cast<std::uint32_t>(trouve));
        std::sort(pris.begin(), pris.end());
        if (dejaPris_.insert(pris).second || essai > 1000) {
            indicesA_ = pris;
            break;
        }
    }
    mpz_set_ui(A_, 1);
    for (std::uint32_t i : indicesA_) mpz_mul_ui(A_, A_, base_.p[i]);
}

void FamilleDePolynomes::nouveauA() {
    attente_ = nullptr;  // every root computed again
    avance_ = false;
    choisirA();
    mpz_set_ui(B_, 0);
    for (std::size_t l = 0; l < s_; ++l) {
        const std::uint32_t q = base_.p[indicesA_[l]];
        mpz_divexact_ui(tmp_, A_, q);  // A / q
        std::uint64_t g =
            static_cast<std::uint64_t>(base_.racine[indicesA_[l]]) * inverseModulo(static_cast<std::uint32_t>(mpz_fdiv_ui(tmp_, q)), q) % q;
        if (g > q / 2) g = q - g;
        gA_[l] = static_cast<std::uint32_t>(g);
        mpz_mul_ui(&Bl_[l], tmp_, g);
        mpz_add(B_, B_, &Bl_[l]);
    }
    numero_ = 0;
    racinesDuPremierB();
}

void FamilleDePolynomes::racinesDuPremierB() {
    calculerC();
    std::size_t i = 2;
#if defined(__x86_64__) && defined(__GNUC__)
    if (vectoriel_ && avx512 && s_ <= maximumParHuit && base_.p.back() < (1u << 22) && M_ < (1L << 22))
        i = racinesParHuit(2, base_.taille());
#endif
    for (; i < base_.taille(); ++i) {
        const std::uint32_t p = base_.p[i];
        const std::uint32_t a = static_cast<std::uint32_t>(mpz_fdiv_ui(A_, p));
        if (a == 0) {
            racine1[i] = racine2[i] = pasDeRacine;
            continue;
        }
        const std::uint64_t ainv = inverseModulo(a, p);
        const std::uint64_t b = mpz_fdiv_ui(B_, p), t = base_.racine[i], m = static_cast<std::uint64_t>(M_) % p;
        racine1[i] = static_cast<std::uint32_t>(((t + p - b) % p * ainv + m) % p);
        racine2[i] = static_cast<std::uint32_t>(((2 * p - t - b) % p * ainv + m) % p);
        for (std::size_t l = 0; l < s_; ++l) bainv2_[l][i] = static_cast<std::uint32_t>(2 * mpz_fdiv_ui(&Bl_[l], p) % p * ainv % p);
    }
}

bool FamilleDePolynomes::suivant(std::size_t limite) {
    if (attente_) {  // the caller never made the last move: made here
        deplacerRacines(racine1.data(), racine2.data(), attente_, base_.p.data(), debutAttente_, base_.taille(), monte_);
        attente_ = nullptr;
    }
    if (++numero_ >= (1u << (s_ - 1))) return false;
    bool moins = false;
    const std::size_t l = pasDeGray(numero_, moins);
    mpz_mul_2exp(tmp_, &Bl_[l], 1);
    const std::uint32_t* d = bainv2_[l].data();
    const std::uint32_t* p = base_.p.data();
    std::uint32_t* r1 = racine1.data();
    std::uint32_t* r2 = racine2.data();
    const std::size_t F = std::min(base_.taille(), std::max<std::size_t>(limite, 2));
    if (F < base_.taille() && !avance_) {
        attente_ = d;
        debutAttente_ = F;
        monte_ = moins;
    }
    avance_ = false;
    std::size_t debut = 2;
#if defined(__x86_64__) && defined(__GNUC__)
    if (avx512) debut = deplacerParSeize(r1, r2, d, p, 2, F, moins);
#endif
    // B - 2 B_l: the roots move up by 2 B_l / A; B + 2 B_l: down.
    if (moins)
        mpz_sub(B_, B_, tmp_);
    else
        mpz_add(B_, B_, tmp_);
    deplacerRacines(r1, r2, d, p, debut, F, moins);
    for (std::uint32_t i : indicesA_) racine1[i] = racine2[i] = pasDeRacine;  // the move above changed them
    calculerC();
    return true;
}

std::size_t FamilleDePolynomes::pasDeGray(std::uint32_t n, bool& moins) {
    const unsigned v = static_cast<unsigned>(__builtin_ctz(n));
    moins = (((n ^ (n >> 1)) >> v) & 1) != 0;
    return v + 1;
}

const std::uint32_t* FamilleDePolynomes::deplacementSuivant(bool& monte) const {
    const std::uint32_t n = numero_ + 1;
    if (n >= (1u << (s_ - 1))) return nullptr;
    return bainv2_[pasDeGray(n, monte)].data();
}

void FamilleDePolynomes::calculerC() {
    mpz_mul(C_, B_, B_);
    mpz_sub(C_, C_, kn_.get());
    mpz_divexact(C_, C_, A_);
}

}  // namespace harmo
