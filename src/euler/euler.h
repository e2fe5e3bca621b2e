// Menu items 4 and 5: approximate H(N), and the N whose sums bracket a value H.
#pragma once

#include "shell/etat.h"

namespace harmo {

int euler(Etat& e);
int calcul2(Etat& e);

}  // namespace harmo
