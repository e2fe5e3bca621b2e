#include "commun/transcendantes.h"

#include "commun/pont_mpfr.h"

namespace harmo {

namespace {

// The last result of each function, kept: items 4 and 5 ask for the same
// logarithm or exponential twice at 565,000 bits (0.3 to 0.5 s each).
struct Memoire {
    long precision = 0;
    NTL::RR x, resultat;
    bool valide = false;
};

// f(x) rounded to nearest at the current RR precision.
NTL::RR appliquer(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), const NTL::RR& x, Memoire& m) {
    const long p = NTL::RR::precision();
    if (m.valide && m.precision == p && m.x == x) return m.resultat;
    Mpfr mx(1), r(p);
    versMpfrExact(mx, x);
    f(r, mx, MPFR_RNDN);
    NTL::RR res;
    versRR(res, r);
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
    Mpfr mx(1), my(1), r(NTL::RR::precision());
    versMpfrExact(mx, x);
    versMpfrExact(my, y);
    mpfr_pow(r, mx, my, MPFR_RNDN);
    NTL::RR res;
    versRR(res, r);
    return res;
}

}  // namespace harmo
