// SPDX-License-Identifier: GPL-3.0-or-later
#include "euler/encadrement.h"

#include "commun/constantes.h"
#include "commun/suivi.h"
#include "commun/transcendantes.h"
#include "euler/constante.h"
#include "euler/developpement.h"
#include "euler/termes.h"

namespace harmo {

namespace {

// The expansion at N = x, with the k0 / 2 terms fixed by the search.
RR sommeApprochee(Etat& e, const RR& x) {
    verifierInterruption();
    e.NR = x;
    e.k2 = e.k0;
    for (e.k0 = 2; e.k0 <= e.k2; e.k0 += 2) e.A = Euler1(e);
    e.k0 = e.k2;
    return valeurDuDeveloppement(e);
}

// Integer part of e^x, as an RR.
void estimation(Etat& e, const RR& x) {
    NTL::TruncToZZ(e.Nk0, expR(x));
    NTL::conv(e.Nk1, e.Nk0);
}

}  // namespace

bool encadrementPossible(Etat& e, RR& lnH) {
    RR HmoinsG;
    NTL::sub(HmoinsG, e.H, e.cst);
    NTL::div(e.p2, HmoinsG, LN2);
    bitsDeLaConstante(e);
    bitsDuDernierTerme(e, HmoinsG);
    lnH = logR(e.H);
    NTL::div(e.p4, lnH, LN2);
    e.pmin = e.p1 < e.p3 ? e.p1 : e.p3;
    if (e.pmin < e.p2) return false;
    decimalesAtteignables(e);
    return true;
}

bool encadrer(Etat& e, const RR& lnH) {
    // Requested accuracy, kept between the bits of N and the reachable bits.
    RR t1, HmoinsG;
    NTL::conv(e.valeurR, e.valeur);
    NTL::div(t1, lnH, LN10);
    NTL::add(t1, e.valeurR, t1);
    NTL::add(t1, t1, 1.0);
    e.nsign = plancher(t1);
    NTL::mul(e.nchoix, e.valeurR, LN10);
    NTL::div(e.nchoix, e.nchoix, LN2);
    if (e.nchoix <= e.p2)
        e.nfix = e.p2;
    else if (e.pmin < e.nchoix)
        e.nfix = e.pmin;
    else
        e.nfix = e.nchoix;
    NTL::mul(e.nfixR, e.nfix, LN2);
    NTL::div(e.nfixR, e.nfixR, LN10);
    NTL::add(e.l3R, e.nfixR, 30.0);
    e.l3 = plancher(e.l3R);
    NTL::add(t1, e.nfix, e.p4);
    e.p0 = plancher(t1);
    RR::SetPrecision(e.p0 + 200);
    e.A = CstE(e);
    RR::SetOutputPrecision(e.nsign);

    // First estimate of N, and the terms that matter there.
    NTL::clear(e.Nk);
    NTL::sub(HmoinsG, e.H, e.cst);
    estimation(e, HmoinsG);
    e.NR = e.Nk1;
    const bool insuffisant = chercherLesTermes(e, e.l3R);

    // Refined estimate.
    estimation(e, HmoinsG);
    while (e.Nk1 > e.Nk) {
        e.Nk = e.Nk1;
        sommeApprochee(e, e.Nk);
        NTL::sub(t1, HmoinsG, e.Sk);
        estimation(e, t1);
    }

    // Steps of one to the smallest N whose sum exceeds H.
    e.apr = sommeApprochee(e, e.Nk);
    e.avt = e.apr;
    e.stop = 0;
    if (e.apr > e.H) {
        while (e.avt > e.H && e.stop == 0) {
            if (e.Nk <= 2) {
                // Below N = 3 the expansion is no guide (it gives about 1.5943
                // at 2 and 4.5e8 at 1, and nothing at 0): the bracket is
                // H(2) = 1.5 <= H < H(3).
                NTL::conv(e.Nk, 2);
                NTL::conv(e.avt, 1.5);
                e.apr = sommeApprochee(e, NTL::conv<RR>(3));
                break;
            }
            e.apr = e.avt;
            NTL::sub(e.Nk, e.Nk, 1.0);
            e.avt = sommeApprochee(e, e.Nk);
            if (e.apr == e.avt) e.stop = 1;
        }
        NTL::add(e.Nk, e.Nk, 1.0);
    } else {
        while (e.apr <= e.H && e.stop == 0) {
            e.avt = e.apr;
            NTL::add(e.Nk, e.Nk, 1.0);
            e.apr = sommeApprochee(e, e.Nk);
            if (e.apr == e.avt) e.stop = 1;
        }
    }
    return insuffisant;
}

}  // namespace harmo
