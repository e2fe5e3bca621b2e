// SPDX-License-Identifier: GPL-3.0-or-later
// The Euler-Mascheroni constant, from its stored decimals.
#pragma once

#include "commun/etat.h"

namespace harmo {

// The first decimals of the constant after "0.", as text.
extern const char chiffresE[];
extern const long nChiffresE;

// cst = the constant truncated to l3 + 1 decimals, at p0 + 200 bits; l4 = the
// index of the last stored decimal.
int CstE(Etat& e);

}  // namespace harmo
