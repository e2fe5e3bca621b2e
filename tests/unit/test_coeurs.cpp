// SPDX-License-Identifier: GPL-3.0-or-later
// The cores given to the process: its affinity mask, and its cgroups' CPU
// quota on trees made here.
#include "commun/coeurs.h"

#include "arbre_temporaire.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

using namespace harmo;

using Arbre = ArbreTemporaire;

TEST(Coeurs, QuotaDesCgroupsV2EtV1) {
    Arbre v2;
    v2.fichier("/cgroup.controllers", "cpu memory");
    v2.fichier("/tranche/cpu.max", "max 100000");
    v2.fichier("/tranche/job/cpu.max", "150000 100000");
    EXPECT_DOUBLE_EQ(quotaDesCgroups(v2.racine, "0::/tranche/job\n"), 1.5);
    // The parent tighter.
    v2.fichier("/tranche/cpu.max", "50000 100000");
    EXPECT_DOUBLE_EQ(quotaDesCgroups(v2.racine, "0::/tranche/job\n"), 0.5);
    EXPECT_LT(quotaDesCgroups(v2.racine, "0::/ailleurs\n"), 0);
    Arbre v1;
    v1.fichier("/cpu,cpuacct/api/cpu.cfs_quota_us", "300000");
    v1.fichier("/cpu,cpuacct/api/cpu.cfs_period_us", "100000");
    v1.fichier("/cpu,cpuacct/cpu.cfs_quota_us", "-1");
    v1.fichier("/cpu,cpuacct/cpu.cfs_period_us", "100000");
    EXPECT_DOUBLE_EQ(quotaDesCgroups(v1.racine, "4:memory:/api\n2:cpu,cpuacct:/api\n"), 3);
    EXPECT_LT(quotaDesCgroups(v1.racine, "2:cpu,cpuacct:/\n"), 0);
}

TEST(Coeurs, UnMasqueDAffiniteDUnSeulCoeur) {
    // As under taskset -c 0, in a child.
    const pid_t pid = ::fork();
    if (pid == 0) {
        cpu_set_t masque;
        CPU_ZERO(&masque);
        CPU_SET(0, &masque);
        if (::sched_setaffinity(0, sizeof masque, &masque) != 0) ::_exit(2);
        ::_exit(coeursDonnes() == 1 ? 0 : 1);
    }
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
    EXPECT_GE(coeursDonnes(), 1u);
}
