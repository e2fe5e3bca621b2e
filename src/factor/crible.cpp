// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/crible.h"

#include <algorithm>
#include <cstring>

#include "commun/pont_gmp.h"
#include "factor/noyaux.h"

#include <flint/ulong_extras.h>

namespace harmo {

namespace {

// Below this, primes are not sieved (they hit too often for what they
// bring; the threshold allows for them) but still divide the candidates.
constexpr std::uint32_t plusPetitCrible = 256;
// From this size on, primes go through the buckets.
constexpr std::uint32_t debutDesSeaux = tailleDeBloc;

}  // namespace

CribleSiqs::CribleSiqs(const BaseDeFacteurs& base, const ParametresDuCrible& parametres, std::uint64_t graine)
    : base_(base),
      par_(parametres),
      poly_(base, parametres.blocs * tailleDeBloc, graine, parametres.jeu),
      blocsEnTout_(2 * parametres.blocs),
      crible_(tailleDeBloc + 64),
      pos1_(base.taille()),
      pos2_(base.taille()) {
    while (premierCrible_ < base.taille() && base.p[premierCrible_] < plusPetitCrible) ++premierCrible_;
    premierGrand_ = premierCrible_;
    while (premierGrand_ < base.taille() && base.p[premierGrand_] < debutDesSeaux) ++premierGrand_;
    
    std::size_t premierVectoriel = premierGrand_;
    if (par_.jeu != JeuDInstructions::generique) {
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
    reciproques_.resize(premierGrand_);
    for (std::size_t i = 2; i < premierGrand_; ++i) reciproques_[i] = 1.0f / static_cast<float>(base.p[i]);
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
    if (par_.jeu != JeuDInstructions::generique) surLaPlace_.resize(capacite_);
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
                                       seaux_.data() + u * nS * cap, ecrit_.data() + u * nS, par_.jeu,
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
        for (const Paquet& q : paquets_) cribleParSeize(s, pos1_.data(), pos2_.data(), p, q.debut, q.fin, q.h, q.logp, par_.jeu);
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
        candidats.resize(tailleDeBloc);
        candidats.resize(candidatsDuBloc(s, candidats.data(), par_.jeu));
        if (candidats.empty()) continue;
        // The large primes that hit them: with a few candidates and wide
        // registers, the bucket compared to each; else those on any
        // candidate picked in one pass, then sorted out.
        if (par_.jeu != JeuDInstructions::generique && candidats.size() <= 8) {
            for (std::uint32_t pos : candidats)
                candidat(bloc * tailleDeBloc + pos, surLaPlace_.data(), entreesSur(pos, seau, n, surLaPlace_.data(), par_.jeu),
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
                                           premierGrand_, trouves_.data(), par_.jeu, reciproques_.data());
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
