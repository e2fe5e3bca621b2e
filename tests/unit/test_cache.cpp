// SPDX-License-Identifier: GPL-3.0-or-later
// The cache folder written with care, and the proven factorisations kept in
// it: read back only when whole, the user's own and a product equal to the
// number; a link planted in the folder never followed.
#include "commun/cache.h"
#include "factor/factorisations_connues.h"
#include "factor/pari.h"

#include "cache_temporaire.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

using namespace harmo;

namespace {

mode_t modeDe(const std::string& chemin) {
    struct stat s{};
    return ::lstat(chemin.c_str(), &s) == 0 ? s.st_mode & 07777 : 0;
}

}  // namespace

TEST(Cache, EcritAvecSoinEtRelitSeulementCeQuiEstSur) {
    CacheTemporaire c;
    const std::string d = dossierDuCache("essai");
    ASSERT_EQ(d, c.arbre.racine + "/harmoniques/essai");
    EXPECT_EQ(modeDe(c.arbre.racine + "/harmoniques"), 0700u);
    EXPECT_EQ(modeDe(d), 0700u);
    ASSERT_TRUE(ecrireDansLeCache(d, "a", "premier"));
    ASSERT_TRUE(ecrireDansLeCache(d, "a", "second"));  // replaced whole
    EXPECT_EQ(modeDe(d + "/a"), 0600u);
    EXPECT_EQ(lireDansLeCache(d, "a", 100).value_or(""), "second");
    EXPECT_FALSE(lireDansLeCache(d, "a", 3));  // past the size allowed
    // No temporary file left behind.
    EXPECT_EQ(std::system(("test -z \"$(ls -A " + d + " | grep -v '^a$')\"").c_str()), 0);
    // A link planted under a name is not followed, nor written through.
    { std::ofstream(c.arbre.racine + "/cible") << "secret"; }
    ASSERT_EQ(::symlink((c.arbre.racine + "/cible").c_str(), (d + "/b").c_str()), 0);
    EXPECT_FALSE(lireDansLeCache(d, "b", 100));
    // Names that would leave the folder are refused.
    for (const char* nom : {"", "..", "x/y", ".cache"}) {
        EXPECT_FALSE(ecrireDansLeCache(d, nom, "x")) << nom;
        EXPECT_FALSE(lireDansLeCache(d, nom, 100)) << nom;
    }
    // A folder others may write in is not used.
    ASSERT_EQ(::chmod(d.c_str(), 0777), 0);
    EXPECT_EQ(dossierDuCache("essai"), "");
    // Turned off: no cache.
    ASSERT_EQ(::chmod(d.c_str(), 0700), 0);
    ::setenv("HARMONIQUES_CACHE", "non", 1);
    EXPECT_EQ(dossierDuCache("essai"), "");
    ::unsetenv("HARMONIQUES_CACHE");
    EXPECT_EQ(dossierDuCache("essai"), d);
    // Where no folder can be made: no cache, and nothing else.
    ::setenv("XDG_CACHE_HOME", "/dev/null/pas-de-dossier", 1);
    EXPECT_EQ(dossierDuCache("essai"), "");
    EXPECT_FALSE(ecrireDansLeCache("", "a", "x"));
}

TEST(Cache, LesPlusAnciensPartentDAbord) {
    CacheTemporaire c;
    const std::string d = dossierDuCache("essai");
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(ecrireDansLeCache(d, "f" + std::to_string(i), std::string(1000, 'x')));
        const std::string chemin = d + "/f" + std::to_string(i);
        const timespec dates[2] = {{1000 + i, 0}, {1000 + i, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, chemin.c_str(), dates, 0), 0);
    }
    bornerLeCache(d, 2500);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(lireDansLeCache(d, "f" + std::to_string(i), 2000).has_value(), i >= 3) << i;
}

TEST(FactorisationsConnues, UnTexteNeValantQueSIlRedonneLeNombre) {
    // 600 = 2^3 3 5^2, and texts that are not its factorisation.
    const NTL::ZZ n = NTL::conv<NTL::ZZ>("600");
    const std::vector<FacteurPremier> bons = {{NTL::ZZ(2), 3}, {NTL::ZZ(3), 1}, {NTL::ZZ(5), 2}};
    const std::string texte = texteDeLaFactorisation(n, bons);
    const auto relus = lireLaFactorisation(n, texte);
    ASSERT_TRUE(relus);
    ASSERT_EQ(relus->size(), 3u);
    EXPECT_EQ((*relus)[2].p, 5);
    EXPECT_EQ((*relus)[2].e, 2);
    const std::string entete = "harmoniques factorisation 1\n600\n";
    for (const std::string& faux :
         {std::string(""), texte.substr(0, texte.size() - 5), entete + "2 3\n3 1\n5 1\n", entete + "2 3\n3 1\n5 3\n",
          entete + "3 1\n2 3\n5 2\n", entete + "2 3\n3 1\n5 2\n7 1\n", entete + "2 3\n3 1\n5 x\n",
          entete + "1 600\n", std::string("harmoniques factorisation 1\n601\n2 3\n3 1\n5 2\n")})
        EXPECT_FALSE(lireLaFactorisation(n, faux)) << faux;
}

TEST(FactorisationsConnues, RetenueUneFoisRelueEnsuite) {
    CacheTemporaire c;
    const SessionPari pari;
    // The product of the primes after 10^25 and 10^30: 56 digits.
    const NTL::ZZ p = NTL::NextPrime(NTL::power_ZZ(10, 25)), q = NTL::NextPrime(NTL::power_ZZ(10, 30));
    const NTL::ZZ n = p * q;
    EXPECT_FALSE(factorisationConnue(n));
    retenirLaFactorisation(n, {{q, 1}, {p, 1}});
    const auto connue = factorisationConnue(n);
    ASSERT_TRUE(connue);
    ASSERT_EQ(connue->size(), 2u);
    EXPECT_EQ((*connue)[0].p, p);
    EXPECT_EQ((*connue)[1].p, q);
    // A file whose product is right but one "prime" is not: refused by the proof.
    const NTL::ZZ m = 3 * p * q;
    retenirLaFactorisation(m, {{3 * p, 1}, {q, 1}});
    EXPECT_FALSE(factorisationConnue(m));
    // Small numbers are not kept.
    retenirLaFactorisation(NTL::ZZ(600), {{NTL::ZZ(2), 3}, {NTL::ZZ(3), 1}, {NTL::ZZ(5), 2}});
    EXPECT_FALSE(factorisationConnue(NTL::ZZ(600)));
}
