#include "commun/memoire.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace harmo {

namespace {

// The first number of a file, or a negative value.
double lireNombre(const char* chemin) {
    std::ifstream f(chemin);
    double v = -1;
    if (!(f >> v)) return -1;
    return v;
}

}  // namespace

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
    // cgroup v2, then v1.
    const double max2 = lireNombre("/sys/fs/cgroup/memory.max"), actuel2 = lireNombre("/sys/fs/cgroup/memory.current");
    if (max2 > 0 && actuel2 >= 0 && max2 < 1e18) disponible = std::min(disponible, max2 - actuel2);
    const double max1 = lireNombre("/sys/fs/cgroup/memory/memory.limit_in_bytes"),
                 actuel1 = lireNombre("/sys/fs/cgroup/memory/memory.usage_in_bytes");
    if (max1 > 0 && actuel1 >= 0 && max1 < 1e18) disponible = std::min(disponible, max1 - actuel1);
    rlimit r{};
    if (::getrlimit(RLIMIT_AS, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
        disponible = std::min(disponible, static_cast<double>(r.rlim_cur) / 2);
    return std::max(disponible, 0.0);
}

}  // namespace harmo
