// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 1: harmonic and Kempner sums.
#pragma once

#include "commun/etat.h"

namespace harmo {

// The whole dialogue: parity, N, kind of sum, level, stages and continuations.
int HN(Etat& e);

// Largest number of significant digits that may be asked for an approximate
// value (a larger answer is asked again).
constexpr long maxChiffresSignificatifs = 1000000;

}  // namespace harmo
