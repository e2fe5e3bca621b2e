// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's journals: a relation's line read back as written; a sieve
// stopped half-way goes on from its relations and finds the factor; a
// damaged or foreign line costs a relation, a journal another session holds
// is read and left to it, and no cache at all changes nothing.
#include "commun/cache.h"
#include "commun/decimal.h"
#include "commun/suivi.h"
#include "factor/crible_quadratique.h"
#include "factor/releves_sauves.h"

#include "cache_temporaire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

using namespace harmo;
using NTL::ZZ;

namespace {

// Two primes of 29 and 30 digits from fixed decimal expansions (pi, e):
// about two seconds of sieving on two cores.
const ZZ p = NTL::NextPrime(depuisDecimal("31415926535897932384626433832")),
         q = NTL::NextPrime(depuisDecimal("271828182845904523536028747135"));
const ZZ n = p * q;

std::vector<FichierDuCache> journaux() { return fichiersDuCache(dossierDuCache("releves"), ""); }

// The sieve of n stopped (as an interrupt would) once half its relations are in.
void crible_arrete_a_moitie() {
    ZZ f;
    EXPECT_THROW(cribleQuadratique(n, f, 2,
                                   [](const AvancementDuCrible& a) {
                                       if (a.part >= 0.5) throw CalculInterrompu{};
                                   }),
                 CalculInterrompu);
}

// The sieve of n to its end: its first report, and the factor.
AvancementDuCrible crible_jusqu_au_bout() {
    ZZ f;
    AvancementDuCrible premier;
    bool vu = false;
    EXPECT_TRUE(cribleQuadratique(n, f, 2, [&](const AvancementDuCrible& a) {
        if (!vu) premier = a, vu = true;
    }));
    EXPECT_TRUE(f == p || f == q) << f;
    return premier;
}

}  // namespace

TEST(RelevesSauves, UneLigneRelueCommeEcrite) {
    std::mt19937_64 alea(7);
    for (int essai = 0; essai < 200; ++essai) {
        Relation r;
        r.y = NTL::RandomBits_ZZ(static_cast<long>(alea() % 300));
        if (alea() % 2) NTL::negate(r.y, r.y);
        r.grand = alea() % 3 == 0 ? 1 : alea();
        r.autreGrand = alea() % 2 == 0 ? 1 : std::max<std::uint64_t>(2, alea() >> (alea() % 64));
        for (std::size_t k = alea() % 40; k > 0; --k) r.facteurs.push_back(static_cast<std::uint32_t>(alea()));
        const std::string l = ligneDeRelation(r);
        ASSERT_EQ(l.back(), '\n');
        Relation s;
        ASSERT_TRUE(relationDeLaLigne(l.data(), l.data() + l.size() - 1, s)) << l;
        EXPECT_EQ(s.y, r.y) << l;
        EXPECT_EQ(s.grand, r.grand);
        EXPECT_EQ(s.autreGrand, r.autreGrand);
        EXPECT_EQ(s.facteurs, r.facteurs);
    }
    // Lines that are not relations: cut short, a letter, a value past 64 or
    // 32 bits, a large prime 0, a double blank.
    for (const std::string l : {"", "-", "1f", "1f 3", "1f 3 5 ", "1g 3 5 2", "1f 3 5 x", "1f 18446744073709551616 5 2",
                                "1f 3 5 4294967296", "1f 0 5 2", "1f 3  5 2"}) {
        Relation s;
        EXPECT_FALSE(relationDeLaLigne(l.data(), l.data() + l.size(), s)) << l;
    }
}

// Stopped half-way, the sieve goes on from the relations it had: the second
// run starts at half the share, with as many relations read back, finds the
// factor and removes the journal.
TEST(RelevesSauves, UnCribleArreteReprendDeSesRelations) {
    CacheTemporaire c;
    crible_arrete_a_moitie();
    ASSERT_EQ(journaux().size(), 1u);
    EXPECT_FALSE(journaux()[0].tenu);
    const AvancementDuCrible premier = crible_jusqu_au_bout();
    EXPECT_GE(premier.part, 0.45);
    EXPECT_GT(premier.relues, 0u);
    EXPECT_EQ(premier.ecarteesALaRelecture, 0u);
    EXPECT_TRUE(journaux().empty());
    // From nothing again: nothing read back.
    EXPECT_EQ(crible_jusqu_au_bout().relues, 0u);
}

// A journal with a line cut short, a line of another number's relation and
// an index past the base: each dropped, counted, the factor still right.
// A journal that another session holds is read, and left to it.
TEST(RelevesSauves, UnJournalAbimeOuTenuNeCouteQueDuTemps) {
    CacheTemporaire c;
    crible_arrete_a_moitie();
    const std::string dossier = dossierDuCache("releves");
    ASSERT_EQ(journaux().size(), 1u);
    const std::string nom = journaux()[0].nom;
    {
        std::ofstream j(dossier + "/" + nom, std::ios::app);
        j << "1f 3 5 1 2\n"                     // another number's
          << "1234abcd 1 1 1 2 3 4000000\n"     // an index past the base
          << "99a 1 1";                         // cut short: no end of line
    }
    // Another session's journal of n: held while that session lives.
    const std::string prefixe = nom.substr(0, nom.rfind('-', nom.rfind('-') - 1) + 1);
    std::string entete, ligne;
    {
        std::ifstream j(dossier + "/" + nom);
        for (int i = 0; i < 3 && std::getline(j, ligne); ++i) entete += ligne + "\n";
    }
    FichierTenu autre(dossier, prefixe + "autre-session");
    ASSERT_TRUE(autre.ajouter(entete));
    const AvancementDuCrible premier = crible_jusqu_au_bout();
    EXPECT_GT(premier.relues, 0u);
    EXPECT_EQ(premier.ecarteesALaRelecture, 2u);  // the last line, never ended, is not read
    ASSERT_EQ(journaux().size(), 1u);
    EXPECT_EQ(journaux()[0].nom, prefixe + "autre-session");
    EXPECT_TRUE(journaux()[0].tenu);
}

// No cache to be had: the sieve runs as without one, silently.
TEST(RelevesSauves, SansCacheLeCribleCommeAvant) {
    CacheTemporaire c;
    ::setenv("XDG_CACHE_HOME", "/dev/null/pas-de-dossier", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    crible_arrete_a_moitie();
    EXPECT_EQ(crible_jusqu_au_bout().relues, 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
