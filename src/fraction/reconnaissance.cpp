// SPDX-License-Identifier: GPL-3.0-or-later
#include "fraction/reconnaissance.h"

#include "commun/memoire.h"
#include "commun/pont_gmp.h"
#include "sums/parite.h"
#include "sums/reduction.h"
#include "sums/somme_exacte.h"
#include "sums/somme_harmonique.h"

#include <NTL/RR.h>

#include <cmath>

namespace harmo {

namespace {

// The exact sum of the first m terms of the parity, in lowest terms.
Fraction sommeDeTermes(const ZZ& m, long parite) { return sommeHarmoniqueReduite(candidatDeRang(m, parite), parite); }

// Sign of a/b - c/d for positive denominators.
long comparer(const ZZ& a, const ZZ& b, const ZZ& c, const ZZ& d) { return NTL::compare(a * d, c * b); }

// H(N) and x - H(N) in lowest terms; H = Sp/Sq unreduced, the sum up to r.N.
void finir(Reconnaissance& r, const ZZ& P, const ZZ& Q, ZZ Sp, ZZ Sq, long parite) {
    reduireSommeHarmonique(Sp, Sq, r.N, parite);
    mpq_t x, h, reste;
    mpq_inits(x, h, reste, nullptr);
    mpz_set(mpq_numref(x), VueMpz(P));
    mpz_set(mpq_denref(x), VueMpz(Q));
    mpz_set(mpq_numref(h), VueMpz(Sp));
    mpz_set(mpq_denref(h), VueMpz(Sq));
    mpq_sub(reste, x, h);  // both canonical: the difference comes out canonical
    versZZ(r.Pr, mpq_numref(reste));
    versZZ(r.Qr, mpq_denref(reste));
    mpq_clears(x, h, reste, nullptr);
    r.Ph = std::move(Sp);
    r.Qh = std::move(Sq);
}

}  // namespace

double termesEstimes(const ZZ& P, const ZZ& Q, long parite) {
    NTL::RRPush garde;  // the precision in force is the dialogue's, not ours
    NTL::RR::SetPrecision(64);
    NTL::RR xr = NTL::conv<NTL::RR>(P) / NTL::conv<NTL::RR>(Q);
    if (xr > 60) return HUGE_VAL;
    const double x = NTL::conv<double>(xr);
    const double gamma = 0.57721566490153286;
    // H(m) ~ ln m + gamma + 1/(2m); the odd terms: ln 2 + (ln m + gamma)/2;
    // the even ones: (ln m + gamma)/2.
    double y = parite == 0 ? x : parite == 1 ? 2 * (x - std::log(2.0)) : 2 * x;
    double m = std::exp(y - gamma);
    if (parite == 0) m = std::exp(y - gamma - 1 / (2 * m));
    return m;
}

double termesMaximaux(long parite, double octets) {
    const double borne = std::max(0.0, octets / octetsParUniteDeLaBorne);  // of the lcm
    // m-th candidate: m (bound m), 2m - 1 (bound 2m - 1), 2m (bound m).
    return std::floor(parite == impaire ? (borne + 1) / 2 : borne);
}

Reconnaissance reconnaissanceRapide(const ZZ& P, const ZZ& Q, long parite) {
    double estime = termesEstimes(P, Q, parite);
    ZZ m = NTL::conv<ZZ>(std::max(1.0, std::floor(estime)));
    Fraction S = sommeDeTermes(m, parite);
    // Up to the first sum that reaches x ...
    while (comparer(S.P, S.Q, P, Q) < 0) {
        ++m;
        ZZ d = candidatDeRang(m, parite);
        S.P = S.P * d + S.Q;
        S.Q *= d;
    }
    // ... and down while the one before it still does.
    for (;;) {
        if (IsOne(m)) break;
        ZZ d = candidatDeRang(m, parite);
        ZZ Pp = S.P * d - S.Q, Qp = S.Q * d;
        if (comparer(Pp, Qp, P, Q) < 0) break;
        S.P = std::move(Pp);
        S.Q = std::move(Qp);
        --m;
    }
    Reconnaissance r;
    if (comparer(S.P, S.Q, P, Q) == 0) {
        r.harmonique = true;
        r.i = m;
        r.N = candidatDeRang(m, parite);
        return r;
    }
    // One term too many: step back to the last sum below x.
    ZZ d = candidatDeRang(m, parite);
    ZZ Sp = S.P * d - S.Q, Sq = S.Q * d;
    --m;
    r.i = m;
    r.N = candidatDeRang(m, parite);
    finir(r, P, Q, std::move(Sp), std::move(Sq), parite);
    return r;
}

}  // namespace harmo
