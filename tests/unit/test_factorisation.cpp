// SPDX-License-Identifier: GPL-3.0-or-later
// The factorisation engine against PARI's whole factorisation, and the parts
// of a result that a computation apart hands over before it is abandoned.
#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/suivi.h"
#include "factor/ecm.h"
#include "factor/pari.h"
#include "factor/pilote.h"

#include <gtest/gtest.h>

#include <map>

using namespace harmo;
using NTL::ZZ;

namespace {

ZZ premierApres(const std::string& decimal) { return NTL::NextPrime(depuisDecimal(decimal)); }

struct Sortie {
    std::map<ZZ, long> premiers;  // in the order of the values; each must come once
    std::vector<TravailEnCours> travaux;
    bool double_ = false;
};

Sortie parEtapes(const ZZ& n) {
    Sortie s;
    CompteRendu r;
    r.premier = [&](const ZZ& p, long e) {
        if (s.premiers.count(p)) s.double_ = true;
        s.premiers[p] = e;
    };
    r.travail = [&](const TravailEnCours& t) { s.travaux.push_back(t); };
    factoriserParEtapes(n, r);
    return s;
}

}  // namespace

TEST(Factorisation, ParEtapesCommePari) {
    // Primes from NTL's NextPrime, checked by PARI's proof; the numbers are
    // built to take each route: PARI at once (below 45 digits), ECM then
    // PARI, a perfect power, and ECM alone past 100 digits.
    const SessionPari pari;
    const ZZ p10 = premierApres("1000000000"), p15 = premierApres("314159265358979"),
             p20 = premierApres("27182818284590452353"), p40 = premierApres("1" + std::string(39, '0')),
             p50 = premierApres("5" + std::string(49, '1')), p101 = premierApres("7" + std::string(100, '3'));
    for (const ZZ* p : {&p10, &p15, &p20, &p40, &p50, &p101}) ASSERT_TRUE(premierProuve(*p)) << *p;
    const std::vector<ZZ> nombres = {ZZ(1),          p40,           p15 * p20,          p15 * p40,
                                     p15 * p15 * p50, NTL::power(p20, 3), p10 * p101, p10 * p10 * p101};
    for (const ZZ& n : nombres) {
        const Sortie s = parEtapes(n);
        EXPECT_FALSE(s.double_) << n;
        std::map<ZZ, long> attendus;
        if (n > 1)
            for (const FacteurPremier& f : factoriserParPari(n)) attendus[f.p] = f.e;
        EXPECT_EQ(s.premiers, attendus) << n;
    }
    // Past 100 digits the work says it is beyond reach.
    const Sortie s = parEtapes(p10 * p101);
    bool horsDePortee = false;
    for (const TravailEnCours& t : s.travaux)
        horsDePortee |= t.methode == TravailEnCours::Methode::HorsDePortee && t.chiffres > 100;
    EXPECT_TRUE(horsDePortee);
}

TEST(Factorisation, UneCourbeTrouveUnPetitFacteur) {
    // A 15-digit prime times a 40-digit one: a few curves at B1 = 2000.
    const ZZ p = premierApres("314159265358979"), q = premierApres("1" + std::string(39, '0'));
    ZZ f;
    bool trouve = false;
    for (unsigned long graine = 1; graine <= 200 && !trouve; ++graine) trouve = courbeEcm(p * q, 2000, graine, 0, f);
    ASSERT_TRUE(trouve);
    EXPECT_TRUE(f == p || f == q) << f;
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
