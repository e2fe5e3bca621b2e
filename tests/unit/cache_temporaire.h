// SPDX-License-Identifier: GPL-3.0-or-later
// The cache in a fresh folder of /tmp for the length of a test.
#pragma once

#include "arbre_temporaire.h"

#include <cstdlib>
#include <string>

// XDG_CACHE_HOME set to a fresh folder while it lives.
struct CacheTemporaire {
    CacheTemporaire() {
        ::unsetenv("HARMONIQUES_CACHE");
        const char* avant = std::getenv("XDG_CACHE_HOME");
        if (avant) ancien = avant, avaitUnAncien = true;
        ::setenv("XDG_CACHE_HOME", arbre.racine.c_str(), 1);
    }
    ~CacheTemporaire() {
        if (avaitUnAncien)
            ::setenv("XDG_CACHE_HOME", ancien.c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
    }
    ArbreTemporaire arbre;
    std::string ancien;
    bool avaitUnAncien = false;
};
