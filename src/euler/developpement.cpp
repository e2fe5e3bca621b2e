// SPDX-License-Identifier: GPL-3.0-or-later
#include "euler/developpement.h"

#include "commun/constantes.h"
#include "commun/pont_mpfr.h"
#include "commun/suivi.h"
#include "commun/transcendantes.h"
#include "euler/termes.h"

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

void decimalesAtteignables(Etat& e) {
    NTL::mul(e.ndeci, e.pmin, LN2);
    NTL::div(e.ndeci, e.ndeci, LN10);
    e.nd1 = plancher(e.ndeci);
}

Tolerance::Tolerance(const RR& dix, const RR& x) : dix_(dix), moinsX_(-x), bas_(256), haut_(256) {
    Mpfr d(1), y(1);
    versMpfrExact(d, dix);
    versMpfrExact(y, moinsX_);
    mpfr_pow(bas_, d, y, MPFR_RNDD);
    mpfr_pow(haut_, d, y, MPFR_RNDU);
    const long P = RR::precision();
    Mpfr u(64);
    mpfr_set_ui_2exp(u, 1, -(P - 1), MPFR_RNDU);
    mpfr_ui_sub(u, 1, u, MPFR_RNDD);
    mpfr_mul(bas_, bas_, u, MPFR_RNDD);
    mpfr_set_ui_2exp(u, 1, -(P - 1), MPFR_RNDU);
    mpfr_add_ui(u, u, 1, MPFR_RNDU);
    mpfr_mul(haut_, haut_, u, MPFR_RNDU);
}

bool Tolerance::depassee(const RR& t) {
    Mpfr a(1);
    versMpfrExact(a, NTL::abs(t));
    if (mpfr_greater_p(a, haut_)) return true;
    if (mpfr_less_p(a, bas_)) return false;
    if (!calculee_) {
        exacte_ = powR(dix_, moinsX_);
        calculee_ = true;
    }
    return NTL::abs(t) > exacte_;
}

bool entiersDuTermeDArret(const RR& T, const RR& p4, long P, long& l3, long& p0) {
    if (P < 20000) return false;
    const mpfr_prec_t b = 512;
    Mpfr t(1), q(64), ln2(64), ln10(64), lo(b), hi(b), l3lo(b), l3hi(b), marge(b);
    versMpfrExact(t, T);
    mpfr_abs(t, t, MPFR_RNDN);
    mpfr_set_d(ln2, LN2, MPFR_RNDN);
    mpfr_set_d(ln10, LN10, MPFR_RNDN);
    // [bas, haut] = [de, a] op c, op increasing in its first argument (c > 0
    // for a product or a quotient), rounded outwards.
    using Operation = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);
    auto appliquer = [](Operation op, Mpfr& bas, Mpfr& haut, const Mpfr& de, const Mpfr& a, const Mpfr& c) {
        op(bas, de, c, MPFR_RNDD);
        op(haut, a, c, MPFR_RNDU);
    };
    // -log|T| / LN2 * LN2 / LN10: each step increasing in its argument.
    mpfr_log(hi, t, MPFR_RNDU);
    mpfr_log(lo, t, MPFR_RNDD);
    mpfr_neg(l3lo, hi, MPFR_RNDD);
    mpfr_neg(l3hi, lo, MPFR_RNDU);
    appliquer(mpfr_div, l3lo, l3hi, l3lo, l3hi, ln2);
    appliquer(mpfr_mul, l3lo, l3hi, l3lo, l3hi, ln2);
    appliquer(mpfr_div, l3lo, l3hi, l3lo, l3hi, ln10);
    // Widened by 2^-480 (|value| + |p4| + 1) on each side.
    Mpfr p4m(1);
    versMpfrExact(p4m, p4);
    auto elargir = [&](Mpfr& bas, Mpfr& haut) {
        mpfr_abs(marge, haut, MPFR_RNDU);
        mpfr_abs(q, bas, MPFR_RNDU);
        mpfr_max(marge, marge, q, MPFR_RNDU);
        mpfr_abs(q, p4m, MPFR_RNDU);
        mpfr_add(marge, marge, q, MPFR_RNDU);
        mpfr_add_ui(marge, marge, 1, MPFR_RNDU);
        mpfr_mul_2si(marge, marge, -480, MPFR_RNDU);
        mpfr_sub(bas, bas, marge, MPFR_RNDD);
        mpfr_add(haut, haut, marge, MPFR_RNDU);
    };
    // The floor of every value in [bas, haut], when it is the same integer.
    auto partieEntiereCommune = [](const Mpfr& bas, const Mpfr& haut, long& resultat) {
        if (!mpfr_fits_slong_p(bas, MPFR_RNDD) || !mpfr_fits_slong_p(haut, MPFR_RNDD)) return false;
        resultat = mpfr_get_si(bas, MPFR_RNDD);
        return resultat == mpfr_get_si(haut, MPFR_RNDD);
    };
    elargir(l3lo, l3hi);
    long l3commun = 0, p0commun = 0;
    if (!partieEntiereCommune(l3lo, l3hi, l3commun)) return false;
    // (l3R * LN10) / LN2 + p4.
    appliquer(mpfr_mul, lo, hi, l3lo, l3hi, ln10);
    appliquer(mpfr_div, lo, hi, lo, hi, ln2);
    appliquer(mpfr_add, lo, hi, lo, hi, p4m);
    elargir(lo, hi);
    if (!partieEntiereCommune(lo, hi, p0commun)) return false;
    l3 = l3commun;
    p0 = p0commun;
    return true;
}


bool chercherLesTermes(Etat& e, const RR& decimales) {
    e.k0 = 2;
    e.A = Euler1(e);
    NTL::conv(e.R10, 10);
    Tolerance tolerance(e.R10, decimales);
    bool depassee = true;
    while ((depassee = tolerance.depassee(e.Eu[e.k0])) && e.k0 <= 31) {
        verifierInterruption();
        e.k0 += 2;
        e.A = Euler1(e);
    }
    return depassee;
}

RR valeurDuDeveloppement(Etat& e) {
    e.A = somme1(e);
    RR t, r;
    NTL::add(t, logR(e.NR), e.cst);
    NTL::add(r, t, e.Sk);
    return r;
}

}  // namespace harmo
