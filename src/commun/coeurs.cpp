// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/coeurs.h"

#include "commun/cgroups.h"

#include <sched.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace harmo {

namespace {

// The quota of one group directory in CPUs, or -1 when it sets none.
double quotaDuGroupe(const std::string& dossier, bool v2) {
    double quota = -1, periode = -1;
    if (v2) {
        std::ifstream f(dossier + "/cpu.max");
        std::string q;
        if (!(f >> q >> periode) || q == "max") return -1;
        quota = std::atof(q.c_str());
    } else {
        std::ifstream(dossier + "/cpu.cfs_quota_us") >> quota;
        std::ifstream(dossier + "/cpu.cfs_period_us") >> periode;
    }
    return quota > 0 && periode > 0 ? quota / periode : -1;
}

}  // namespace

double quotaDesCgroups(const std::string& racine, const std::string& cgroups) {
    double plusPetit = -1;
    pourLesGroupes(racine, cgroups, "cpu", [&](const std::string& dossier, bool v2) {
        const double q = quotaDuGroupe(dossier, v2);
        if (q > 0 && (plusPetit < 0 || q < plusPetit)) plusPetit = q;
    });
    return plusPetit;
}

unsigned coeursDonnes() {
    long n = std::thread::hardware_concurrency();
    cpu_set_t masque;
    CPU_ZERO(&masque);
    if (::sched_getaffinity(0, sizeof masque, &masque) == 0) n = CPU_COUNT(&masque);
    const double quota = quotaDesCgroups("/sys/fs/cgroup", cgroupsDuProcessus());
    if (quota > 0) n = std::min(n, static_cast<long>(std::ceil(quota)));
    return static_cast<unsigned>(std::max(n, 1L));
}

unsigned nombreDeCoeurs() {
    static const unsigned n = coeursDonnes();
    return n;
}

}  // namespace harmo
