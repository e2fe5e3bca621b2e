// SPDX-License-Identifier: GPL-3.0-or-later
#include "items/decomp.h"

#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/memoire.h"
#include "commun/suivi.h"
#include "factor/pari.h"
#include "factor/pilote.h"
#include "shell/console.h"
#include "shell/progres_terminal.h"
#include "shell/signaux.h"
#include "sums/premiers.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace harmo {

namespace {

// "  (p1)^e1 X (p2) X ...": the primes found, Nfact[1..nf] and their exponents.
void ecrireFacteurs(Etat& e) {
    e.con << "  ";
    for (e.t = 1; e.t <= e.nf; ++e.t) {
        if (e.t > 1) e.con << " X ";
        e.con << "(" << e.Nfact[e.t] << ")";
        if (!NTL::IsOne(e.Nexpo[e.t])) e.con << "^" << e.Nexpo[e.t];
    }
}

// An estimate of what is left, as a person would say it: "40 s", "3 min".
std::string dureeRestante(double secondes) {
    if (secondes < 55) return std::to_string(std::max(5L, std::lround(secondes / 5) * 5)) + " s";
    return std::to_string(std::max(1L, std::lround(secondes / 60))) + " min";
}

// What the progress line says of the work on the part left.
std::string texteDuTravail(const std::string& quoi, const TravailEnCours& t) {
    const std::string debut = "factorisation de " + quoi + " : ";
    const std::string taille = std::to_string(t.chiffres) + " chiffres";
    switch (t.methode) {
        case TravailEnCours::Methode::HorsDePortee:
            return debut + "reste compose de " + taille + ", hors de portee ; Ctrl-C garde les facteurs trouves";
        case TravailEnCours::Methode::Ecm:
            return debut + "cofacteur de " + taille + ", ECM (facteurs de " + std::to_string(t.niveau) + " chiffres)";
        case TravailEnCours::Methode::Divisions:
            return debut + "cofacteur de " + taille + ", divisions par les petits premiers";
        case TravailEnCours::Methode::Crible:
            if (t.part < 0) return debut + "cofacteur de " + taille + ", crible quadratique";
            return debut + "crible quadratique sur " + taille + ", " + std::to_string(static_cast<int>(t.part * 100)) +
                   " % des relations, " + duree(static_cast<long long>(t.secondes * 1000)) +
                   (t.restant >= 0 ? " (encore " + dureeRestante(t.restant) + " environ)" : "");
        case TravailEnCours::Methode::Preuve:
        default:
            return debut + "cofacteur de " + taille + ", test de primalite";
    }
}

// The primes of the cofactor e.S, in a child process, added to trouves as
// each is proven: an interrupt (thrown on) keeps those already there.
void factoriserAPart(const Etat& e, const std::string& quoi, std::vector<FacteurPremier>& trouves) {
    const ZZ& cofacteur = e.S;
    try {
        calculerAPart(
            [&](Canal& canal) {
                const SessionPari pari;
                CompteRendu r;
                r.premier = [&](const ZZ& p, long exposant) {
                    std::string octets;
                    Canal morceau(octets);
                    morceau << p << exposant;
                    canal.morceau(octets);
                };
                r.travail = [&](const TravailEnCours& t) { progres(texteDuTravail(quoi, t)); };
                factoriserParEtapes(cofacteur, r, memoireUtilisable() / 2);
            },
            false,
            [&](Resultat& m) {
                FacteurPremier f;
                m >> f.p >> f.e;
                trouves.push_back(std::move(f));
            });
    } catch (EchecDuCalcul& echec) {
        // Told as it is by the dialogue; trial division could take forever.
        if (echec.memoire) echec.raison = "memoire insuffisante pour la factorisation";
        throw;
    }
}

}  // namespace

int decomp(Etat& e, const char* quoi) {
    Console& con = e.con;
    if (NTL::IsZero(e.S)) {
        // Zero has no factorisation: it is shown as it is.
        con << "  0";
        return 1;
    }
    e.k = 0;
    e.nf = 0;
    e.i = 1;
    // Trial division here, then the primes left, apart. An interrupt stops
    // the factorisation, not the dialogue: what was proven is shown, and the
    // part left by its size.
    std::vector<FacteurPremier> trouves;
    bool interrompu = false;
    try {
        if (!divisionsParEssais(e, false)) factoriserAPart(e, quoi, trouves);
    } catch (const CalculInterrompu&) {
        interrompu = true;
        interruptionTraitee();
    }
    // The primes found apart are all above those of trial division.
    std::sort(trouves.begin(), trouves.end(), [](const FacteurPremier& a, const FacteurPremier& b) { return a.p < b.p; });
    for (const FacteurPremier& f : trouves) {
        e.S /= NTL::power(f.p, f.e);
        ajouterFacteur(e, f.p, f.e);
    }
    if (interrompu && !NTL::IsOne(e.S)) {
        ecrireFacteurs(e);
        con << (e.nf > 0 ? " X [" : "[") << nombreDeChiffres(e.S) << " chiffres non factorises]";
        e.S = 1;
        return 1;
    }
    if (e.nf == 1 && NTL::IsOne(e.Nexpo[1])) {
        con << "  est un nombre premier. ";
        return 1;
    }
    ecrireFacteurs(e);
    return 1;
}

}  // namespace harmo
