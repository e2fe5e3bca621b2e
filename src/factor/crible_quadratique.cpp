// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/crible_quadratique.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "commun/decimal.h"
#include "commun/suivi.h"
#include "factor/algebre_lineaire.h"
#include "factor/base_de_facteurs.h"
#include "factor/crible.h"
#include "factor/racine_carree.h"
#include "factor/releve.h"
#include "factor/releves_sauves.h"

namespace harmo {

namespace {

using Horloge = std::chrono::steady_clock;

double secondesDepuis(Horloge::time_point t) { return std::chrono::duration<double>(Horloge::now() - t).count(); }

// Sieving threads, stopped and joined when this is destroyed (an interrupt
// thrown through the waiting loop included).
class Equipe {
   public:
    // Each thread's polynomials from its own seed, graine + 7919 t.
    Equipe(const BaseDeFacteurs& base, const ParametresDuCrible& par, unsigned fils, std::uint64_t graine) {
        for (unsigned t = 0; t < fils; ++t) {
            try {
                fils_.emplace_back([this, &base, par, graine, t] { travailler(base, par, graine + 7919u * t); });
            } catch (...) {  // no thread to be had (a process limit, no memory for it)
                break;  // fewer threads; with none, the caller sieves itself
            }
        }
    }
    ~Equipe() { arreter(); }
    Equipe(const Equipe&) = delete;
    Equipe& operator=(const Equipe&) = delete;

    bool vide() const { return fils_.empty(); }
    void arreter() {
        {
            std::lock_guard<std::mutex> v(verrou_);
            arret_ = true;
            interrompre_ = true;
        }
        repos_.notify_all();
        for (std::thread& t : fils_) t.join();
        fils_.clear();
    }
    // The threads rest after their polynomial (the linear algebra has the
    // cores), then take up a new family.
    void suspendre() {
        std::lock_guard<std::mutex> v(verrou_);
        enPause_ = true;
        interrompre_ = true;
    }
    void reprendre() {
        {
            std::lock_guard<std::mutex> v(verrou_);
            enPause_ = false;
            interrompre_ = arret_.load();
        }
        repos_.notify_all();
    }
    // Waits up to the given time for relations, then takes them.
    bool prendre(std::vector<Relation>& r, std::chrono::milliseconds attente) {
        std::unique_lock<std::mutex> v(verrou_);
        reveil_.wait_for(v, attente);
        r.swap(recues_);
        return !echec_;
    }

   private:
    void travailler(const BaseDeFacteurs& base, const ParametresDuCrible& par, std::uint64_t graine) {
        try {
            CribleSiqs crible(base, par, graine);
            std::vector<Relation> locales;
            while (!arret_.load(std::memory_order_relaxed)) {
                {
                    std::unique_lock<std::mutex> v(verrou_);
                    repos_.wait(v, [this] { return !enPause_ || arret_; });
                    if (arret_) break;  // woken to stop: no new family
                }
                crible.famille(locales, interrompre_);
                std::lock_guard<std::mutex> v(verrou_);
                for (Relation& r : locales) recues_.push_back(std::move(r));
                locales.clear();
                reveil_.notify_one();
            }
        } catch (...) {  // memory: the whole sieve gives up
            std::lock_guard<std::mutex> v(verrou_);
            echec_ = true;
        }
    }

    std::vector<std::thread> fils_;
    std::atomic<bool> arret_{false}, interrompre_{false};
    bool enPause_ = false;
    std::mutex verrou_;
    std::condition_variable reveil_, repos_;
    std::vector<Relation> recues_;
    bool echec_ = false;
};

double log2Seuil(const BaseDeFacteurs& base, const ParametresSiqs& p) {
    const double M = static_cast<double>(p.blocs * tailleDeBloc);
    return std::log2(M) + 0.5 * (NTL::NumBits(base.kn) - 1.0) - p.marge * std::log2(static_cast<double>(base.p.back()));
}

}  // namespace

bool cribleQuadratique(const NTL::ZZ& n, NTL::ZZ& facteur, unsigned coeurs,
                       const std::function<void(const AvancementDuCrible&)>& avancement) {
    return cribleQuadratique(n, facteur, coeurs, parametresSiqs(nombreDeChiffres(n)), avancement);
}

bool cribleQuadratique(const NTL::ZZ& n, NTL::ZZ& facteur, unsigned coeurs, const ParametresSiqs& demandes,
                       const std::function<void(const AvancementDuCrible&)>& avancement) {
    const Horloge::time_point debut = Horloge::now();
    ParametresSiqs p = demandes;
    p.jeu = std::min(p.jeu, jeuDInstructions());
    p.taille = std::min(p.taille, premiersAuPlus);  // beyond, an entry would name another prime
    // Without wide registers the bucket fill costs twice as much an entry:
    // from 80 digits, twice the blocks. On H(193)'s 85-digit cofactor, shares
    // after 40 s: 6 blocks 0.144, 3 blocks 0.133, 2 blocks 0.115 (AVX-512:
    // 3 blocks 0.456, 6 blocks 0.277), and the whole sieve 2.24 times
    // AVX-512's time on a quiet machine instead of 2.42; on H(170)'s
    // 74-digit cofactor, 4 or 6 blocks took 20 s against 18 s with 3.
    // A polynomial costing more, more candidates are worth their trial:
    // the threshold 0.15 log2 pmax lower. Whole sieves of H(193)'s cofactor on
    // one core, two settings side by side on the two cores (the machine's
    // noise shared): slack 2.7 284 and 276 s, 2.8 252 s, 2.85 249, 256,
    // 234 s, 3.0 316 s (AVX-512 on the same pairs: 2.85 151 s, 2.7 156 s);
    // on H(186)'s 81-digit cofactor 2.77 102 s, 2.62 106 s.
    if (p.jeu == JeuDInstructions::generique && p.exposantDouble > 0 && nombreDeChiffres(n) >= 80) {
        p.blocs *= 2;
        p.marge += 0.15;
    }
    const unsigned long k = multiplicateurKnuthSchroeppel(n);
    // The threshold in bits first, to scale the logarithms so that it stays
    // within a byte's high bit.
    BaseDeFacteurs base = baseDeFacteurs(n, k, static_cast<std::size_t>(p.taille), 1.0);
    const double seuilBits = log2Seuil(base, p);
    const double echelle = std::min(1.5, 110.0 / seuilBits);
    mettreALEchelle(base, echelle);
    ParametresDuCrible par;
    par.blocs = p.blocs;
    par.borneGrandPremier = static_cast<std::uint64_t>(base.p.back()) * static_cast<std::uint64_t>(p.multipleGrandPremier);
    par.seuil = seuilBits * echelle;
    par.jeu = p.jeu;
    if (p.exposantDouble > 0)
        par.borneDouble = static_cast<std::uint64_t>(
            std::min(0x1p62, std::pow(static_cast<double>(par.borneGrandPremier), p.exposantDouble)));

    Releve releve;
    // The relations of earlier sieves of n, each checked as the sieve's own
    // are; the seconds they cost count as spent, for the estimate.
    RelevesSauves journal(n, k, base.taille());
    double secondesAvant = 0;
    std::size_t relues = 0, ecarteesALaRelecture = 0;
    {
        std::vector<Relation> anciennes = journal.relire(secondesAvant);
        for (std::size_t i = 0; i < anciennes.size(); ++i) {
            if (i % 4096 == 0) verifierInterruption();
            if (!relationExacte(anciennes[i], base)) {
                ++ecarteesALaRelecture;
            } else if (const Relation* gardee = releve.ajouter(std::move(anciennes[i]))) {
                journal.noter(*gardee);
                ++relues;
            }
        }
        ecarteesALaRelecture += journal.illisibles();
    }
    std::size_t voulues = base.taille() + 64;
    const double premiereCible = static_cast<double>(voulues);  // the share told stays below 1 until then
    // Resumed, the polynomials are others than those already sieved.
    const std::uint64_t graine = 0x5151u + (relues == 0 ? 0 : 0x9e3779b97f4a7c15ull * relues);
    Equipe equipe(base, par, std::max(1u, coeurs), graine);
    std::unique_ptr<CribleSiqs> seul;  // when no thread could start
    std::atomic<bool> jamais{false};
    std::vector<Relation> arrivees;
    std::vector<std::pair<double, double>> historique;  // seconds, cycles
    std::size_t rejetees = 0;
    Horloge::time_point ecrit = debut;
    auto avancementDuCrible = [&] {
        AvancementDuCrible a;
        a.part = std::min(1.0, static_cast<double>(releve.nombreDeColonnes()) / premiereCible);
        a.secondes = secondesDepuis(debut);
        a.rejetees = rejetees;
        a.pleines = releve.pleines();
        a.cycles = releve.nombreDeColonnes() - a.pleines;
        a.relues = relues;
        a.ecarteesALaRelecture = ecarteesALaRelecture;
        return a;
    };
    for (int essai = 0; essai < 4; ++essai) {
        while (releve.nombreDeColonnes() < voulues) {
            verifierInterruption();
            if (equipe.vide()) {
                if (!seul) seul = std::make_unique<CribleSiqs>(base, par, graine);
                seul->famille(arrivees, jamais);
            } else if (!equipe.prendre(arrivees, std::chrono::milliseconds(100))) {
                journal.effacer();  // PARI's factorisation comes next
                return false;
            }
            // Each relation checked as it is merged: a wrong kernel costs
            // relations, counted, never a wrong column.
            for (Relation& r : arrivees) {
                if (!relationExacte(r, base))
                    ++rejetees;
                else if (const Relation* gardee = releve.ajouter(std::move(r)))
                    journal.noter(*gardee);
            }
            arrivees.clear();
            if (secondesDepuis(ecrit) >= 2) {
                journal.ecrire(secondesAvant + secondesDepuis(debut));
                ecrit = Horloge::now();
            }
            if (avancement) {
                AvancementDuCrible a = avancementDuCrible();
                // The point nearest half the time spent, for the growth of
                // the cycles; the time of earlier sieves of n counted.
                const double t = secondesAvant + a.secondes;
                historique.emplace_back(t, static_cast<double>(a.cycles));
                const auto moitie = std::lower_bound(historique.begin(), historique.end(), std::make_pair(t / 2, 0.0));
                if (a.part >= 0.01)
                    a.restant = estimationDuReste(t, static_cast<double>(a.pleines), static_cast<double>(a.cycles), moitie->first,
                                                  moitie->second, premiereCible, par.borneDouble ? 2.5 : 2.0);
                avancement(a);
            }
        }
        verifierInterruption();
        journal.ecrire(secondesAvant + secondesDepuis(debut));
        equipe.suspendre();
        if (avancement) {
            AvancementDuCrible a = avancementDuCrible();
            a.part = 1;
            a.restant = 0;
            a.algebre = true;
            avancement(a);
        }
        const std::vector<Releve::Colonne> colonnes = releve.colonnes();
        std::vector<ColonneGF2> matrice;
        matrice.reserve(colonnes.size());
        std::vector<std::uint8_t> impair(base.taille(), 0);
        for (const Releve::Colonne& c : colonnes) {
            if (matrice.size() % 1024 == 0) verifierInterruption();
            for (const Relation* r : c)
                for (std::uint32_t i : r->facteurs) impair[i] ^= 1;
            ColonneGF2 col;
            for (const Relation* r : c)
                for (std::uint32_t i : r->facteurs)
                    if (impair[i]) {
                        col.push_back(i);
                        impair[i] = 0;
                    }
            std::sort(col.begin(), col.end());
            matrice.push_back(std::move(col));
        }
        const auto deps = dependances(matrice, base.taille(), 1 + static_cast<std::uint64_t>(essai), std::max(1u, coeurs));
        for (const Dependance& d : deps) {
            verifierInterruption();
            std::vector<const Relation*> rel;
            for (std::size_t c : d) rel.insert(rel.end(), colonnes[c].begin(), colonnes[c].end());
            if (facteurParRacineCarree(n, base, rel, facteur)) {
                journal.effacer();
                return true;
            }
        }
        voulues += base.taille() / 20 + 64;  // a few more relations, and again
        equipe.reprendre();
    }
    journal.effacer();  // PARI's factorisation comes next
    return false;
}

}  // namespace harmo
