// SPDX-License-Identifier: GPL-3.0-or-later
// The factorisation engine against PARI's whole factorisation, and the parts
// of a result that a computation apart hands over before it is abandoned.
#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/suivi.h"
#include "factor/ecm.h"
#include "factor/pari.h"
#include "factor/pilote.h"
#include "sums/somme_harmonique.h"

#include <gtest/gtest.h>

#include <thread>

#include <map>

using namespace harmo;
using NTL::ZZ;

namespace {

ZZ premierApres(const std::string& decimal) { return NTL::NextPrime(depuisDecimal(decimal)); }

struct Sortie {
    std::map<ZZ, long> premiers;  // in the order of the values; each must come once
    std::vector<ZZ> ordre;        // in the order they came
    std::map<ZZ, long> pari;      // PARI's whole factorisation
    std::vector<TravailEnCours::Methode> methodes;
    std::vector<long> chiffres;
    bool double_ = false;
};

// The engine and PARI run in a child, as in the program: GMP-ECM 7.0.5
// leaks four small blocks a curve, which the sanitizer would report here.
Sortie parEtapes(const ZZ& n) {
    Resultat r = calculerAPart([&](Canal& canal) {
        const SessionPari pari;
        CompteRendu cr;
        cr.premier = [&](const ZZ& p, long e) { canal << 1L << p << e; };
        cr.travail = [&](const TravailEnCours& t) { canal << 2L << static_cast<long>(t.methode) << t.chiffres; };
        factoriserParEtapes(n, cr);
        if (n > 1)
            for (const FacteurPremier& f : factoriserParPari(n)) canal << 3L << f.p << f.e;
        canal << 0L;
    });
    Sortie s;
    for (long quoi = 0; r >> quoi, quoi != 0;) {
        if (quoi == 2) {
            long m = 0, d = 0;
            r >> m >> d;
            s.methodes.push_back(static_cast<TravailEnCours::Methode>(m));
            s.chiffres.push_back(d);
            continue;
        }
        ZZ p;
        long e = 0;
        r >> p >> e;
        if (quoi == 3) {
            s.pari[p] = e;
            continue;
        }
        if (s.premiers.count(p)) s.double_ = true;
        s.premiers[p] = e;
        s.ordre.push_back(p);
    }
    return s;
}

}  // namespace

TEST(Factorisation, ParEtapesCommePari) {
    // Primes from NTL's NextPrime (ProbPrime; PARI proves each in the
    // engine); the numbers are built to take each route: PARI at once (below
    // 45 digits), ECM then PARI, a perfect power, and ECM alone past 110
    // digits.
    const ZZ p10 = premierApres("1000000000"), p15 = premierApres("314159265358979"),
             p20 = premierApres("27182818284590452353"), p40 = premierApres("1" + std::string(39, '0')),
             p50 = premierApres("5" + std::string(49, '1')), p111 = premierApres("7" + std::string(110, '3'));
    const std::vector<ZZ> nombres = {ZZ(1),          p40,           p15 * p20,          p15 * p40,
                                     p15 * p15 * p50, NTL::power(p20, 3), p10 * p111, p10 * p10 * p111};
    for (const ZZ& n : nombres) {
        const Sortie s = parEtapes(n);
        EXPECT_FALSE(s.double_) << n;
        EXPECT_EQ(s.premiers, s.pari) << n;
        EXPECT_EQ(s.pari.empty(), n == 1) << n;
    }
    // Past 110 digits the work says it is beyond reach.
    const Sortie s = parEtapes(p10 * p111);
    bool horsDePortee = false;
    for (std::size_t k = 0; k < s.methodes.size(); ++k)
        horsDePortee |= s.methodes[k] == TravailEnCours::Methode::HorsDePortee && s.chiffres[k] > chiffresHorsDePortee;
    EXPECT_TRUE(horsDePortee);
}

// The curves of a level run on every core, yet the factor that comes out
// is the one of the first curve, in the order of the seeds, that splits the
// number: with three primes that ECM can find, the primes come in the same
// order at every run.
// The depth of ECM before the sieve: deeper as the number grows, within a
// few digits of the published rule of thumb (2/9 to 4/13 of the digits,
// Brent 1999; Silverman and Wagstaff 1993), and the sieve's expected time
// through the points measured.
TEST(Factorisation, LaProfondeurDeLECMSuitLeCrible) {
    for (long d = 40; d < 120; ++d) {
        EXPECT_LE(cibleEcm(d), cibleEcm(d + 1)) << d;
        EXPECT_LT(secondesDuCribleAttendues(d), secondesDuCribleAttendues(d + 1)) << d;
        if (d >= 60 && d <= chiffresHorsDePortee) {  // where the sieve follows
            EXPECT_GE(cibleEcm(d), 2.0 * d / 9 - 3) << d;
            EXPECT_LE(cibleEcm(d), 4.0 * d / 13 + 3) << d;
        }
    }
    EXPECT_EQ(cibleEcm(40), 0);
    EXPECT_NEAR(secondesDuCribleAttendues(74), 8.4, 1e-9);
    EXPECT_NEAR(secondesDuCribleAttendues(104), 2.7 * secondesDuCribleAttendues(99), 1e-9);
}

TEST(Factorisation, LesCourbesSurTousLesCoeursDonnentLeMemeOrdre) {
    const ZZ n = premierApres("271828182845") * premierApres("3141592653589") * premierApres("1" + std::string(44, '7'));
    const Sortie premiere = parEtapes(n);
    EXPECT_EQ(premiere.premiers, premiere.pari);
    ASSERT_EQ(premiere.ordre.size(), 3u);
    for (int fois = 0; fois < 3; ++fois) EXPECT_EQ(parEtapes(n).ordre, premiere.ordre);
}

TEST(Factorisation, UneCourbeTrouveUnPetitFacteur) {
    // A 15-digit prime times a 40-digit one: a few curves at B1 = 2000.
    const ZZ p = premierApres("314159265358979"), q = premierApres("1" + std::string(39, '0'));
    Resultat r = calculerAPart([&](Canal& canal) {
        ZZ f;
        for (unsigned long graine = 1; graine <= 200; ++graine)
            if (courbeEcm(p * q, 2000, graine, 0, f)) break;
        canal << f;
    });
    ZZ f;
    r >> f;
    EXPECT_TRUE(f == p || f == q) << f;
}

TEST(Canal, LAvancementDeDeuxFilsNeMeleRienAuResultat) {
    // Two threads of a child process send progress at once, each phase new
    // (never held back), then the result: it arrives whole, ten times.
    for (int fois = 0; fois < 10; ++fois) {
        Resultat r = calculerAPart([](Canal& canal) {
            auto envoyer = [](int fil) {
                for (int i = 0; i < 2000; ++i) {
                    Avancement a;
                    a.tache = "essai";
                    a.phase = std::to_string(fil) + " " + std::to_string(i);
                    a.part = i / 2000.0;
                    progres(a);
                }
            };
            std::thread autre(envoyer, 1);
            envoyer(0);
            autre.join();
            canal << 12345L;
        });
        long v = 0;
        r >> v;
        EXPECT_EQ(v, 12345);
    }
}

TEST(Canal, LesMorceauxArriventAvantLInterruption) {
    // Three parts sent, then the computation would run for ever: the
    // interrupt raised at the third keeps all three, apart and in place.
    for (bool enPlace : {false, true}) {
        std::vector<long> recus;
        auto travail = [&](Canal& canal) {
            for (long k = 1; k <= 3; ++k) {
                std::string octets;
                Canal morceau(octets);
                morceau << k * 10;
                canal.morceau(octets);
            }
            if (!enPlace)
                for (;;) ::pause();
            verifierInterruption();
        };
        EXPECT_THROW(calculerAPart(travail, enPlace,
                                   [&](Resultat& r) {
                                       long v = 0;
                                       r >> v;
                                       recus.push_back(v);
                                       if (recus.size() == 3) interruptionDemandee.store(1);
                                   }),
                     CalculInterrompu);
        interruptionDemandee.store(0);
        EXPECT_EQ(recus, (std::vector<long>{10, 20, 30})) << enPlace;
    }
}

TEST(Factorisation, LesNumerateursDeHnMultipliesEnRetour) {
    // The numerator of H(n) for every n <= 150 and a few above (163 and 177
    // leave parts of 70 and 77 digits after the small primes): every prime
    // proven, and their product P again.
    std::vector<long> ns;
    for (long n = 2; n <= 150; ++n) ns.push_back(n);
    for (long n : {163L, 177L}) ns.push_back(n);
    Resultat r = calculerAPart([&](Canal& canal) {
        const SessionPari pari;
        for (long n : ns) {
            const ZZ P = sommeHarmoniqueReduite(ZZ(n), 0).P;
            ZZ produit(1);
            bool prouves = true;
            CompteRendu cr;
            cr.premier = [&](const ZZ& p, long e) {
                prouves = prouves && premierProuve(p);
                produit *= NTL::power(p, e);
            };
            factoriserParEtapes(P, cr);
            canal << n << static_cast<long>(produit == P && prouves);
        }
        canal << 0L;
    });
    for (long n = 0, bon = 0; r >> n, n != 0;) {
        r >> bon;
        EXPECT_EQ(bon, 1) << "H(" << n << ")";
    }
}
