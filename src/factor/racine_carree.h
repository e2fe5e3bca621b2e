// SPDX-License-Identifier: GPL-3.0-or-later
// The last step of a quadratic sieve: relations whose product is a square,
// prod y_i^2 = prod (p^e ...) = Y^2 (mod k n), give X = prod y_i and Y, with
// X^2 = Y^2 (mod n); gcd(X - Y, n) is a proper factor about half the time.
//
// Cost: one multiplication mod n per relation and per prime of the base.
// Reference: M. Kraitchik's congruence of squares, as in C. Pomerance, "The
// quadratic sieve factoring algorithm", EUROCRYPT '84.
#pragma once

#include "factor/base_de_facteurs.h"
#include "factor/crible.h"

#include <NTL/ZZ.h>

#include <vector>

namespace harmo {

// A proper factor of n from relations whose product is a square; false when
// the congruence gives only 1 or n (or the product is no square: a fault).
bool facteurParRacineCarree(const NTL::ZZ& n, const BaseDeFacteurs& base, const std::vector<const Relation*>& relations,
                            NTL::ZZ& facteur);

}  // namespace harmo
