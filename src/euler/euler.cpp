#include "euler/euler.h"

#include "commun/constantes.h"
#include "commun/pont_mpfr.h"
#include "euler/constante.h"
#include "euler/termes.h"
#include "shell/console.h"
#include "shell/lecteur.h"

namespace harmo {

long plancher(const RR& x) { return NTL::conv<long>(x); }

void annoncerEtDemanderDecimales(Etat& e) {
    NTL::mul(e.ndeci, e.pmin, LN2);
    NTL::div(e.ndeci, e.ndeci, LN10);
    e.nd1 = plancher(e.ndeci);
    e.con << " \n \n \t  Le nombre possible de decimales significatives exactes est  : " << e.nd1 << " environ (+/- 2). ";
    do {
        demander(e, casEntier, " \n \n \t  Nombre de decimales a afficher pour les valeurs approchees ? :  ", 1);
    } while (e.valeur > maxDecimales);
}

int euler(Etat& e) {
    Console& con = e.con;
    // Opening: a rough constant and the number of stored decimals.
    e.p0 = 500;
    e.l3 = 30;
    e.Eu.SetLength(34);
    e.A = CstE(e);
    NTL::conv(e.p1, e.l4 + 1);
    NTL::mul(e.p1, e.p1, LN10);
    NTL::div(e.p1, e.p1, LN2);
    RR::SetPrecision(5000);

    demander(e, casEntier, " \n \n \t  Nombre de termes de la suite, N ?  :  ", 1);
    e.N = e.valeur;
    NTL::conv(e.NR1, e.N);

    // Reachable accuracy: the stored decimals, and what the last term allows.
    NTL::conv(e.np3, 16320);
    NTL::conv(e.dp3, 7709321041217.0);
    NTL::div(e.p3, e.np3, e.dp3);
    RR lnN = logR(e.NR1);
    RR t1, t2;
    NTL::mul(t1, lnN, 32.0);
    NTL::add(t2, logR(e.p3), t1);
    NTL::div(e.p3, t2, LN2);
    NTL::add(t1, lnN, e.cst);
    NTL::div(e.p4, logR(t1), LN2);
    e.pmin = e.p1 < e.p3 ? e.p1 : e.p3;
    annoncerEtDemanderDecimales(e);

    // Digits to show and working precision.
    NTL::conv(e.valeurR, e.valeur);
    NTL::mul(t1, e.p4, LN2);
    NTL::div(t2, t1, LN10);
    RR t3;
    NTL::add(t3, e.valeurR, t2);
    NTL::add(e.valeurR, t3, 1.0);
    e.nsign = plancher(e.valeurR);
    NTL::mul(t1, e.valeurR, LN10);
    NTL::div(t1, t1, LN2);
    NTL::add(t1, t1, 100.0);
    e.p0 = plancher(t1);
    RR::SetPrecision(e.p0);

    // Terms until the first one at or below 10^-v (never past T(32)).
    NTL::conv(e.NR, e.N);
    e.k0 = 2;
    e.A = Euler1(e);
    NTL::conv(e.R10, 10);
    RR tolerance = powR(e.R10, -e.valeurR);
    while (NTL::abs(e.Eu[e.k0]) > tolerance && e.k0 <= 31) {
        e.k0 += 2;
        e.A = Euler1(e);
    }
    NTL::negate(t1, logR(NTL::abs(e.Eu[e.k0])));
    NTL::div(e.p3, t1, LN2);
    e.k0 -= 2;
    e.pmin = e.p3;
    NTL::mul(e.l3R, e.pmin, LN2);
    NTL::div(e.l3R, e.l3R, LN10);
    e.l3 = plancher(e.l3R);
    RR::SetOutputPrecision(e.nsign);
    NTL::mul(t1, e.l3R, LN10);
    NTL::div(t1, t1, LN2);
    NTL::add(t1, t1, e.p4);
    e.p0 = plancher(t1);
    RR::SetPrecision(e.p0 + 200);

    // The constant to the decimals the last term allows, and the sum.
    e.A = CstE(e);
    e.A = somme1(e);
    NTL::add(t1, logR(e.NR), e.cst);
    NTL::add(e.H, t1, e.Sk);
    con << " \n \n  \t  H(" << e.N << ") =  " << e.H << " \n ";
    return 0;
}

}  // namespace harmo
