// SPDX-License-Identifier: GPL-3.0-or-later
// A decimal fraction 0.d1 d2 ... dL folded digit by digit, from the last
// digit back to the first, each step rounded to nearest at p bits:
//     x_L = 0,   x_(k-1) = round(round(x_k + d_k) / 10),   result x_0.
// The result is not the correctly rounded value of the fraction: the
// roundings of every step leave their trace in the last bits. It is the very
// value of that fold that is wanted here, in far fewer than L steps.
//
// Let X_j = 0.d_(j+1) ... d_L be the exact tail and x_j = X_j + e_j the fold's
// value after the digits d_L .. d_(j+1). The addition's result is below 16,
// so its rounding is at most 2^(3-p); the quotient is below 1, its rounding
// at most 2^(-1-p). Hence |e_(j)| <= |e_(j+1)| / 10 + 0.8 2^-p + 0.5 2^-p,
// and from e_L = 0, |e_j| < 1.45 2^-p at every j. So x_j is one of the few
// p-bit numbers within 1.45 2^-p of X_j, and X_j itself comes from one
// conversion of the tail's digits (quasi-linear, at p + 64 bits). Replaying
// the last j steps from each of these candidates gives the fold's result
// whenever they all end on the same value; the differences between
// candidates shrink tenfold at every step, so with j = 48 they do. When they
// do not, the whole fold is run. Cost: one conversion of L digits instead of
// 2 L operations at p bits (22 s for L = 170,000 at 565,000 bits).
#pragma once

#include <mpfr.h>

namespace harmo {

// x = the fold of the digits chiffres[0 .. L-1] ('0' to '9') at the
// precision of x.
void replierDecimales(mpfr_ptr x, const char* chiffres, long L);

// The same, one step after the other: the reference, and the fallback.
void replierPasAPas(mpfr_ptr x, const char* chiffres, long L);

}  // namespace harmo
