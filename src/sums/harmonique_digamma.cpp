// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/harmonique_digamma.h"

#include "commun/arb_raii.h"
#include "commun/pont_gmp.h"
#include "sums/parite.h"

#include <flint/fmpz.h>

namespace harmo {

namespace {

// H(X) = psi(X + 1) + gamma; 0 for X < 1.
void H(arb_t res, const NTL::ZZ& X, long prec) {
    if (X < 1) {
        arb_zero(res);
        return;
    }
    Fmpz x;
    fmpz_set_mpz(x, VueMpz(X + 1));
    Arb a, g;
    arb_set_fmpz(a, x);  // exact
    arb_digamma(res, a, prec);
    arb_const_euler(g, prec);
    arb_add(res, res, g, prec);
}

}  // namespace

void sommeHarmoniqueCertifiee(arb_t res, const NTL::ZZ& X, long parite, long prec) {
    if (parite == normale) {
        H(res, X, prec);
        return;
    }
    Arb moitie;
    H(moitie, X / 2, prec);
    arb_mul_2exp_si(moitie, moitie, -1);
    if (parite == paire) {
        arb_swap(res, moitie);
    } else {
        H(res, X, prec);
        arb_sub(res, res, moitie, prec);
    }
}

}  // namespace harmo
