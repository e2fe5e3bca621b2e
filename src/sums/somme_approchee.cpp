// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/somme_approchee.h"

#include "commun/arb_raii.h"
#include "commun/decimal.h"
#include "commun/ecriture_rr.h"
#include "commun/enfant.h"
#include "commun/memoire.h"
#include "commun/pont_gmp.h"
#include "commun/pont_mpfr.h"
#include "commun/suivi.h"
#include "sums/harmonique_digamma.h"
#include "sums/kempner_partielle.h"
#include "sums/parite.h"

#include <algorithm>
#include <cmath>

namespace harmo {

namespace {

// Estimated seconds of each route (measured on the development machine: an
// MPFR quotient and sum cost 50 ns + 0.07 ns per bit; an Arb multiply-add of
// the moments 60 ns + 0.12 ns per bit).
double coutTermeATerme(const NTL::ZZ& M, long p) { return NTL::conv<double>(M) * (50 + 0.07 * p) * 1e-9; }

double coutCertifie(const Etape& t, long prec) {
    if (!t.kempner) return 0.001 + std::pow(prec / 100000.0, 2) * 0.6;
    return KempnerPartielle::cout(t.sequence, nombreDeChiffres(t.N), prec) * (60 + 0.12 * prec) * 1e-9;
}

// The exact fraction of the stage: its bits and its seconds (the tree of the
// kept terms, about 6e-8 s per bit of the product here), its memory (two
// bytes per bit, as for level 3).
double bitsExacts(const Etape& t, const NTL::ZZ& gardes) {
    return NTL::conv<double>(gardes) * static_cast<double>(NTL::NumBits(t.N));
}
double coutExact(const Etape& t, const NTL::ZZ& gardes) { return bitsExacts(t, gardes) * 6e-8; }

// Arb's digamma at an integer X >= 10^5 (below, it costs little): its
// Bernoulli numbers and Stirling terms grow with the precision and shrink as
// X grows. Measured here (peak less the idle program): 16 MB at 10^5 bits
// and X = 3 10^6, 300 MB at 333,000 bits; 1.6 and 18.5 MB at X = 10^15; fitted
// as 20 MB (prec / 10^5)^2.25 (21.5 / log2 X)^3, within 1 to 1.3 times those.
double octetsDigamma(const NTL::ZZ& X, long prec) {
    if (X < 100000) return 0;
    const double l = static_cast<double>(NTL::NumBits(X));
    return 20e6 * std::pow(static_cast<double>(prec) / 1e5, 2.25) * std::pow(21.5 / l, 3);
}

double octetsCertifies(const Etape& t, long prec) {
    if (t.kempner) return KempnerPartielle::octets(t.sequence, nombreDeChiffres(t.N), prec);
    // The values of digamma that the stage takes one after the other (at N
    // and N1, and at their halves for the odd and even sums): the largest.
    double pire = 0;
    for (const NTL::ZZ& X : {t.N, t.N1}) {
        pire = std::max(pire, octetsDigamma(X, prec));
        if (t.parite != normale) pire = std::max(pire, octetsDigamma(X / 2, prec));
    }
    return 2e6 + 20.0 * static_cast<double>(prec) + pire;
}

// A term-by-term sum that would end within this many seconds is still worth it.
const double secondesPossibles = 20;
// Nor is one of more than a day a route, when the certified sum cannot be had.
const double secondesAuPlus = 86400;
// Certified sums estimated longer than this run in a child process.
const double secondesEnPlace = 0.3;

// Bits of the certified sums: the printed digits and eight more, far below
// the width that the term-by-term bound gives the interval (a few units of
// the fifth digit past the printed ones).
long precisionCertifiee(long sortie) { return static_cast<long>((sortie + 8) * 3.33) + 20; }

// Few Kempner terms and many digits: their exact fraction is cheaper than
// the moments, when it fits.
bool parLaFraction(const Etape& t, const NTL::ZZ& gardes, long prec, double memoire) {
    return t.kempner && gardes <= 1000000 && coutCertifie(t, prec) > 0.5 &&
           coutExact(t, gardes) < coutCertifie(t, prec) && 2 * bitsExacts(t, gardes) <= memoire;
}

// The exact sum of the stage's terms, as a ball (from their fraction, or
// certified).
void sommeDeLEtape(arb_t res, const Etape& t, long prec, bool fraction) {
    if (fraction) {
        Fraction f = sommeExacte(t);
        Fmpz P, Q;
        fmpz_set_mpz(P, VueMpz(f.P));
        fmpz_set_mpz(Q, VueMpz(f.Q));
        arb_fmpz_div_fmpz(res, P, Q, prec);
        return;
    }
    Arb avant;
    if (t.kempner) {
        KempnerPartielle k(t.sequence, t.parite, nombreDeChiffres(t.N), prec);
        k.somme(res, t.N);
        k.somme(avant, t.N1);
    } else {
        sommeHarmoniqueCertifiee(res, t.N, t.parite, prec);
        sommeHarmoniqueCertifiee(avant, t.N1, t.parite, prec);
    }
    arb_sub(res, res, avant, prec);
}

void bornesDe(Mpfr& bas, Mpfr& haut, const arb_t x) {
    Arf b;
    arb_get_lbound_arf(b, x, mpfr_get_prec(bas));
    arf_get_mpfr(bas, b, MPFR_RNDD);
    arb_get_ubound_arf(b, x, mpfr_get_prec(haut));
    arf_get_mpfr(haut, b, MPFR_RNDU);
}

std::string termeATerme(const Etape& t, long p, NTL::RR& res, SommeApprochee& s, Route* route) {
    res = sommeTermeATerme(t, res, p);
    s.exacte = true;
    s.texte = enTexte(res);
    if (route) *route = Route::termeATerme;
    return s.texte;
}

}  // namespace

double octetsDeLaSommeCertifiee(const Etape& t, long sortie) { return octetsCertifies(t, precisionCertifiee(sortie)); }

std::string etapeApprochee(const Etape& t, const NTL::ZZ& gardes, long p, long sortie, NTL::RR& res,
                           SommeApprochee& s, Route* route, bool forcer) {
    NTL::RROutputPush garde;
    NTL::RR::SetOutputPrecision(sortie);
    if (route) *route = s.exacte ? Route::termeATerme : Route::encadrement;
    if (NTL::IsZero(gardes)) {  // nothing added: the value and its text stay
        if (s.exacte) s.texte = enTexte(res);
        return s.texte;
    }
    const long prec = precisionCertifiee(sortie);
    const double tat = coutTermeATerme(gardes, p);
    const long seuilCourt = 1000000;
    if (s.exacte && !forcer && (gardes <= seuilCourt || tat <= coutCertifie(t, prec)))
        return termeATerme(t, p, res, s, route);
    // The route of the stage's sum, chosen once: its fraction, or the
    // certified sum if it fits; otherwise the term-by-term sum while it takes
    // less than a day (Ctrl-C ends it), else nothing.
    const double memoire = memoireUtilisable();
    const bool fraction = parLaFraction(t, gardes, prec, memoire);
    const double octets = octetsCertifies(t, prec);
    if (!fraction && octets > memoire) {
        if (s.exacte && tat <= secondesAuPlus) return termeATerme(t, p, res, s, route);
        throw CalculTropGrand{octets};
    }

    // [bas, haut] holds the term-by-term value: the one before the stage,
    // plus the stage's exact sum, within the bound of its roundings.
    const long P2 = std::max(p, prec) + 64;
    Mpfr avantBas(P2), avantHaut(P2), sBas(P2), sHaut(P2), B(64), bas(P2), haut(P2), m(64);
    {
        Mpfr x(1);
        versMpfrExact(x, s.exacte ? res : s.bas);
        mpfr_set(avantBas, x, MPFR_RNDD);
        versMpfrExact(x, s.exacte ? res : s.haut);
        mpfr_set(avantHaut, x, MPFR_RNDU);
    }
    {
        // The stage's sum: where it cannot be interrupted from inside, in a
        // child; its bounds come back exactly, as RR. A child out of memory
        // (an estimate short of the truth) is a refusal.
        const double secondes = fraction ? coutExact(t, gardes) : coutCertifie(t, prec);
        NTL::RR rb, rh;
        progres(fraction ? "valeur approchee : somme exacte"
                         : t.kempner ? "valeur approchee : somme de Kempner certifiee"
                                     : "valeur approchee : somme harmonique par digamma");
        try {
            Resultat r = calculerAPart([&](Canal& canal) {
                Arb somme;
                sommeDeLEtape(somme, t, prec, fraction);
                Mpfr b(P2), h(P2);
                bornesDe(b, h, somme);
                NTL::RR x, y;
                versRR(x, b);
                versRR(y, h);
                canal << x << y;
            }, secondes <= secondesEnPlace);
            r >> rb >> rh;
        } catch (const EchecDuCalcul& echec) {
            if (!echec.memoire) throw;
            throw CalculTropGrand{fraction ? 2 * bitsExacts(t, gardes) : octets};  // the estimate, short of the truth
        }
        Mpfr x(1);
        versMpfrExact(x, rb);
        mpfr_set(sBas, x, MPFR_RNDD);
        versMpfrExact(x, rh);
        mpfr_set(sHaut, x, MPFR_RNDU);
    }
    // B = (M + 1) u (1 + u) (x + S), u = 2^-p, rounded up.
    mpfr_add(B, avantHaut, sHaut, MPFR_RNDU);
    mpfr_set_z(m, VueMpz(gardes + 1), MPFR_RNDU);
    mpfr_mul(B, B, m, MPFR_RNDU);
    mpfr_set_ui_2exp(m, 1, -p, MPFR_RNDU);
    mpfr_add_ui(m, m, 1, MPFR_RNDU);
    mpfr_mul(B, B, m, MPFR_RNDU);
    mpfr_mul_2si(B, B, -p, MPFR_RNDU);
    mpfr_add(bas, avantBas, sBas, MPFR_RNDD);
    mpfr_sub(bas, bas, B, MPFR_RNDD);
    mpfr_add(haut, avantHaut, sHaut, MPFR_RNDU);
    mpfr_add(haut, haut, B, MPFR_RNDU);

    // The p-bit numbers at both ends.
    Mpfr basP(p), hautP(p);
    mpfr_set(basP, bas, MPFR_RNDU);
    mpfr_set(hautP, haut, MPFR_RNDD);
    NTL::RR b, h;
    versRR(b, basP);
    versRR(h, hautP);
    const bool ordonnes = mpfr_lessequal_p(basP, hautP) && mpfr_sgn(basP.get()) > 0;
    const std::string texteBas = enTexte(b);
    if (ordonnes && mpfr_get_exp(basP) == mpfr_get_exp(hautP) && texteBas == enTexte(h)) {
        versRR(s.bas, bas);
        versRR(s.haut, haut);
        s.exacte = false;
        res = b;
        s.texte = texteBas;
        if (route) *route = Route::encadrement;
        return s.texte;
    }
    if (s.exacte && tat <= secondesPossibles) return termeATerme(t, p, res, s, route);
    // Neither: the middle of the interval, rounded to p bits.
    Mpfr milieu(P2), milieuP(p);
    mpfr_add(milieu, bas, haut, MPFR_RNDN);
    mpfr_div_2ui(milieu, milieu, 1, MPFR_RNDN);
    mpfr_set(milieuP, milieu, MPFR_RNDN);
    versRR(res, milieuP);
    versRR(s.bas, bas);
    versRR(s.haut, haut);
    s.exacte = false;
    s.texte = enTexte(res);
    if (route) *route = Route::milieu;
    return s.texte;
}

}  // namespace harmo
