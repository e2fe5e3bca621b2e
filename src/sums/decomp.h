// Prime factorisation by trial division over the shared list of known primes.
#pragma once

#include "shell/etat.h"

namespace harmo {

// Prints the factorisation of e.S (at least 1) and leaves e.S = 1. Uses and
// extends e.Nprem / e.np.
int decomp(Etat& e);
// Appends the next prime after Nprem[np]; expects e.i >= 1, leaves e.i = 1.
int Suiv(Etat& e);

}  // namespace harmo
