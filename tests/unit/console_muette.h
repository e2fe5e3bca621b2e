// SPDX-License-Identifier: GPL-3.0-or-later
// A console for the cores' tests: the cores take the program state, which
// names its console, but never write to it nor read from it.
#pragma once

#include "shell/console.h"

#include <cstdlib>

namespace harmo {

class ConsoleMuette : public Console {
public:
    void ecrire(std::string_view) override { std::abort(); }
    void vider() override {}
    void allerALaFin() override {}
    bool lireJeton(std::string&, bool&) override { std::abort(); }
};

}  // namespace harmo
