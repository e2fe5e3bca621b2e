// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/cgroups.h"

#include <fstream>
#include <sstream>

namespace harmo {

void pourLesGroupes(const std::string& racine, const std::string& cgroups, const std::string& controleur,
                    const std::function<void(const std::string& dossier, bool v2)>& f) {
    std::istringstream lignes(cgroups);
    std::string ligne;
    while (std::getline(lignes, ligne)) {
        // "hierarchy-ID:controller-list:path"
        const auto a = ligne.find(':');
        const auto b = a == std::string::npos ? a : ligne.find(':', a + 1);
        if (b == std::string::npos) continue;
        const std::string controleurs = ligne.substr(a + 1, b - a - 1);
        std::string chemin = ligne.substr(b + 1);
        std::string base;
        const bool v2 = controleurs.empty();
        if (v2) {
            // Mounted alone, or beside the v1 hierarchies as "unified".
            base = std::ifstream(racine + "/cgroup.controllers") ? racine : racine + "/unified";
        } else {
            std::istringstream liste(controleurs);
            std::string c;
            bool trouve = false;
            while (std::getline(liste, c, ','))
                if (c == controleur) trouve = true;
            if (!trouve) continue;
            base = racine + "/" + controleurs;
        }
        for (;;) {
            f(base + chemin, v2);
            if (chemin.empty() || chemin == "/") break;
            const auto fin = chemin.find_last_of('/');
            chemin = fin == std::string::npos || fin == 0 ? std::string() : chemin.substr(0, fin);
        }
    }
}

std::string cgroupsDuProcessus() {
    std::ifstream f("/proc/self/cgroup");
    std::stringstream texte;
    texte << f.rdbuf();
    return texte.str();
}

}  // namespace harmo
