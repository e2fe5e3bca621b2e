// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/memoire.h"

#include "commun/cgroups.h"

#include <malloc.h>
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

// A field of a memory.stat file ("inactive_file 1234"), or 0.
double champDesStatistiques(const std::string& chemin, const std::string& nom) {
    std::ifstream f(chemin);
    std::string cle;
    double valeur = 0;
    while (f >> cle >> valeur)
        if (cle == nom) return std::max(valeur, 0.0);
    return 0;
}

// Room left in one group directory, or -1 when it sets no limit. What the
// group uses is its working set, as the kernel and the container tools count
// it: its usage less its inactive file pages, a cache that the kernel takes
// back before it refuses memory.
double resteDuGroupe(const std::string& dossier, bool v2) {
    const double max = lireNombre(dossier + (v2 ? "/memory.max" : "/memory.limit_in_bytes"));
    double actuel = lireNombre(dossier + (v2 ? "/memory.current" : "/memory.usage_in_bytes"));
    if (max <= 0 || max >= 1e18 || actuel < 0) return -1;
    actuel -= champDesStatistiques(dossier + "/memory.stat", v2 ? "inactive_file" : "total_inactive_file");
    return std::max(max - std::max(actuel, 0.0), 0.0);
}

void garderLeMoindre(double& reste, double r) {
    if (r >= 0 && (reste < 0 || r < reste)) reste = r;
}

}  // namespace

double resteDesCgroups(const std::string& racine, const std::string& cgroups) {
    double reste = -1;
    pourLesGroupes(racine, cgroups, "memory",
                   [&](const std::string& dossier, bool v2) { garderLeMoindre(reste, resteDuGroupe(dossier, v2)); });
    return reste;
}

void economiserLEspaceDAdresses() {
    rlimit r{};
    if (::getrlimit(RLIMIT_AS, &r) == 0 && r.rlim_cur != RLIM_INFINITY) ::mallopt(M_ARENA_MAX, 1);
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
    garderLeMoindre(disponible, resteDesCgroups("/sys/fs/cgroup", cgroupsDuProcessus()));
    garderLeMoindre(disponible, resteDeLaLimite(RLIMIT_AS, "VmSize:"));
    garderLeMoindre(disponible, resteDeLaLimite(RLIMIT_DATA, "VmData:"));
    return std::max(disponible, 0.0);
}

}  // namespace harmo
