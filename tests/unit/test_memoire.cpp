// SPDX-License-Identifier: GPL-3.0-or-later
// The memory left by the cgroups of the process, on trees made here.
#include "commun/memoire.h"

#include "arbre_temporaire.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

using namespace harmo;

using Arbre = ArbreTemporaire;

TEST(Memoire, LeGroupeDuProcessusEtSesParents) {
    // v2: the process's own group is the tightest; its parent has "max".
    Arbre a;
    a.fichier("/cgroup.controllers", "cpu memory");
    a.fichier("/tranche/memory.max", "max");
    a.fichier("/tranche/memory.current", "5000");
    a.fichier("/tranche/service/memory.max", "3000000");
    a.fichier("/tranche/service/memory.current", "1000000");
    EXPECT_EQ(resteDesCgroups(a.racine, "0::/tranche/service\n"), 2000000);
    // A parent tighter than the child.
    a.fichier("/tranche/memory.max", "1500000");
    EXPECT_EQ(resteDesCgroups(a.racine, "0::/tranche/service\n"), 1495000);
    // No limit anywhere.
    EXPECT_LT(resteDesCgroups(a.racine, "0::/ailleurs\n"), 0);
}

TEST(Memoire, HierarchieV1EtCheminAbsentDansUnConteneur) {
    Arbre a;
    a.fichier("/memory/memory.limit_in_bytes", "9223372036854771712");
    a.fichier("/memory/memory.usage_in_bytes", "100");
    a.fichier("/memory/api/memory.limit_in_bytes", "800000");
    a.fichier("/memory/api/memory.usage_in_bytes", "300000");
    // The group's own directory is not mounted here: its parent still counts.
    EXPECT_EQ(resteDesCgroups(a.racine, "9:pids:/\n4:memory:/api/inconnu\n0::/\n"), 500000);
    // A used amount past the limit leaves nothing.
    a.fichier("/memory/api/memory.usage_in_bytes", "900000");
    EXPECT_EQ(resteDesCgroups(a.racine, "4:memory:/api\n"), 0);
    // Other controllers are not read.
    EXPECT_LT(resteDesCgroups(a.racine, "9:pids:/api\n"), 0);
}

TEST(Memoire, LeCacheDesFichiersNeCompteNiEnV1NiEnV2) {
    // A group that has read large files: 900 MB used of 1 GB, 700 MB of them
    // inactive page cache. A request of 500 MB fits (its working set is
    // 200 MB); counted as used, the cache would have it refused.
    Arbre v2;
    v2.fichier("/cgroup.controllers", "memory");
    v2.fichier("/tranche/memory.max", "1000000000");
    v2.fichier("/tranche/memory.current", "900000000");
    v2.fichier("/tranche/memory.stat", "anon 150000000\nfile 750000000\nactive_file 50000000\ninactive_file 700000000");
    EXPECT_EQ(resteDesCgroups(v2.racine, "0::/tranche\n"), 800000000);
    EXPECT_GT(resteDesCgroups(v2.racine, "0::/tranche\n"), 500e6);
    Arbre v1;
    v1.fichier("/memory/api/memory.limit_in_bytes", "1000000000");
    v1.fichier("/memory/api/memory.usage_in_bytes", "900000000");
    v1.fichier("/memory/api/memory.stat", "cache 750000000\ninactive_file 1\ntotal_inactive_file 700000000");
    EXPECT_EQ(resteDesCgroups(v1.racine, "4:memory:/api\n"), 800000000);
    // Without its statistics a group counts its whole usage.
    v1.fichier("/memory/api/memory.stat", "");
    EXPECT_EQ(resteDesCgroups(v1.racine, "4:memory:/api\n"), 100000000);
}

TEST(Memoire, LaLimiteDEspaceAdresseCompteCeQuiEstDejaPris) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory and threads do not live under these limits";
#endif
    // In a child under RLIMIT_AS: what is left is the limit less what the
    // process already maps, not a fixed share of the limit.
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::ifstream f("/proc/self/status");
        std::string ligne;
        double vm = 0;
        while (std::getline(f, ligne))
            if (ligne.rfind("VmSize:", 0) == 0) vm = std::stod(ligne.substr(7)) * 1024;
        const double limite = vm + 50e6;
        rlimit r{static_cast<rlim_t>(limite), static_cast<rlim_t>(limite)};
        ::setrlimit(RLIMIT_AS, &r);
        const double d = memoireDisponible();
        ::_exit(d <= 50e6 + 1e6 && d >= 40e6 ? 0 : 1);
    }
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0);
}
