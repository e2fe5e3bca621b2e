// SPDX-License-Identifier: GPL-3.0-or-later
// The correction terms of the expansion H(N) ~ ln N + gamma + 1/(2N) + T(2) + T(4) + ...
#pragma once

#include "commun/etat.h"

namespace harmo {

// T(k0) = -B(k0) / (k0 N^k0) into Eu[k0] (k0 even, 2 to 32), at p0 + 200 bits.
int Euler1(Etat& e);
// Sk = 1/(2N) + Eu[2] + Eu[4] + ... + Eu[k0], at p0 + 200 bits.
int somme1(Etat& e);

// The coefficient of T(k) as a / c with its sign: T(k) = signe * a / (c N^k).
struct Coefficient {
    double a, c;
    int signe;
};
const Coefficient& coefficient(long k);

}  // namespace harmo
