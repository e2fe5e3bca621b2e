// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 2: is the fraction P/Q a harmonic sum?
#pragma once

#include "commun/etat.h"

namespace harmo {

int calcul(Etat& e);

}  // namespace harmo
