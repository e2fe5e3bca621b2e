// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/transcendantes.h"

#include "commun/enfant.h"
#include "commun/pont_mpfr.h"
#include "commun/suivi.h"

#include <functional>

namespace harmo {

namespace {

// The last result of each function, kept: items 4 and 5 ask for the same
// logarithm or exponential twice at 565,000 bits (0.3 to 0.5 s each).
struct Memoire {
    long precision = 0;
    NTL::RR x, resultat;
    bool valide = false;
};

// Past this precision one call lasts more than about 0.2 s (0.3 to 1.5 s at
// 565,000 bits): it runs in a child process, which Ctrl-C abandons at once.
const long bitsEnPlace = 200000;

// What calcul computes, rounded at p bits, in place or apart.
NTL::RR aPart(long p, const std::function<void(Mpfr&)>& calcul) {
    if (p > bitsEnPlace) progres("logarithme, exponentielle ou puissance a " + std::to_string(p) + " bits");
    Resultat r = calculerAPart([&](Canal& canal) {
        Mpfr m(p);
        calcul(m);
        NTL::RR x;
        versRR(x, m);
        canal << x;
    }, p <= bitsEnPlace);
    NTL::RR x;
    r >> x;
    return x;
}

// f(x) rounded to nearest at the current RR precision.
NTL::RR appliquer(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), const NTL::RR& x, Memoire& m) {
    const long p = NTL::RR::precision();
    if (m.valide && m.precision == p && m.x == x) return m.resultat;
    const NTL::RR res = aPart(p, [&](Mpfr& r) {
        Mpfr mx(1);
        versMpfrExact(mx, x);
        f(r, mx, MPFR_RNDN);
    });
    m.valide = false;
    m.x = x;  // copied exactly, whatever the precision (RR assignment does not round)
    m.resultat = res;
    m.precision = p;
    m.valide = true;
    return res;
}

thread_local Memoire memoireLog, memoireExp;

}  // namespace

NTL::RR logR(const NTL::RR& x) { return appliquer(mpfr_log, x, memoireLog); }

NTL::RR expR(const NTL::RR& x) { return appliquer(mpfr_exp, x, memoireExp); }

NTL::RR powR(const NTL::RR& x, const NTL::RR& y) {
    return aPart(NTL::RR::precision(), [&](Mpfr& r) {
        Mpfr mx(1), my(1);
        versMpfrExact(mx, x);
        versMpfrExact(my, y);
        mpfr_pow(r, mx, my, MPFR_RNDN);
    });
}

}  // namespace harmo
