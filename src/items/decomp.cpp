// SPDX-License-Identifier: GPL-3.0-or-later
#include "items/decomp.h"

#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/memoire.h"
#include "commun/suivi.h"
#include "factor/factorisations_connues.h"
#include "factor/pari.h"
#include "factor/pilote.h"
#include "shell/console.h"
#include "shell/signaux.h"
#include "sums/premiers.h"

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

// What the progress line says of the work on the cofactor, premiers the
// primes of the number proven so far.
Avancement avancementDuTravail(const std::string& quoi, const TravailEnCours& t, long premiers) {
    Avancement a;
    a.tache = "factorisation de " + quoi;
    const std::string taille = std::to_string(t.chiffres) + " chiffres";
    switch (t.methode) {
        case TravailEnCours::Methode::HorsDePortee:
            a.phase = "reste compose de " + taille + ", hors de portee du crible, ECM (facteurs de " + std::to_string(t.niveau) +
                      " chiffres) ; Ctrl-C garde les facteurs trouves";
            a.phaseCourte = "hors de portee, ECM " + std::to_string(t.niveau) + " chiffres";
            break;
        case TravailEnCours::Methode::Ecm:
            a.phase = "cofacteur de " + taille + ", ECM (facteurs de " + std::to_string(t.niveau) + " chiffres)";
            a.phaseCourte = "ECM " + std::to_string(t.niveau) + " chiffres";
            break;
        case TravailEnCours::Methode::Divisions:
            a.phase = "cofacteur de " + taille + ", divisions par les petits premiers";
            a.phaseCourte = "divisions";
            break;
        case TravailEnCours::Methode::Crible:
            a.phase = "crible quadratique sur " + taille;
            a.phaseCourte = "crible " + taille;
            a.part = t.part;
            a.restant = t.restant;
            break;
        case TravailEnCours::Methode::AlgebreLineaire:
            a.phase = "crible quadratique sur " + taille + ", algebre lineaire";
            a.phaseCourte = "algebre lineaire";
            break;
        case TravailEnCours::Methode::SansMemoire: {
            const std::string mo = std::to_string(static_cast<long>(t.octets / 1e6 + 1)) + " Mo";
            a.phase = "cofacteur de " + taille + ", crible impossible : memoire insuffisante (environ " + mo +
                      ") ; ECM (facteurs de " + std::to_string(t.niveau) + " chiffres)";
            a.phaseCourte = "sans memoire pour le crible (" + mo + "), ECM " + std::to_string(t.niveau) + " chiffres";
            break;
        }
        case TravailEnCours::Methode::Preuve:
        default:
            a.phase = "cofacteur de " + taille + ", test de primalite";
            a.phaseCourte = "test de primalite";
            break;
    }
    if (premiers > 0) a.detail = std::to_string(premiers) + (premiers > 1 ? " premiers trouves" : " premier trouve");
    return a;
}

// The primes of the cofactor e.S, in a child process, added to trouves as
// each is proven: an interrupt or a failure (thrown on) keeps those already
// there.
void factoriserAPart(const Etat& e, const std::string& quoi, std::vector<FacteurPremier>& trouves) {
    const ZZ& cofacteur = e.S;
    calculerAPart(
        [&](Canal& canal) {
            const SessionPari pari;
            long premiers = e.nf;  // those of trial division, then each one handed over
            std::vector<FacteurPremier> remis;
            auto remettre = [&](const ZZ& p, long exposant) {
                std::string octets;
                Canal morceau(octets);
                morceau << p << exposant;
                canal.morceau(octets);
                ++premiers;
                remis.push_back({p, exposant});
            };
            // A number factored before: its primes from the cache, proven again.
            if (const auto connue = factorisationConnue(cofacteur)) {
                for (const FacteurPremier& f : *connue) remettre(f.p, f.e);
                return;
            }
            CompteRendu r;
            r.premier = remettre;
            r.travail = [&](const TravailEnCours& t) { progres(avancementDuTravail(quoi, t, premiers)); };
            factoriserParEtapes(cofacteur, r, memoireUtilisable() / 2);
            retenirLaFactorisation(cofacteur, remis);
        },
        false,
        [&](Resultat& m) {
            FacteurPremier f;
            m >> f.p >> f.e;
            trouves.push_back(std::move(f));
        });
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
    // Trial division here, then the primes left, apart. An interrupt or a
    // failure stops the factorisation, not the dialogue: what was proven is
    // shown, and the cofactor left by its size.
    std::vector<FacteurPremier> trouves;
    bool interrompu = false;
    std::string arret;  // why it stopped short, when it failed
    try {
        Avancement divisions;
        divisions.tache = std::string("factorisation de ") + quoi;
        divisions.phase = "divisions par les petits premiers";
        progres(divisions);
        if (!divisionsParEssais(e, false)) factoriserAPart(e, quoi, trouves);
    } catch (const CalculInterrompu&) {
        interrompu = true;
        interruptionTraitee();
    } catch (const EchecDuCalcul& echec) {
        arret = echec.memoire ? "memoire insuffisante" : echec.raison;
    }
    // The primes found apart are all above those of trial division; their
    // product with them must give S back.
    const bool exacts = retirerLesFacteurs(e, std::move(trouves));
    if (arret.empty() && !interrompu && (!exacts || !NTL::IsOne(e.S)))
        arret = "les facteurs trouves ne redonnent pas le nombre";
    if (!NTL::IsOne(e.S) && (interrompu || !arret.empty())) {
        ecrireFacteurs(e);
        con << (e.nf > 0 ? " X [" : "[") << nombreDeChiffres(e.S) << " chiffres non factorises]";
        if (!arret.empty()) con << " \n \t Factorisation arretee : " << arret << ". \n";
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
