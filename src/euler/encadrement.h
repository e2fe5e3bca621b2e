// SPDX-License-Identifier: GPL-3.0-or-later
// The N whose harmonic sums bracket a value H: H(N-1) <= H < H(N).
//
// Since H(N) = ln N + gamma + 1/(2N) + T(2) + ... (euler/valeur_de_hn.h), the
// first estimate is N ~ e^(H - gamma), refined by N = e^(H - gamma - Sk(N))
// until it stops growing, then steps of one with the expansion find the
// smallest N whose sum exceeds H. Cost: a few exponentials and, per step,
// at most 16 terms at the working precision. The sums of consecutive N
// differ by 1/N, so past about 2^pmin the bits reachable cannot tell them
// apart: stop is then set. Reference: R. P. Boas and J. W. Wrench, Partial
// sums of the harmonic series, Amer. Math. Monthly 78 (1971) 864-870, where
// the least N with H(N) above an integer is found the same way.
#pragma once

#include "commun/etat.h"

namespace harmo {

// From H (cst a rough constant): p2 the bits of H - gamma, p4 = log2 ln H,
// pmin the bits reachable, and lnH = ln H. False when pmin < p2: N cannot be
// determined with the program's constants; otherwise nd1 the decimals
// reachable.
bool encadrementPossible(Etat& e, RR& lnH);

// N - 1 = Nk - 1 and N = Nk with avt = H(N - 1) <= H < apr = H(N), to valeur
// decimals (valeur from the user); Nk1 the first estimate, nsign the
// significant digits, output precision set to them. stop = 1 when two
// consecutive sums came out equal. True when T(32) is still above the
// tolerance: the digits past nd1 are then not the sums'.
bool encadrer(Etat& e, const RR& lnH);

}  // namespace harmo
