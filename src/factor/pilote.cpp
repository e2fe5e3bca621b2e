// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/pilote.h"

#include "commun/coeurs.h"
#include "commun/decimal.h"
#include "factor/crible_a_part.h"
#include "factor/ecm.h"
#include "factor/pari.h"

#include <algorithm>
#include <vector>

namespace harmo {

namespace {

// Trial division first: below this bound, dividing costs less than any
// method that searches (0.3 s for a number of 40,000 digits).
constexpr long bornePetitsPremiers = 1 << 20;

// The ECM level (digits of the factors aimed at) worth running before the
// sieve on a composite of d digits when the sieve cannot run beside the
// curves (one core); 0 where no curve is worth it. The curves take a
// fraction of the sieve's time, and a factor of a third of the digits, not
// rare in the numerators of harmonic sums, comes out much sooner.
// Measured on the 74-digit part of H(170)'s numerator: level 20 in 1.6 s,
// 25 in 16 s, 30 in 160 s; PARI's sieve on it, 65 to 100 s.
int cibleEcm(long d) {
    if (d < 50) return 0;  // PARI takes about a second at most
    if (d < 60) return 15;
    if (d < 70) return 20;
    if (d < 85) return 25;
    return 30;
}

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

    // Curves of one level on c, at most courbes of them: true when c is split.
    bool courbes(const NTL::ZZ& c, const NiveauEcm& niveau, long courbes) {
        NTL::ZZ f;
        for (long k = 0; k < courbes; ++k)
            if (courbeEcm(c, niveau.B1, graine_++, memoire_, f)) {
                scinder(c, f);
                return true;
            }
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
            // ECM alone, level after level; the last one again and again.
            for (std::size_t i = 0;; i = std::min(i + 1, nombreDeNiveauxEcm - 1)) {
                signaler(TravailEnCours::Methode::HorsDePortee, d, niveauxEcm[i].chiffres);
                if (courbes(c, niveauxEcm[i], niveauxEcm[i].courbes)) return;
            }
        }
        const int cible = cibleEcm(d);
        if (cible > 0 && nombreDeCoeurs() > 1 && cribleEtEcm(c, d)) return;
        for (std::size_t i = 0; i < nombreDeNiveauxEcm && niveauxEcm[i].chiffres <= cible; ++i) {
            signaler(TravailEnCours::Methode::Ecm, d, niveauxEcm[i].chiffres);
            if (courbes(c, niveauxEcm[i], niveauxEcm[i].courbes)) return;
        }
        signaler(TravailEnCours::Methode::Crible, d);
        for (const FacteurPremier& x : factoriserParPari(c)) premier(x.p);
    }

    // PARI's sieve in a process of its own, ECM curves here meanwhile, level
    // after level up to 30-digit factors and that level again: the first to
    // end gives the factors. False when the sieve's process could not run
    // (the work is then done one after the other).
    bool cribleEtEcm(const NTL::ZZ& c, long d) {
        CribleAPart crible(c);
        if (!crible.lance()) return false;
        std::size_t dernier = 0;
        while (dernier + 1 < nombreDeNiveauxEcm && niveauxEcm[dernier + 1].chiffres <= 30) ++dernier;
        std::vector<FacteurPremier> f;
        bool ok = false;
        NTL::ZZ facteur;
        for (std::size_t i = 0;; i = std::min(i + 1, dernier)) {
            signaler(TravailEnCours::Methode::Crible, d, niveauxEcm[i].chiffres);
            for (long k = 0; k < niveauxEcm[i].courbes; ++k) {
                if (crible.fini(f, ok)) {
                    if (!ok) return false;
                    for (const FacteurPremier& x : f) premier(x.p);
                    return true;
                }
                if (courbeEcm(c, niveauxEcm[i].B1, graine_++, memoire_, facteur)) {
                    scinder(c, facteur);  // the sieve's process ends with crible
                    return true;
                }
            }
        }
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
