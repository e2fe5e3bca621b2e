// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/entiers.h"

#include "commun/pont_gmp.h"

namespace harmo {

void diviserExactement(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b) {
    Mpz q;
    mpz_divexact(q, VueMpz(a), VueMpz(b));
    versZZ(r, q);
}

void pgcd(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b) {
    Mpz g;
    mpz_gcd(g, VueMpz(a), VueMpz(b));
    versZZ(r, g);
}

NTL::ZZ reduire(NTL::ZZ& P, NTL::ZZ& Q) {
    NTL::ZZ g;
    pgcd(g, P, Q);
    if (!NTL::IsOne(g) && !NTL::IsZero(g)) {
        diviserExactement(P, P, g);
        diviserExactement(Q, Q, g);
    }
    return g;
}

}  // namespace harmo
