// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/memoire.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace harmo {

namespace {

// The first number of a file, or a negative value ("max", no file).
double lireNombre(const std::string& chemin) {
    std::ifstream f(chemin);
    double v = -1;
    if (!(f >> v)) return -1;
    return v;
}

// A field of /proc/self/status, in bytes ("VmSize:  1234 kB"), or -1.
double champDuStatut(const std::string& nom) {
    std::ifstream f("/proc/self/status");
    std::string ligne;
    while (std::getline(f, ligne))
        if (ligne.compare(0, nom.size(), nom) == 0) {
            std::istringstream is(ligne.substr(nom.size()));
            double kio = -1;
            if (is >> kio) return kio * 1024;
        }
    return -1;
}

// rlim - used, for a resource limit that is set; a negative value otherwise.
double resteDeLaLimite(int ressource, const char* champ) {
    rlimit r{};
    if (::getrlimit(ressource, &r) != 0 || r.rlim_cur == RLIM_INFINITY) return -1;
    const double utilise = std::max(champDuStatut(champ), 0.0);
    return std::max(static_cast<double>(r.rlim_cur) - utilise, 0.0);
}

// Room left in one group directory, or -1 when it sets no limit.
double resteDuGroupe(const std::string& dossier, bool v2) {
    const double max = lireNombre(dossier + (v2 ? "/memory.max" : "/memory.limit_in_bytes"));
    const double actuel = lireNombre(dossier + (v2 ? "/memory.current" : "/memory.usage_in_bytes"));
    if (max <= 0 || max >= 1e18 || actuel < 0) return -1;
    return std::max(max - actuel, 0.0);
}

void garderLeMoindre(double& reste, double r) {
    if (r >= 0 && (reste < 0 || r < reste)) reste = r;
}

}  // namespace

double resteDesCgroups(const std::string& racine, const std::string& cgroups) {
    double reste = -1;
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
        bool v2 = false;
        if (controleurs.empty()) {
            v2 = true;
            // Mounted alone, or beside the v1 hierarchies as "unified".
            base = std::ifstream(racine + "/cgroup.controllers") ? racine : racine + "/unified";
        } else {
            std::istringstream liste(controleurs);
            std::string c;
            bool memoire = false;
            while (std::getline(liste, c, ','))
                if (c == "memory") memoire = true;
            if (!memoire) continue;
            base = racine + "/memory";
        }
        // From the process's own group up to the root of the hierarchy (inside
        // a container the path may not exist there: its parents may).
        for (;;) {
            garderLeMoindre(reste, resteDuGroupe(base + chemin, v2));
            if (chemin.empty() || chemin == "/") break;
            const auto fin = chemin.find_last_of('/');
            chemin = fin == std::string::npos || fin == 0 ? std::string() : chemin.substr(0, fin);
        }
    }
    return reste;
}

double memoireDisponible() {
    double disponible = -1;
    {
        std::ifstream f("/proc/meminfo");
        std::string cle;
        double valeur;
        std::string unite;
        while (f >> cle >> valeur >> unite)
            if (cle == "MemAvailable:") {
                disponible = valeur * 1024;
                break;
            }
    }
    if (disponible < 0) {
        const long pages = ::sysconf(_SC_AVPHYS_PAGES), taille = ::sysconf(_SC_PAGESIZE);
        disponible = pages > 0 && taille > 0 ? static_cast<double>(pages) * static_cast<double>(taille) : 1e18;
    }
    std::ifstream f("/proc/self/cgroup");
    std::stringstream cgroups;
    cgroups << f.rdbuf();
    garderLeMoindre(disponible, resteDesCgroups("/sys/fs/cgroup", cgroups.str()));
    garderLeMoindre(disponible, resteDeLaLimite(RLIMIT_AS, "VmSize:"));
    garderLeMoindre(disponible, resteDeLaLimite(RLIMIT_DATA, "VmData:"));
    return std::max(disponible, 0.0);
}

}  // namespace harmo
