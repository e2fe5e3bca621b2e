// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 1, the dialogue: parity, N, kind of sum, level, then stages and
// continuations. Each stage is computed by the core of sums/etape.h; this
// file asks, keeps the program state and prints.
#include "items/hn.h"

#include "commun/constantes.h"
#include "commun/decimal.h"
#include "commun/ecriture_rr.h"
#include "commun/enfant.h"
#include "commun/suivi.h"
#include "items/continuation.h"
#include "items/decomp.h"
#include "items/echec.h"
#include "shell/console.h"
#include "shell/lecteur.h"
#include "shell/signaux.h"
#include "sums/etape.h"
#include "sums/niveau3.h"
#include "sums/parite.h"
#include "sums/somme_approchee.h"

namespace harmo {

namespace {

const char* const invitesN[2][3] = {
    {" \n \n \t Valeur de N  ? :  ", " \n \n \t Valeur de N (Impaire) ? :  ", " \n \n \t Valeur de N (Paire) ? :  "},
    {" \n \n \t Nouvelle valeur de N  ? :  ", " \n \n \t Nouvelle valeur de N (Impaire) ? :  ",
     " \n \n \t Nouvelle valeur de N (Paire) ? :  "}};

const char* const expressions[3] = {
    " \n \n \t Expression generale de H(N) = 1/1 +1/2 + 1/3  ... 1/N ",
    " \n \n \t Expression generale de H(N) = 1/1 +1/3 + 1/5  ... 1/N , avec N impaire.",
    " \n \n \t Expression generale de H(N) =  1/2 + 1/4 + 1/6 ... 1/N , avec N paire.  "};

const char* const resumesHarmoniques[3] = {
    " \n \n \t La somme harmonique, de dernier terme  1/",
    " \n \n \t La somme dite 'harmonique impaire', de dernier terme  1/",
    " \n \n \t La somme dite 'harmonique paire', de dernier terme  1/"};

const char* const supprimesKempner[3] = {"", " paires et ceux impaires ", " impaires et ceux paires "};
const char* const nomsKempner[3] = {"", " 'Impaire', ", " 'Paire', "};

// Asks N until it has the parity (the wrong parity is asked again without a
// word), then M = the number of candidates up to N.
void demanderN(Etat& e, bool nouvelle) {
    do {
        demander(e, casEntier, invitesN[nouvelle][e.parite], 1);
        e.N = e.valeur;
    } while (!dernierChiffrePermis(NTL::rem(e.N, 10), e.parite));
    e.M = nombreDeCandidats(e.N, e.parite);
}

// Bits of the working precision for nd digits and a stage of p digits.
long precisionEtape(long p, long nd) {
    return static_cast<long>(static_cast<double>(p + nd + 2) * LN10 / LN2 + 10);
}

Etape etapeCourante(const Etat& e) {
    Etape t;
    t.N1 = e.N1;
    t.N = e.N;
    t.parite = e.parite;
    t.kempner = e.sup == 1;
    if (t.kempner) t.sequence.assign(e.ch.begin() + 1, e.ch.begin() + 1 + e.chn);
    return t;
}

void resume(Etat& e) {
    Console& con = e.con;
    if (e.sup == 2) {
        con << resumesHarmoniques[e.parite] << e.N << "  comporte " << e.i0 << "  termes. ";
        return;
    }
    con << " \n \n \t Tous les termes " << supprimesKempner[e.parite] << " contenant la sequence  ";
    for (long j = 1; j <= e.chn; ++j) con << e.ch[j];
    con << "  ont ete supprimes de la suite harmonique complete. ";
    con << " \n \n \t Cette somme de KEMPNER " << nomsKempner[e.parite] << " comporte  " << e.i0 << "  termes. ";
    if (NTL::IsZero(e.i0))
        con << " Aucun terme n'a ete garde. ";
    else
        con << " Le dernier est 1/" << e.N0 << "  . ";
}

// reduite: P/Q is already in lowest terms.
void fractionExacte(Etat& e, const Etape& t, bool reduite) {
    Console& con = e.con;
    demander(e, casOuiNon, "\n \n \t Voulez vous afficher la fraction P/Q simplifiee ,   Oui[1] / Non[0] ? : ");
    e.aff = e.valeur2;
    if (e.aff != 1) return;
    Fraction total{e.P, e.Q};
    std::string texteP, texteQ;
    fractionReduiteAPart(t, total, reduite, e.pgcd, texteP, texteQ);
    e.P = std::move(total.P);
    e.Q = std::move(total.Q);
    const bool kempner = e.sup == 1;
    con << "\n \n \t " << (kempner ? "K" : "H") << "(" << (kempner && !NTL::IsZero(e.i0) ? e.N0 : e.N)
        << ") = P/Q  =  " << texteP << " / " << texteQ << " . ";
    demander(e, casOuiNon, " \n \n \t Decompositions en facteurs premiers de P et Q ?   Oui [1] , Non [0] : ");
    e.de = e.valeur2;
    if (e.de == 1) {
        e.S = e.P;
        con << "\n \n \t P = ";
        avantCalculLong();
        e.A = decomp(e, "P");
        e.S = e.Q;
        con << "\n \n \t Q = ";
        e.A = decomp(e, "Q");
    }
}

void refuser(Etat& e, const SommeTropGrande& trop) {
    e.con << " \n \n \t Cette somme exacte depasse les possibilites de la machine : la fraction P/Q aurait environ "
          << trop.chiffres << " chiffres. \n";
}

// One stage: from the candidate after N1 up to N. False when its exact sum
// does not fit in the machine: the calculation ends there.
bool etape(Etat& e) {
    Console& con = e.con;
    if (e.Nt == 3) {
        con << "\n \n \t En regroupant les termes en paquets les calculs sont acceleres.";
        demander(e, casEntier, " \n \t Nombre de termes dans un paquet  ? :  ", 1);
        e.paquet = e.valeur;
        // The terms are summed by a balanced tree whatever the packets: the
        // same value, in quasi-linear time. The packet count still sizes the
        // precision.
        e.p = nombreDeChiffres((e.M - e.M1) / e.paquet);
    } else if (e.Nt == 2) {
        e.p = nombreDeChiffres(e.M - e.M1);
    }
    if (e.Nt >= 2) {
        RR::SetPrecision(precisionEtape(e.p, e.nd));
        e.p = RR::precision();
    }

    const Etape t = etapeCourante(e);
    const Gardes gardes = compterGardes(t);
    bool reduite = false;
    std::string valeur;
    avantCalculLong();
    switch (e.Nt) {
        case 2:
            try {
                valeur = etapeApprochee(t, gardes.nombre, e.p, std::max<long>(e.nd, 1), e.res, e.niveau2);
            } catch (const CalculTropGrand& trop) {
                direTropGrand(con, trop.octets);
                return false;
            }
            break;
        case 3: {
            if (NTL::IsZero(gardes.nombre)) {
                // Nothing kept (a Kempner stage): the sum stays, only its value
                // is taken again at this stage's precision.
                e.res = valeurDeLaFraction(Fraction{e.P, e.Q}, e.p);
                break;
            }
            // Moved: a continuation keeps its own copy of the sum before
            // (AvantLaContinuation), and a first stage that stops ends the
            // calculation.
            Fraction total{std::move(e.P), std::move(e.Q)};
            try {
                sommeExacteAPart(t, total, reduite, e.res, e.p);
            } catch (const SommeTropGrande& trop) {
                refuser(e, trop);
                return false;
            }
            e.P = std::move(total.P);
            e.Q = std::move(total.Q);
            break;
        }
        default:
            break;
    }
    e.i0 += gardes.nombre;
    if (t.kempner && gardes.nombre > 0) e.N0 = gardes.dernier;
    e.N1 = e.N;

    if (e.Nt >= 2) {
        RR::SetOutputPrecision(std::max<long>(e.nd, 1));
        if (e.Nt == 3) valeur = enTexte(e.res);
        con << "\n \n \t La somme est la fraction P/Q dont une valeur approchee  =  " << valeur;
    }
    resume(e);
    if (e.Nt == 3) {
        try {
            fractionExacte(e, t, reduite);
        } catch (const SommeTropGrande& trop) {
            refuser(e, trop);
            return false;
        }
    }
    return true;
}

// A stage whose computation failed for another reason than its size is told
// as it is, and the calculation ends there, as after a refusal.
bool etapeOuEchec(Etat& e) {
    try {
        return etape(e);
    } catch (const EchecDuCalcul& echec) {
        direCalculImpossible(e.con, echec.raison);
        return false;
    }
}

void unCalcul(Etat& e) {
    Console& con = e.con;
    demander(e, casParite, " \n \n \n \t Parite de tous les denominateurs ? Paire [2] , Impaire [1] , Indifferente (cas normal) [0] : ");
    e.parite = e.valeur2;
    con << expressions[e.parite];
    demanderN(e, false);
    e.M1 = 0;
    e.Nt = 0;
    demander(e, casUnDeux, "\n \n \t Voulez vous calculez: une somme de KEMPNER [1] / une somme Harmonique [2] ? : ");
    e.sup = e.valeur2;
    if (e.sup == 1) {
        con << " \n \n \t Il s'agit de supprimer tous les termes de la serie d'origine contenant une certaine sequence de chiffres. ";
        demander(e, casChiffre, "\n \n \t Combien de chiffres dans la sequence ? : ");
        e.chn = e.valeur2;
        for (e.j = 1; e.j <= e.chn; ++e.j) {
            con << "\n \t Quel est le chiffre de rang " << e.j << "  de la sequence ";
            demander(e, casChiffre, " ? : ");
            e.ch[e.j] = e.valeur2;
        }
    }
    demander(e, casNiveau,
             "\n \n \n \t Voulez vous :  \n \n \t \t  [1] Seulement compter les termes de la somme ?  \n \n \t \t  [2] Avoir aussi une valeur approchee de la somme ?  \n \n \t \t  [3] Avoir egalement la valeur exacte (P/Q) de cette somme ? \n \n \t \t \t  Quel est votre choix ?  :  ");
    e.Nt = e.valeur2;
    if (e.Nt == 2 || e.Nt == 3) {
        do {
            demander(e, casEntier, " \n \n \t Avec combien de chiffres significatifs  exacts voulez vous afficher la somme approchee  ? : ");
        } while (e.valeur > maxChiffresSignificatifs);
        e.nd = NTL::conv<long>(e.valeur);
    }
    NTL::clear(e.res);
    e.niveau2 = SommeApprochee{};
    e.i0 = 0;
    e.P = 0;
    e.Q = 1;
    e.N0 = 0;  // no term kept yet in this calculation
    e.N1 = avantLePremierCandidat(e.parite);
    e.z = pasDesCandidats[e.parite];
    if (!etapeOuEchec(e)) return;
    for (;;) {
        demander(e, casOuiNon, "\n \n \n \t Voulez vous continuer pour une plus grande valeur de N ? Oui [1] , Non [0] : ");
        e.nsuiv = e.valeur2;
        if (e.nsuiv != 1) break;
        AvantLaContinuation avant(e);
        e.M1 = e.M;  // N1 = N since the stage
        do {
            demanderN(e, true);
        } while (e.N <= e.N1);
        // Interrupted, a continuation goes back to its question with the sum
        // of the stage before.
        try {
            if (!etapeOuEchec(e)) return;
        } catch (const CalculInterrompu&) {
            avant.remettre(e);
            e.con << " \n \n \t Calcul interrompu. \n";
            interruptionTraitee();
        }
    }
}

}  // namespace

int HN(Etat& e) {
    Console& con = e.con;
    e.recalc = 1;
    con << "\n \n___________________________________________________________________________________________________________"
        << " \n \n \t Calcul d'une somme Harmonique ou de Kempner de dernier terme 1/N. "
        << "\n \n \t SOMMES DE KEMPNER."
        << "\n \n \t Ce sont les sommes harmoniques dans lesquelles on a supprime tous les termes contenant un certain chiffre."
        << "\n \t Ou encore pour  lesquelles on a supprime tous les termes contenant une certaine sequence de chiffres."
        << "\n \n \t Contrairement a la serie harmonique, ces series sont convergentes. Mais elles convergent tres lentement !!! ";
    while (e.recalc == 1) {
        unCalcul(e);
        demander(e, casOuiNon, "\n \n \n \t Nouveau calcul ? Oui [1] , Non [0] : ");
        e.recalc = e.valeur2;
    }
    return 1;
}

}  // namespace harmo
