// SPDX-License-Identifier: GPL-3.0-or-later
#include "euler/valeur_de_hn.h"

#include "commun/constantes.h"
#include "commun/transcendantes.h"
#include "euler/constante.h"
#include "euler/developpement.h"

namespace harmo {

void ouvrirLeDeveloppement(Etat& e) {
    e.p0 = 500;
    e.l3 = 30;
    e.Eu.SetLength(34);
    e.A = CstE(e);
    bitsDeLaConstante(e);
    RR::SetPrecision(5000);
}

void precisionAtteignable(Etat& e) {
    // The stored decimals, and what the last term allows.
    const RR lnN = logR(e.NR1);
    bitsDuDernierTerme(e, lnN);
    RR t1;
    NTL::add(t1, lnN, e.cst);
    NTL::div(e.p4, logR(t1), LN2);
    e.pmin = e.p1 < e.p3 ? e.p1 : e.p3;
    decimalesAtteignables(e);
}

bool developperHN(Etat& e) {
    // Digits to show and working precision.
    RR t1, t2;
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
    const bool insuffisant = chercherLesTermes(e, e.valeurR);
    const RR& arret = e.Eu[e.k0];
    e.k0 -= 2;
    RR::SetOutputPrecision(e.nsign);
    long l3 = 0, p0 = 0;
    if (entiersDuTermeDArret(arret, e.p4, RR::precision(), l3, p0)) {
        e.l3 = l3;
        e.p0 = p0;
    } else {
        // p3 = -log2 |T(s)|, l3R = p3 in decimals: the size of the stopping term.
        NTL::negate(t1, logR(NTL::abs(arret)));
        NTL::div(e.p3, t1, LN2);
        e.pmin = e.p3;
        NTL::mul(e.l3R, e.pmin, LN2);
        NTL::div(e.l3R, e.l3R, LN10);
        e.l3 = plancher(e.l3R);
        NTL::mul(t1, e.l3R, LN10);
        NTL::div(t1, t1, LN2);
        NTL::add(t1, t1, e.p4);
        e.p0 = plancher(t1);
    }
    RR::SetPrecision(e.p0 + 200);

    // The constant to the decimals the last term allows, and the sum.
    e.A = CstE(e);
    e.H = valeurDuDeveloppement(e);
    return insuffisant;
}

}  // namespace harmo
