// SPDX-License-Identifier: GPL-3.0-or-later
// Prime factorisation display and the shared prime list.
#include "shell/console.h"
#include "shell/etat.h"
#include "shell/menu.h"
#include "sums/decomp.h"

#include "commun/decimal.h"
#include "oracles/decomp_litterale.h"
#include "sums/somme_harmonique.h"

#include <gtest/gtest.h>

#include <random>

using namespace harmo;

namespace {

struct Facteurs {
    Facteurs() : e(con) { demarrer(e); }
    std::string de(const char* n) {
        con.sortie.clear();
        e.S = NTL::conv<ZZ>(n);
        decomp(e);
        EXPECT_TRUE(NTL::IsOne(e.S) || NTL::IsZero(e.S));
        return con.sortie;
    }
    ConsoleScript con{""};
    Etat e;
};

}  // namespace

// 7381/2520 is H(10) (OEIS A001008 / A002805); 7381 = 11^2 * 61 and
// 2520 = 2^3 * 3^2 * 5 * 7 by hand; 1000000007 is a well-known prime.
TEST(Decomp, Affichages) {
    Facteurs f;
    EXPECT_EQ(f.de("1"), "  ");
    EXPECT_EQ(f.de("2"), "  est un nombre premier. ");
    EXPECT_EQ(f.de("4"), "  (2)^2");
    EXPECT_EQ(f.de("12"), "  (2)^2 X (3)");
    EXPECT_EQ(f.e.np, 2);
    EXPECT_EQ(f.de("15"), "  (3) X (5)");
    EXPECT_EQ(f.e.np, 3);
    EXPECT_EQ(f.de("25"), "  (5)^2");
    EXPECT_EQ(f.de("7381"), "  (11)^2 X (61)");
    EXPECT_EQ(f.de("2520"), "  (2)^3 X (3)^2 X (5) X (7)");
    EXPECT_EQ(f.de("1000000007"), "  est un nombre premier. ");
    EXPECT_EQ(f.de("0"), "  0");
}

TEST(Decomp, ListeDesPremiersPartagee) {
    Facteurs f;
    // 2^3 * 3 * 97^2 * 101: the trial division needs every prime up to 101.
    EXPECT_EQ(f.de("22807416"), "  (2)^3 X (3) X (97)^2 X (101)");
    long apres = f.e.np;
    EXPECT_GE(apres, 25);  // 97 is the 25th prime
    // The primes are those of a sieve, in order.
    std::vector<long> crible;
    for (long n = 2; crible.size() < static_cast<std::size_t>(apres); ++n) {
        bool premier = true;
        for (long d = 2; d * d <= n; ++d)
            if (n % d == 0) premier = false;
        if (premier) crible.push_back(n);
    }
    for (long k = 1; k <= apres; ++k) EXPECT_EQ(f.e.Nprem[k], crible[k - 1]) << k;
    // A second factorisation finds them ready and the list never shrinks.
    EXPECT_EQ(f.de("9409"), "  (97)^2");
    EXPECT_GE(f.e.np, apres);
}

TEST(Decomp, CommeLaDivisionParEssaisLitterale) {
    // Wherever trial division alone finishes: the same text. Random integers,
    // products of two primes above the trial-division bound (PARI's part),
    // squares and powers, and the numerators and denominators of H(n) for
    // n <= 30 (OEIS A001008 / A002805).
    Facteurs f;
    std::vector<ZZ> premiers;
    std::vector<ZZ> nombres = {ZZ(1), ZZ(2), ZZ(4096), ZZ(4099), ZZ(4099) * 4099, ZZ(4093) * 4099,
                               ZZ(10007) * 10009, ZZ(10007) * 10007 * 10007, NTL::power_ZZ(2, 40),
                               ZZ(65537) * 3 * 3 * 5};
    std::mt19937_64 alea(43);
    for (int t = 0; t < 150; ++t) nombres.push_back(ZZ(1 + alea() % 1000000000ull));
    for (int t = 0; t < 30; ++t) nombres.push_back(ZZ(4097 + alea() % 60000) * ZZ(4097 + alea() % 60000));
    for (long n = 1; n <= 30; ++n) {
        Fraction h = sommeHarmoniqueReduite(ZZ(n), 0);
        nombres.push_back(h.P);
        nombres.push_back(h.Q);
    }
    for (const ZZ& n : nombres) ASSERT_EQ(f.de(enDecimal(n).c_str()), decompLitterale(n, premiers)) << n;
}
