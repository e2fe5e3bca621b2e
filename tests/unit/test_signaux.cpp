// SPDX-License-Identifier: GPL-3.0-or-later
// The interrupt handler, in child processes: a first SIGINT during a
// computation raises the flag and the process goes on; a second one, before
// the first has been taken, ends it as the system would; so does one while
// the program waits for an answer.
#include "commun/enfant.h"
#include "commun/pont_mpfr.h"
#include "commun/suivi.h"
#include "euler/constante.h"
#include "euler/repli_decimal.h"
#include "shell/signaux.h"
#include "sums/etape.h"
#include "sums/kempner_partielle.h"
#include "sums/somme_approchee.h"

#include "precisions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <gmp.h>
#include <stdexcept>
#include <thread>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace harmo;

namespace {

// Runs f in a child process and returns its wait status.
template <class F>
int dansUnFils(F f) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        f();
        ::_exit(0);
    }
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    return statut;
}

bool finiParSigint(int statut) { return WIFSIGNALED(statut) && WTERMSIG(statut) == SIGINT; }

}  // namespace

TEST(Signaux, PremierLeveLeDrapeau) {
    const int statut = dansUnFils([] {
        installerSignaux();
        interruptionTraitee();
        std::raise(SIGINT);
        if (interruptionDemandee.load() != 1) ::_exit(2);
        try {
            verifierInterruption();
        } catch (const CalculInterrompu&) {
            interruptionTraitee();
            ::_exit(interruptionDemandee.load() == 0 ? 0 : 3);
        }
        ::_exit(4);
    });
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << statut;
}

TEST(Signaux, DeuxiemeAvantLaPriseEnCompteTermine) {
    const int statut = dansUnFils([] {
        installerSignaux();
        std::raise(SIGINT);
        std::raise(SIGINT);  // the flag is still up
        ::_exit(0);
    });
    EXPECT_TRUE(finiParSigint(statut)) << statut;
}

TEST(Signaux, EnAttenteDeReponseTermine) {
    const int statut = dansUnFils([] {
        installerSignaux();
        AttenteDeReponse attente;
        std::raise(SIGINT);
        ::_exit(0);
    });
    EXPECT_TRUE(finiParSigint(statut)) << statut;
}

namespace {

// Runs f with an interrupt request raised 100 ms later by another thread;
// true when f stopped by CalculInterrompu within two seconds. Under the
// sanitizers, what f had allocated must be freed on the way out.
template <class F>
bool interrompu(F f) {
    interruptionTraitee();
    std::thread demande([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        interruptionDemandee.store(1);
    });
    const auto t0 = std::chrono::steady_clock::now();
    bool arrete = false;
    try {
        f();
    } catch (const CalculInterrompu&) {
        arrete = std::chrono::steady_clock::now() - t0 < std::chrono::seconds(2);
    }
    demande.join();
    interruptionTraitee();
    return arrete;
}

}  // namespace

TEST(Signaux, CalculsInterrompusEnCours) {
    PrecisionsGardees garde;
    // A term-by-term sum of 10^10 terms.
    Etape t;
    t.N1 = 0;
    t.N = NTL::power_ZZ(10, 10);
    EXPECT_TRUE(interrompu([&] { sommeTermeATerme(t, NTL::RR(), 100); }));
    // The moments of a Kempner sum at 5000 bits for 10^300, and the interval
    // of a long level 2 stage that needs them.
    EXPECT_TRUE(interrompu([] { KempnerPartielle k({1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 300, 5000); }));
    t.kempner = true;
    t.sequence = {4, 2};
    t.N = NTL::power_ZZ(10, 400);
    SommeApprochee s;
    NTL::RR res;
    EXPECT_TRUE(interrompu([&] { etapeApprochee(t, compterGardes(t).nombre, 6000, 1500, res, s); }));
    // The constant folded step by step at 565,000 bits.
    EXPECT_TRUE(interrompu([] {
        Mpfr x(565000);
        replierPasAPas(x, chiffresE, nChiffresE);
    }));
}

// A computation gives the same results in this process and in a child; in
// this process, an interrupt raised during its last step is still honoured.
TEST(Signaux, CalculEnPlaceCommeDansUnFils) {
    interruptionTraitee();
    const NTL::ZZ grand = NTL::power_ZZ(3, 100000) - 1;
    auto travail = [&](Canal& canal) {
        NTL::RR x;
        NTL::conv(x, 1.5);
        canal << grand << -grand << 42L << std::string("texte") << x;
    };
    for (bool enPlace : {false, true}) {
        Resultat r = calculerAPart(travail, enPlace);
        NTL::ZZ a, b;
        long n = 0;
        std::string texte;
        NTL::RR x;
        r >> a >> b >> n >> texte >> x;
        EXPECT_EQ(a, grand);
        EXPECT_EQ(b, -grand);
        EXPECT_EQ(n, 42);
        EXPECT_EQ(texte, "texte");
        EXPECT_EQ(x, NTL::RR(1.5));
    }
    EXPECT_THROW(calculerAPart([](Canal&) { interruptionDemandee.store(1); }, true), CalculInterrompu);
    interruptionTraitee();
    EXPECT_THROW(calculerAPart([](Canal&) { throw std::bad_alloc(); }, true), EchecDuCalcul);
    EXPECT_THROW(calculerAPart([](Canal&) { throw std::bad_alloc(); }), EchecDuCalcul);
}

namespace {

// What calculerAPart throws for a child that ends as travail makes it end.
EchecDuCalcul echecDe(const std::function<void(Canal&)>& travail) {
    try {
        calculerAPart(travail);
    } catch (const EchecDuCalcul& e) {
        return e;
    }
    ADD_FAILURE() << "no failure";
    return {};
}

}  // namespace

TEST(Signaux, LesEchecsDUnFilsSontDitsTelsQuIls) {
    // Killed from outside (the kernel out of memory): memory. A crash, an
    // exception of its own, an exit without result: told, not memory.
    EXPECT_TRUE(echecDe([](Canal&) { ::raise(SIGKILL); }).memoire);
    // (SIGUSR1: the sanitizers take SIGSEGV for themselves.)
    const EchecDuCalcul plante = echecDe([](Canal&) { ::raise(SIGUSR1); });
    EXPECT_FALSE(plante.memoire);
    EXPECT_NE(plante.raison.find("signal 10"), std::string::npos) << plante.raison;
    const EchecDuCalcul exception = echecDe([](Canal&) { throw std::runtime_error("PARI: stack overflow"); });
    EXPECT_FALSE(exception.memoire);
    EXPECT_EQ(exception.raison, "echec du calcul (PARI: stack overflow)");
    EXPECT_FALSE(echecDe([](Canal&) { ::_exit(0); }).memoire);
    EXPECT_TRUE(echecDe([](Canal&) { throw std::bad_alloc(); }).memoire);
#ifndef __SANITIZE_ADDRESS__  // its shadow memory does not live under an address-space limit
    // GMP out of memory in a child: memory, not an abort.
    const EchecDuCalcul gmp = echecDe([](Canal&) {
        rlimit r{};
        ::getrlimit(RLIMIT_AS, &r);
        r.rlim_cur = 1ul << 30;  // 1 GB of address space: the 2 GB below cannot come
        ::setrlimit(RLIMIT_AS, &r);
        mpz_t z;
        mpz_init(z);
        mpz_setbit(z, 1ul << 34);
    });
    EXPECT_TRUE(gmp.memoire) << gmp.raison;
#endif
}
