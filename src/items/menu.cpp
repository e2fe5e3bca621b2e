// SPDX-License-Identifier: GPL-3.0-or-later
#include "items/menu.h"

#include "commun/enfant.h"
#include "commun/suivi.h"
#include "items/calcul.h"
#include "items/echec.h"
#include "items/euler.h"
#include "items/explications.h"
#include "items/hn.h"
#include "shell/console.h"
#include "shell/lecteur.h"
#include "shell/signaux.h"

namespace harmo {

namespace {

const char* const banniere[] = {
    "\n___________________________________________________________________________________________________________\n",
    "***********************************************************************************************************\n",
    "\n   POUR MODIFIER LA TAILLE DU TEXTE : [TOUCHE CTRL] + [TOUCHE +/-]. PLEIN ECRAN : [F11] \n ",
    " \n \n \t  *****  SOMMES HARMONIQUES et de KEMPNER   ***** ",
    "\n \n \t Que voulez-vous faire ? : \n ",
    "\n \n \t \t [1] - Calculer une somme harmonique ou de Kempner ? ",
    "\n \n \t \t [2] - Savoir si une fraction P/Q est une somme harmonique ? ",
    "\n \n \t \t [3] - Afficher des explications ? ",
    "\n \n \t \t [4] - Calculer une valeur approchee d'une somme harmonique par la formule d'Euler et Mascheroni ? ",
    "\n \n \t \t [5] - Trouver les 2 sommes harmoniques consecutives encadrant une valeur H par la formule approchee d'Euler et Mascheroni ? ",
    "\n \n \t \t [0] - Fermer le programme ? ",
};

}  // namespace

void demarrer(Etat& e) {
    e.np = 2;
    e.Nprem.SetLength(3);
    e.Nprem[1] = 2;
    e.Nprem[2] = 3;
    e.refaire1 = 0;
    e.choix = 10;
}

int menu(Etat& e) {
    for (;;) {
        if (e.choix == 0) return 1;
        try {
            if (e.refaire1 == 0) {
                for (const char* t : banniere) e.con << t;
                demander(e, casMenu, "\n \n \n \t Quel est votre choix ? : ");
                e.choix = e.valeur2;
            }
            switch (e.choix) {
                case 1: e.A = HN(e); break;
                case 2: e.A = calcul(e); break;
                case 3: explications(e); break;
                case 4: e.A = euler(e); break;
                case 5: e.A = calcul2(e); break;
                default: break;
            }
        } catch (const CalculInterrompu&) {
            // Ctrl-C during a computation: its partial results are dropped;
            // the prime list and the precisions stay as they are.
            e.con << " \n \n \t Calcul interrompu. \n";
            e.refaire1 = 0;
            interruptionTraitee();
        } catch (const EchecDuCalcul& echec) {
            direCalculImpossible(e.con, echec.raison);
            e.refaire1 = 0;
        } catch (const std::bad_alloc&) {
            direCalculImpossible(e.con, "memoire insuffisante");
            e.refaire1 = 0;
        } catch (const std::exception& x) {
            direCalculImpossible(e.con, x.what());
            e.refaire1 = 0;
        }
    }
}

}  // namespace harmo
