// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 3: what the program does, in a page.
#pragma once

#include "commun/etat.h"

namespace harmo {

// Prints the explanation text.
void explications(Etat& e);

}  // namespace harmo
