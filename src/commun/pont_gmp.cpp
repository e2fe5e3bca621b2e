// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/pont_gmp.h"

#include <NTL/ZZ_limbs.h>

namespace harmo {

VueMpz::VueMpz(const NTL::ZZ& z) {
    long taille = z.size();
    mpz_roinit_n(v_, reinterpret_cast<const mp_limb_t*>(NTL::ZZ_limbs_get(z)),
                 NTL::sign(z) < 0 ? -taille : taille);
}

void versZZ(NTL::ZZ& r, mpz_srcptr v) {
    NTL::ZZ_limbs_set(r, reinterpret_cast<const NTL::ZZ_limb_t*>(mpz_limbs_read(v)),
                      static_cast<long>(mpz_size(v)));
    if (mpz_sgn(v) < 0) NTL::negate(r, r);
}

}  // namespace harmo
