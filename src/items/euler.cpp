// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 4, the dialogue: N, then the decimals within reach, then H(N) by
// the Euler-Mascheroni expansion (euler/valeur_de_hn.h).
#include "items/euler.h"

#include "commun/suivi.h"
#include "euler/developpement.h"
#include "euler/valeur_de_hn.h"
#include "shell/console.h"
#include "shell/lecteur.h"

namespace harmo {

void annoncerEtDemanderDecimales(Etat& e) {
    e.con << " \n \n \t  Le nombre possible de decimales significatives exactes est  : " << e.nd1 << " environ (+/- 2). ";
    do {
        demander(e, casEntier, " \n \n \t  Nombre de decimales a afficher pour les valeurs approchees ? :  ", 1);
    } while (e.valeur > maxDecimales);
}

int euler(Etat& e) {
    Console& con = e.con;
    ouvrirLeDeveloppement(e);
    demander(e, casEntier, " \n \n \t  Nombre de termes de la suite, N ?  :  ", 1);
    e.N = e.valeur;
    NTL::conv(e.NR1, e.N);
    precisionAtteignable(e);
    annoncerEtDemanderDecimales(e);

    const bool insuffisant = developperHN(e);
    verifierInterruption();  // a request during the last steps: the value is dropped
    con << " \n \n  \t  H(" << e.N << ") =  " << e.H << " \n ";
    // The expansion ends at T(32): past it, the digits printed are not the sum's.
    if (insuffisant) {
        if (e.nd1 >= 1)
            con << " \n \t  Attention : pour ce N la formule ne donne qu'environ " << e.nd1
                << " decimales exactes ; les chiffres suivants ne sont pas significatifs. \n";
        else
            con << " \n \t  Attention : pour ce N la formule ne donne aucun chiffre exact ; la valeur exacte de H(N) est au menu 1. \n";
    }
    return 0;
}

}  // namespace harmo
