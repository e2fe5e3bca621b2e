// SPDX-License-Identifier: GPL-3.0-or-later
// Menu items 4 and 5: approximate H(N), and the N whose sums bracket a value H.
#pragma once

#include "commun/etat.h"

namespace harmo {

// Item 4: H(N) by the Euler-Mascheroni expansion, to the decimals asked.
int euler(Etat& e);
// Item 5: N with H(N-1) <= H < H(N).
int calcul2(Etat& e);

// Both: prints the decimals within reach (nd1) and asks how many to show,
// into valeur.
void annoncerEtDemanderDecimales(Etat& e);

}  // namespace harmo
