// SPDX-License-Identifier: GPL-3.0-or-later
// A folder tree made for a test in /tmp and removed after it.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

struct ArbreTemporaire {
    ArbreTemporaire() {
        char modele[] = "/tmp/harmoniques-arbre-XXXXXX";
        racine = ::mkdtemp(modele);
    }
    ~ArbreTemporaire() { std::filesystem::remove_all(racine); }
    ArbreTemporaire(const ArbreTemporaire&) = delete;
    ArbreTemporaire& operator=(const ArbreTemporaire&) = delete;
    void fichier(const std::string& chemin, const std::string& contenu) {
        std::filesystem::create_directories(std::filesystem::path(racine + chemin).parent_path());
        std::ofstream(racine + chemin) << contenu << "\n";
    }
    std::string racine;
};
