// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the main menu loop.
#pragma once

#include "commun/etat.h"

namespace harmo {

// Seeds the prime list and resets the menu's flags.
void demarrer(Etat& e);
// Runs the menu until the answer 0; returns the exit status (1).
int menu(Etat& e);

}  // namespace harmo
