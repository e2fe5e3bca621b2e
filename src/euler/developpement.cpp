#include "euler/developpement.h"

#include "commun/constantes.h"
#include "commun/transcendantes.h"
#include "euler/termes.h"
#include "shell/console.h"
#include "shell/lecteur.h"

namespace harmo {

long plancher(const RR& x) { return NTL::conv<long>(x); }

void bitsDeLaConstante(Etat& e) {
    NTL::conv(e.p1, e.l4 + 1);
    NTL::mul(e.p1, e.p1, LN10);
    NTL::div(e.p1, e.p1, LN2);
}

void bitsDuDernierTerme(Etat& e, const RR& lnN) {
    const Coefficient& t32 = coefficient(32);
    NTL::conv(e.np3, t32.c);
    NTL::conv(e.dp3, t32.a);
    RR rapport, t;
    NTL::div(rapport, e.np3, e.dp3);
    NTL::mul(t, lnN, 32.0);
    NTL::add(t, logR(rapport), t);
    NTL::div(e.p3, t, LN2);
}

void annoncerEtDemanderDecimales(Etat& e) {
    NTL::mul(e.ndeci, e.pmin, LN2);
    NTL::div(e.ndeci, e.ndeci, LN10);
    e.nd1 = plancher(e.ndeci);
    e.con << " \n \n \t  Le nombre possible de decimales significatives exactes est  : " << e.nd1 << " environ (+/- 2). ";
    do {
        demander(e, casEntier, " \n \n \t  Nombre de decimales a afficher pour les valeurs approchees ? :  ", 1);
    } while (e.valeur > maxDecimales);
}

void chercherLesTermes(Etat& e, const RR& decimales) {
    e.k0 = 2;
    e.A = Euler1(e);
    NTL::conv(e.R10, 10);
    const RR tolerance = powR(e.R10, -decimales);
    while (NTL::abs(e.Eu[e.k0]) > tolerance && e.k0 <= 31) {
        e.k0 += 2;
        e.A = Euler1(e);
    }
}

RR valeurDuDeveloppement(Etat& e) {
    e.A = somme1(e);
    RR t, r;
    NTL::add(t, logR(e.NR), e.cst);
    NTL::add(r, t, e.Sk);
    return r;
}

}  // namespace harmo
