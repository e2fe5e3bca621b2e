// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/pilote.h"

#include "commun/coeurs.h"
#include "commun/decimal.h"
#include "factor/crible_quadratique.h"
#include "factor/ecm.h"
#include "factor/pari.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace harmo {

namespace {

// The sieve's wall time on two cores of the machine of the measurements
// (factor/crible_quadratique.h), at 60, 70, 74, 81, 85, 89 and 99 digits:
// the balanced semiprimes of bench/factorisation.sh and the parts left by
// the numerators of H(170), H(186), H(193), H(199) and H(248) (`bash
// bench/factorisation.sh crible`, AVX-512; H(248): its whole factorisation,
// 1324 s, less ECM's curves).
const struct {
    long chiffres;
    double secondes;
} tempsDuCrible[] = {{60, 0.5}, {70, 2.4}, {74, 8.4}, {81, 32}, {85, 64}, {89, 160}, {99, 1160}};
// Past the last point, the growth measured from 89 to 99 digits: 2.7 times
// for each 5 digits.
constexpr double croissanceParCinqChiffres = 2.7;

// One ECM curve on this machine, on one core: 1.5 microseconds per unit of
// B1 at 74 digits (level 20: 1.6 s, level 25: 16 s on H(170)'s cofactor),
// growing as the square of the digits (products of a few words).
double secondesDUneCourbe(double B1, long d) { return 1.5e-6 * B1 * (d / 74.0) * (d / 74.0); }

}  // namespace

double secondesDuCribleAttendues(long chiffres) {
    const std::size_t n = sizeof tempsDuCrible / sizeof tempsDuCrible[0];
    std::size_t i = 1;  // between points i - 1 and i, or beyond the ends by the nearest two
    while (i + 1 < n && tempsDuCrible[i].chiffres < chiffres) ++i;
    const auto& a = tempsDuCrible[i - 1];
    const auto& b = tempsDuCrible[i];
    if (chiffres > b.chiffres)
        return b.secondes * std::pow(croissanceParCinqChiffres, static_cast<double>(chiffres - b.chiffres) / 5);
    const double t = static_cast<double>(chiffres - a.chiffres) / static_cast<double>(b.chiffres - a.chiffres);
    return a.secondes * std::pow(b.secondes / a.secondes, t);
}

int cibleEcm(long chiffres) {
    const double budget = secondesDuCribleAttendues(chiffres) / 3;
    double cumul = 0;
    int cible = 0;
    for (std::size_t i = 0; i < nombreDeNiveauxEcm; ++i) {
        cumul += static_cast<double>(niveauxEcm[i].courbes) * secondesDUneCourbe(niveauxEcm[i].B1, chiffres) / 2;  // two cores
        if (cumul > budget) break;
        cible = niveauxEcm[i].chiffres;
    }
    return cible;
}

namespace {

// Trial division first: below this bound, dividing costs less than any
// method that searches (0.3 s for a number of 40,000 digits).
constexpr long bornePetitsPremiers = 1 << 20;

class Factorisation {
public:
    Factorisation(const NTL::ZZ& n, const CompteRendu& r, double memoire) : reste_(n), r_(r), memoire_(memoire) {}

    void executer() {
        divisionsParEssais();
        ajouter(reste_);
        while (!composites_.empty() || !NTL::IsOne(reste_)) {
            if (composites_.empty()) ajouter(reste_);  // never left out: every prime of reste_ is in a part
            auto plusPetit = std::min_element(composites_.begin(), composites_.end());
            NTL::ZZ c = *plusPetit;
            composites_.erase(plusPetit);
            traiter(c);
        }
    }

private:
    void signaler(TravailEnCours::Methode m, long chiffres, int niveau = 0) {
        if (r_.travail) r_.travail(TravailEnCours{m, chiffres, niveau});
    }

    // ECM alone on c, level after level from premier, the last one again and
    // again, each level told as t says, until a factor comes.
    void ecmSansFin(const NTL::ZZ& c, TravailEnCours t, std::size_t premier) {
        for (std::size_t i = premier;; i = std::min(i + 1, nombreDeNiveauxEcm - 1)) {
            t.niveau = niveauxEcm[i].chiffres;
            if (r_.travail) r_.travail(t);
            if (courbes(c, niveauxEcm[i], niveauxEcm[i].courbes)) return;
        }
    }

    // p proven prime: its whole power out of what is left, and out of every part.
    void premier(const NTL::ZZ& p) {
        long e = 0;
        while (NTL::divide(reste_, reste_, p)) ++e;
        if (e == 0) return;
        for (NTL::ZZ& c : composites_)
            while (NTL::divide(c, c, p)) {
            }
        composites_.erase(std::remove_if(composites_.begin(), composites_.end(), [](const NTL::ZZ& c) { return NTL::IsOne(c); }),
                          composites_.end());
        r_.premier(p, e);
    }

    // The primes below bornePetitsPremiers, by division: each one found is
    // handed over at once.
    void divisionsParEssais() {
        signaler(TravailEnCours::Methode::Divisions, nombreDeChiffres(reste_));
        std::vector<bool> compose(bornePetitsPremiers, false);
        for (long p = 2; p < bornePetitsPremiers && !NTL::IsOne(reste_); ++p) {
            if (compose[static_cast<std::size_t>(p)]) continue;
            for (long m = p * p; m < bornePetitsPremiers; m += p) compose[static_cast<std::size_t>(m)] = true;
            if (NTL::rem(reste_, p) == 0) premier(NTL::ZZ(p));
        }
    }

    void ajouter(const NTL::ZZ& c) {
        if (c > 1) composites_.push_back(c);
    }

    // c split by f.
    void scinder(const NTL::ZZ& c, const NTL::ZZ& f) {
        ajouter(f);
        ajouter(c / f);
    }

    // Curves of one level on c, at most courbes of them, on every core: true
    // when c is split. The curves are taken in the order of their seeds and
    // none past the first that split c, so the factor is the one that the
    // curves run one after the other would give.
    bool courbes(const NTL::ZZ& c, const NiveauEcm& niveau, long courbes) {
        const unsigned long premiere = graine_;
        const unsigned fils = static_cast<unsigned>(std::max(1L, std::min<long>(nombreDeCoeurs(), courbes)));
        const double memoire = memoire_ / fils;  // stage 2 on every core at once
        std::atomic<long> suivante{0}, trouvee{courbes};
        std::mutex verrou;
        NTL::ZZ facteur;
        auto travailler = [&] {
            NTL::ZZ f;
            for (long k = suivante++; k < trouvee.load(); k = suivante++) {
                bool scinde = false;
                try {
                    scinde = courbeEcm(c, niveau.B1, premiere + static_cast<unsigned long>(k), memoire, f);
                } catch (const std::bad_alloc&) {
                    scinde = false;  // that curve is lost, the sieve comes next
                }
                if (!scinde) continue;
                std::lock_guard<std::mutex> v(verrou);
                if (k < trouvee.load()) {
                    trouvee = k;
                    facteur = f;
                }
            }
        };
        {
            std::vector<std::thread> autres;
            for (unsigned t = 1; t < fils; ++t) {
                try {
                    autres.emplace_back(travailler);
                } catch (...) {  // no thread to be had (a process limit, no memory for it)
                    break;  // fewer threads
                }
            }
            travailler();
            for (std::thread& t : autres) t.join();
        }
        if (trouvee.load() < courbes) {
            graine_ = premiere + static_cast<unsigned long>(trouvee.load()) + 1;
            scinder(c, facteur);
            return true;
        }
        graine_ = premiere + static_cast<unsigned long>(courbes);
        return false;
    }

    void traiter(const NTL::ZZ& c) {
        if (c <= 1) return;
        const long d = nombreDeChiffres(c);
        signaler(TravailEnCours::Methode::Preuve, d);
        if (premierProuve(c)) {
            premier(c);
            return;
        }
        NTL::ZZ m;
        if (puissanceParfaite(c, m) > 0) {
            ajouter(m);
            return;
        }
        if (d > chiffresHorsDePortee) {
            ecmSansFin(c, TravailEnCours{TravailEnCours::Methode::HorsDePortee, d}, 0);
            return;
        }
        if (d < chiffresCrible) {
            signaler(TravailEnCours::Methode::Crible, d);
            for (const FacteurPremier& x : factoriserParPari(c)) premier(x.p);
            return;
        }
        const int cible = cibleEcm(d);
        std::size_t niveau = 0;
        for (; niveau < nombreDeNiveauxEcm && niveauxEcm[niveau].chiffres <= cible; ++niveau) {
            signaler(TravailEnCours::Methode::Ecm, d, niveauxEcm[niveau].chiffres);
            if (courbes(c, niveauxEcm[niveau], niveauxEcm[niveau].courbes)) return;
        }
        signaler(TravailEnCours::Methode::Crible, d);
        const unsigned coeurs = nombreDeCoeurs();
        const double octets = memoireDuCrible(c, coeurs);
        if (memoire_ > 0 && octets > memoire_) {
            // Told at once, and ECM goes on where it stopped: one core of
            // PARI's sieve would take hours here.
            TravailEnCours t{TravailEnCours::Methode::SansMemoire, d};
            t.octets = octets;
            ecmSansFin(c, t, std::min(niveau, nombreDeNiveauxEcm - 1));
            return;
        }
        NTL::ZZ f;
        if (cribleQuadratique(c, f, coeurs, [&](const AvancementDuCrible& a) {
                if (!r_.travail) return;
                TravailEnCours t{a.algebre ? TravailEnCours::Methode::AlgebreLineaire : TravailEnCours::Methode::Crible, d, 0};
                t.part = a.part;
                t.secondes = a.secondes;
                t.restant = a.restant;
                r_.travail(t);
            })) {
            scinder(c, f);
            return;
        }
        // The sieve failed: PARI's own, on one core.
        for (const FacteurPremier& x : factoriserParPari(c)) premier(x.p);
    }

    NTL::ZZ reste_;  // n less the primes handed over
    std::vector<NTL::ZZ> composites_;  // parts whose primes are not yet all out
    const CompteRendu& r_;
    double memoire_;
    unsigned long graine_ = 1;
};

}  // namespace

void factoriserParEtapes(const NTL::ZZ& n, const CompteRendu& r, double memoire) {
    if (n <= 1) return;
    Factorisation(n, r, memoire).executer();
}

}  // namespace harmo
