// SPDX-License-Identifier: GPL-3.0-or-later
#include "euler/termes.h"

#include "commun/transcendantes.h"

namespace harmo {

namespace {
// |B(k)| / k, unreduced where that is how they are kept, for k = 2, 4, ..., 32.
const Coefficient coefficients[16] = {
    {1, 12, -1},
    {1, 120, +1},
    {1, 252, -1},
    {1, 240, +1},
    {1, 132, -1},
    {691, 32760, +1},
    {1, 12, -1},
    {3617, 8160, +1},
    {43867, 14364, -1},
    {174611, 6600, +1},
    {854513, 3036, -1},
    {236364091, 65520, +1},
    {8553103, 156, -1},
    {23749461029.0, 24360, +1},
    {8615841276005.0, 429660, -1},
    {7709321041217.0, 16320, +1},
};
}  // namespace

const Coefficient& coefficient(long k) { return coefficients[k / 2 - 1]; }

int Euler1(Etat& e) {
    RR::SetPrecision(e.p0 + 200);
    RR* exposants[16] = {&e.R2, &e.R4, &e.R6, &e.R8, &e.R10, &e.R12, &e.R14, &e.R16,
                         &e.R18, &e.R20, &e.R22, &e.R24, &e.R26, &e.R28, &e.R30, &e.R32};
    for (int t = 15; t >= 0; --t) NTL::conv(*exposants[t], 2 * (t + 1));
    if (e.k0 < 2 || e.k0 > 32 || e.k0 % 2 != 0) return 1;
    const Coefficient& c = coefficient(e.k0);
    RR t = powR(e.NR, *exposants[e.k0 / 2 - 1]);
    NTL::mul(t, t, c.c);
    NTL::div(t, c.a, t);
    if (c.signe < 0) NTL::negate(t, t);
    e.Eu[e.k0] = t;
    return 1;
}

int somme1(Etat& e) {
    RR::SetPrecision(e.p0 + 200);
    RR t;
    NTL::mul(t, e.NR, 2.0);
    NTL::div(e.Sk, 1.0, t);
    for (e.j = 2; e.j <= e.k0; e.j += 2) NTL::add(e.Sk, e.Sk, e.Eu[e.j]);
    return 1;
}

}  // namespace harmo
