// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 5, the dialogue: H, then the decimals within reach, then the N
// whose harmonic sums bracket H (euler/encadrement.h).
#include "commun/ecriture_rr.h"
#include "commun/suivi.h"
#include "euler/constante.h"
#include "euler/encadrement.h"
#include "items/euler.h"
#include "shell/console.h"
#include "shell/lecteur.h"

namespace harmo {

namespace {

const char* const pasDeterminable =
    " \n \n \t  Pour cette valeur de H ou des valeurs superieures, la determination exacte de N n'est pas possible avec les parametres du programme.\n \n  ";

}  // namespace

int calcul2(Etat& e) {
    Console& con = e.con;
    e.l3 = 30;
    e.p0 = 500;
    e.Eu.SetLength(34);
    demander(e, casDecimal, " \n \n \t  Valeur H a encadree : ?   ", 1);
    e.H = e.valeurR;
    e.A = CstE(e);

    // Small values, answered directly.
    if (e.H < 1.0) {
        con << " \n \n \t  H(" << 0L << ")  =  " << 0L << "  <=  H = " << e.H << " \n \n \t  H(" << 1L << ")  =  " << 1L
            << "   >=  H = " << e.H;
        return 0;
    }
    if (e.H < 1.5) {
        con << " \n \n \t  H(" << 1L << ")  =  " << 1L << "  <=  H = " << e.H << " \n \n \t  H(" << 2L << ")  =  " << 1.5
            << "  >=  H = " << e.H;
        return 0;
    }

    RR lnH;
    if (!encadrementPossible(e, lnH)) {
        con << " \n \n \t  Remarque : Pour cette valeur de H ou des valeurs superieures, la determination exacte de N n'est pas possible avec les parametres du programme.\n \n  ";
        return 1;
    }
    annoncerEtDemanderDecimales(e);

    const bool insuffisant = encadrer(e, lnH);
    verifierInterruption();  // a request during the last steps: the bracket is dropped
    if (e.stop == 1) con << pasDeterminable;
    NTL::conv(e.N, e.Nk);
    const std::string texteH = enTexte(e.H);  // printed twice: its digits are made once
    con << " \n \n \t  H(" << e.N - 1 << ")  =  " << e.avt << "  <=  H = " << texteH << " \n \n \t  H(" << e.N
        << ")  =  " << e.apr << "  >=  H = " << texteH << " \n ";
    // The expansion ends at T(32): past it, the digits printed are not the
    // sums'. Said only when the decimals printed can reach that far (the
    // rule of item 4: d + 2 >= nd1); the search itself works 30 decimals
    // further, which the reader does not see.
    if (insuffisant && e.valeurR + 2 >= e.nd1)
        con << " \n \t  Attention : pour cette valeur de H la formule ne donne qu'environ " << e.nd1
            << " decimales exactes ; les chiffres suivants ne sont pas significatifs. \n";
    RR::SetOutputPrecision(2);
    con << " \n \n \t  N ~ " << e.Nk1;
    return 0;
}

}  // namespace harmo
