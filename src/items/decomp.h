// SPDX-License-Identifier: GPL-3.0-or-later
// The prime factorisation display: S as a product of prime powers.
//
// Trial division by the shared list of known primes (sums/premiers.h) takes
// out the small primes, below 4096; when a larger prime factor is left, the
// cofactor goes to the factorisation engine (factor/pilote.h) in a child
// process, which hands over each prime as soon as it is proven. The text is
// the one that trial division alone would print, where it would finish: the
// same factors in increasing order, the same exponents.
//
// An interrupt stops the factorisation alone: the primes proven so far are
// printed, then the cofactor left by its size, "[81 chiffres non factorises]",
// and the dialogue goes on.
#pragma once

#include "commun/etat.h"

namespace harmo {

// Prints the factorisation of e.S (at least 1) and leaves e.S = 1. Uses and
// extends e.Nprem / e.np. quoi names the number in the progress line.
int decomp(Etat& e, const char* quoi = "S");

}  // namespace harmo
