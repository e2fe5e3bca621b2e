// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/polynomes.h"

#include <algorithm>
#include <cmath>

#include <flint/ulong_extras.h>
#include "factor/noyaux.h"

namespace harmo {

namespace {

// 1/a mod p, a prime to p.
std::uint32_t inverseModulo(std::uint32_t a, std::uint32_t p) { return static_cast<std::uint32_t>(n_invmod(a % p, p)); }

}  // namespace

namespace {

// The roots of [debut, fin) moved one way, without a branch per prime, on
// arrays that do not overlap: the compiler makes it wide where it can.
template <bool monte>
void deplacerSansBranche(std::uint32_t* __restrict__ r1, std::uint32_t* __restrict__ r2, const std::uint32_t* __restrict__ d,
                         const std::uint32_t* __restrict__ p, std::size_t debut, std::size_t fin) {
    for (std::size_t i = debut; i < fin; ++i) {
        const std::uint32_t a = r1[i], b = r2[i], di = d[i], pi = p[i];
        const std::uint32_t na = monte ? a + di : a - di, nb = monte ? b + di : b - di;
        // Back into [0, p): the smaller of the two as unsigned words.
        const std::uint32_t ra = std::min(na, monte ? na - pi : na + pi), rb = std::min(nb, monte ? nb - pi : nb + pi);
        const bool deA = a == pasDeRacine;
        r1[i] = deA ? a : ra;
        r2[i] = deA ? b : rb;
    }
}

}  // namespace

void deplacerRacines(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d, const std::uint32_t* p, std::size_t debut,
                     std::size_t fin, bool monte, JeuDInstructions jeu) {
#ifdef HARMO_X86
    if (jeu == JeuDInstructions::avx512) debut = avx512::deplacerRacines(r1, r2, d, p, debut, fin, monte);
    if (jeu == JeuDInstructions::avx2) debut = avx2::deplacerRacines(r1, r2, d, p, debut, fin, monte);
#else
    (void)jeu;
#endif
    if (monte)
        deplacerSansBranche<true>(r1, r2, d, p, debut, fin);
    else
        deplacerSansBranche<false>(r1, r2, d, p, debut, fin);
}

void deplacerRacinesUneAUne(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d, const std::uint32_t* p,
                            std::size_t debut, std::size_t fin, bool monte) {
    for (std::size_t i = debut; i < fin; ++i) {
        if (r1[i] == pasDeRacine) continue;
        r1[i] = deplacer(r1[i], d[i], p[i], monte);
        r2[i] = deplacer(r2[i], d[i], p[i], monte);
    }
}

FamilleDePolynomes::FamilleDePolynomes(const BaseDeFacteurs& base, long M, std::uint64_t graine, JeuDInstructions jeu)
    : racine1(base.taille(), pasDeRacine),
      racine2(base.taille(), pasDeRacine),
      base_(base),
      M_(M),
      kn_(base.kn),
      alea_(graine),
      jeu_(jeu) {
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
    qA_.assign(s_, 0);
    for (auto& ligne : bainv2_) lignesBainv2_.push_back(ligne.data());
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
        const std::uint32_t q = qA_[l] = base_.p[indicesA_[l]];
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
#ifdef HARMO_X86
    if (!unParUn && s_ <= maximumParHuit && base_.p.back() < (1u << 22) && M_ < (1L << 22)) {
        const DonneesDUnA a{base_.p.data(), base_.racine.data(), s_, qA_.data(), gA_.data(), lignesBainv2_.data(),
                            racine1.data(), racine2.data(), M_};
        if (jeu_ == JeuDInstructions::avx512)
            i = avx512::racinesDUnA(a, 2, base_.taille());
        else if (jeu_ == JeuDInstructions::avx2)
            i = avx2::racinesDUnA(a, 2, base_.taille());
        else
            i = sse2::racinesDUnA(a, 2, base_.taille());
    }
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
        deplacerRacines(racine1.data(), racine2.data(), attente_, base_.p.data(), debutAttente_, base_.taille(), monte_, jeu_);
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
    // B - 2 B_l: the roots move up by 2 B_l / A; B + 2 B_l: down.
    if (moins)
        mpz_sub(B_, B_, tmp_);
    else
        mpz_add(B_, B_, tmp_);
    deplacerRacines(r1, r2, d, p, 2, F, moins, jeu_);
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
