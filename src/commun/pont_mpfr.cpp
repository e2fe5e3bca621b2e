// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/pont_mpfr.h"

#include "commun/pont_gmp.h"

#include <algorithm>

namespace harmo {

namespace {
// RR exponents are longs: MPFR must accept the widest range.
struct PorteeMaximale {
    PorteeMaximale() {
        mpfr_set_emax(mpfr_get_emax_max());
        mpfr_set_emin(mpfr_get_emin_min());
    }
};
const PorteeMaximale portee;
}  // namespace

Mpfr::Mpfr(mpfr_prec_t bits) { mpfr_init2(v_, std::max<mpfr_prec_t>(bits, MPFR_PREC_MIN)); }
Mpfr::~Mpfr() { mpfr_clear(v_); }

void versMpfrExact(Mpfr& m, const NTL::RR& x) {
    const NTL::ZZ& mant = x.mantissa();
    long bits = std::max<long>(NTL::NumBits(mant), 1);
    mpfr_set_prec(m, bits);
    if (NTL::IsZero(mant))
        mpfr_set_zero(m, 1);
    else
        mpfr_set_z_2exp(m, VueMpz(mant), x.exponent(), MPFR_RNDN);
}

void versRR(NTL::RR& r, mpfr_srcptr m) {
    if (mpfr_zero_p(m)) {
        NTL::clear(r);
        return;
    }
    Mpz z;
    const mpfr_exp_t e = mpfr_get_z_2exp(z, m);
    NTL::ZZ mant;
    versZZ(mant, z);
    NTL::MakeRRPrec(r, mant, static_cast<long>(e), std::max<long>(NTL::NumBits(mant), 1));
}

}  // namespace harmo
