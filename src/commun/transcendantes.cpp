#include "commun/transcendantes.h"

#include "commun/pont_mpfr.h"

namespace harmo {

namespace {
// f(x) rounded to nearest at the current RR precision.
NTL::RR appliquer(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), const NTL::RR& x) {
    Mpfr mx(1), r(NTL::RR::precision());
    versMpfrExact(mx, x);
    f(r, mx, MPFR_RNDN);
    NTL::RR res;
    versRR(res, r);
    return res;
}
}  // namespace

NTL::RR logR(const NTL::RR& x) { return appliquer(mpfr_log, x); }

NTL::RR expR(const NTL::RR& x) { return appliquer(mpfr_exp, x); }

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
