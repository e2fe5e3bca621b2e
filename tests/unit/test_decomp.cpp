// SPDX-License-Identifier: GPL-3.0-or-later
// Prime factorisation display and the shared prime list.
#include "commun/enfant.h"
#include "shell/console.h"
#include "commun/etat.h"
#include "items/menu.h"
#include "items/decomp.h"

#include "commun/decimal.h"
#include "commun/suivi.h"
#include "oracles/decomp_litterale.h"
#include "sums/somme_harmonique.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

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
    // products of two primes above the trial-division bound (PARI's share),
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

namespace {

// The factors of a partial text "  (a)^e X (b) X [n chiffres non factorises]".
struct Partielle {
    std::vector<std::pair<ZZ, long>> premiers;
    long nonFactorises = 0;  // digits; 0 when the text is complete
};

Partielle lirePartielle(const std::string& texte) {
    Partielle r;
    std::size_t i = 0;
    while ((i = texte.find('(', i)) != std::string::npos) {
        const std::size_t fin = texte.find(')', i);
        std::pair<ZZ, long> f{depuisDecimal(texte.substr(i + 1, fin - i - 1)), 1};
        if (fin + 1 < texte.size() && texte[fin + 1] == '^') f.second = std::stol(texte.substr(fin + 2));
        r.premiers.push_back(f);
        i = fin;
    }
    const std::size_t crochet = texte.find('[');
    if (crochet != std::string::npos) r.nonFactorises = std::stol(texte.substr(crochet + 1));
    return r;
}

}  // namespace

TEST(Decomp, InterrompueDonneLesPremiersTrouvesEtLaTailleDuReste) {
    // The numerator of H(300) (130 digits: 1637, a 6-digit prime, a
    // 19-digit and a 26-digit prime, a 76-digit prime, found one after the
    // other over a few seconds), interrupted at random instants: the primes
    // printed, each prime, times a part of the stated size, give P exactly.
    const ZZ P = sommeHarmoniqueReduite(ZZ(300), 0).P;
    std::mt19937_64 alea(7);
    bool partielleVue = false;
    for (int essai = 0; essai < 8; ++essai) {
        Facteurs f;
        f.con.sortie.clear();
        f.e.S = P;
        const auto delai = std::chrono::milliseconds(alea() % 2500);
        std::thread minuterie([delai] {
            std::this_thread::sleep_for(delai);
            interruptionDemandee.store(1);
        });
        // Joined whatever decomp does: a failure of the child is told as
        // such, not as an abort of the whole test program.
        std::string echec;
        try {
            decomp(f.e, "P");
        } catch (const EchecDuCalcul& x) {
            echec = x.raison.empty() ? "?" : x.raison;
        }
        minuterie.join();
        interruptionDemandee.store(0);  // when the factorisation ended first
        ASSERT_EQ(echec, "") << "the factorisation's child failed";
        EXPECT_TRUE(NTL::IsOne(f.e.S));
        const Partielle lue = lirePartielle(f.con.sortie);
        ZZ produit(1), precedent(0);
        for (const auto& [p, e] : lue.premiers) {
            EXPECT_TRUE(NTL::ProbPrime(p, 40)) << p;
            EXPECT_GT(p, precedent);
            precedent = p;
            produit *= NTL::power(p, e);
        }
        ASSERT_TRUE(NTL::divide(P, produit)) << f.con.sortie;
        if (lue.nonFactorises == 0) {
            EXPECT_EQ(produit, P) << f.con.sortie;
            continue;
        }
        partielleVue = true;
        EXPECT_EQ(nombreDeChiffres(P / produit), lue.nonFactorises) << f.con.sortie;
        EXPECT_NE(produit, P);
        // The text's form.
        const std::string fin = "[" + std::to_string(lue.nonFactorises) + " chiffres non factorises]";
        EXPECT_EQ(f.con.sortie.substr(f.con.sortie.size() - fin.size()), fin);
        EXPECT_EQ(f.con.sortie.substr(0, 2), "  ");
        if (!lue.premiers.empty()) {
            EXPECT_NE(f.con.sortie.find(") X ["), std::string::npos);
        }
    }
    EXPECT_TRUE(partielleVue);
}

TEST(Decomp, InterrompueAvantToutFacteur) {
    Facteurs f;
    f.e.S = NTL::power_ZZ(10, 40) + 1;
    interruptionDemandee.store(1);
    decomp(f.e, "P");
    EXPECT_EQ(interruptionDemandee.load(), 0);  // taken
    EXPECT_EQ(f.con.sortie, "  [41 chiffres non factorises]");
}
