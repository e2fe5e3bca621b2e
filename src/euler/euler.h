// Menu items 4 and 5: approximate H(N), and the N whose sums bracket a value H.
#pragma once

#include "shell/etat.h"

namespace harmo {

// Item 4: H(N) by the Euler-Mascheroni expansion, to the decimals asked.
int euler(Etat& e);
// Item 5: N with H(N-1) <= H < H(N).
int calcul2(Etat& e);

// Prints the number of exact decimals reachable (from pmin, in bits) and asks
// how many decimals to show, into valeur.
void annoncerEtDemanderDecimales(Etat& e);
// Floor of an RR as a long, as NTL's conversion gives it.
long plancher(const RR& x);

// Largest number of decimals that items 4 and 5 accept (a larger answer is
// asked again). The constant is stored to 170000 decimals, so nothing past
// that can be exact; the bound keeps the precision below a megabit and the
// printing of each value within seconds.
constexpr long maxDecimales = 200000;

}  // namespace harmo
