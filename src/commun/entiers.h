// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-number arithmetic that GMP does faster than NTL on large operands:
// gcd (subquadratic) and exact division (a division that knows there is no
// remainder), on read-only views of the ZZ limbs.
#pragma once

#include <NTL/ZZ.h>

namespace harmo {

// r = a / b, b dividing a exactly.
void diviserExactement(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b);
// r = gcd(a, b).
void pgcd(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b);
// Brings P/Q to lowest terms; returns the gcd.
NTL::ZZ reduire(NTL::ZZ& P, NTL::ZZ& Q);

}  // namespace harmo
