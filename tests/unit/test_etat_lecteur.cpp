// SPDX-License-Identifier: GPL-3.0-or-later
// The program state at start and the input reader's cases.
#include "shell/console.h"
#include "commun/etat.h"
#include "shell/lecteur.h"
#include "items/menu.h"

#include "precisions.h"

#include <gtest/gtest.h>

using namespace harmo;

namespace {

struct Lecture {
    explicit Lecture(std::string entree) : con(std::move(entree)), e(con) {}
    // Runs one reader call; returns how many times the prompt was printed.
    int lire(int cas, long xn = 0) {
        con.sortie.clear();
        e.message = "<?>";
        e.xn = xn;
        controle(e, cas, e.message);
        e.xn = 0;
        int n = 0;
        for (std::size_t p = con.sortie.find("<?>"); p != std::string::npos; p = con.sortie.find("<?>", p + 1)) ++n;
        EXPECT_EQ(con.sortie.size(), 3u * n) << "only the prompt may be printed";
        return n;
    }
    ConsoleScript con;
    Etat e;
};

}  // namespace

TEST(Etat, ValeursInitiales) {
    ConsoleScript con("");
    Etat e(con);
    EXPECT_EQ(RR::precision(), 150);
    EXPECT_EQ(RR::OutputPrecision(), 10);
    EXPECT_EQ(e.recalc, 1);
    EXPECT_EQ(e.choix, 10);
    EXPECT_EQ(e.ch.size(), 100u);
    EXPECT_TRUE(NTL::IsZero(e.P));
    EXPECT_TRUE(NTL::IsZero(e.valeurR));
    EXPECT_EQ(e.Nprem.length(), 0);
    demarrer(e);
    EXPECT_EQ(e.np, 2);
    ASSERT_EQ(e.Nprem.length(), 3);
    EXPECT_EQ(e.Nprem[1], 2);
    EXPECT_EQ(e.Nprem[2], 3);
    EXPECT_EQ(e.refaire1, 0);
}

TEST(Lecteur, CasDeChoix) {
    Lecture l("2 01 oui O 1 0");
    EXPECT_EQ(l.lire(casOuiNon), 5);
    EXPECT_EQ(l.e.valeur2, 1);
    EXPECT_EQ(l.lire(casOuiNon), 1);
    EXPECT_EQ(l.e.valeur2, 0);

    Lecture deux("0 2");
    EXPECT_EQ(deux.lire(casUnDeux), 2);
    EXPECT_EQ(deux.e.valeur2, 2);

    Lecture menu("6 05 5");
    EXPECT_EQ(menu.lire(casMenu), 3);
    EXPECT_EQ(menu.e.valeur2, 5);

    Lecture chiffre("10 9");
    EXPECT_EQ(chiffre.lire(casChiffre), 2);
    EXPECT_EQ(chiffre.e.valeur2, 9);

    Lecture niveau("0 4 3");
    EXPECT_EQ(niveau.lire(casNiveau), 3);
    EXPECT_EQ(niveau.e.valeur2, 3);

    Lecture parite("3 2");
    EXPECT_EQ(parite.lire(casParite), 2);
    EXPECT_EQ(parite.e.valeur2, 2);
}

TEST(Lecteur, EntiersRefusesEtAcceptes) {
    Lecture l("007 00 +0 +05 -3 3- 1+2 1.0 1,5 1e3 + +7");
    EXPECT_EQ(l.lire(casEntier), 12);
    EXPECT_EQ(l.e.valeur, 7);

    Lecture plus("+10 0");
    EXPECT_EQ(plus.lire(casEntier), 1);
    EXPECT_EQ(plus.e.valeur, 10);
    EXPECT_EQ(plus.lire(casEntier, 0), 1);
    EXPECT_EQ(plus.e.valeur, 0);

    Lecture zero("0 5");
    EXPECT_EQ(zero.lire(casEntier, 1), 2);
    EXPECT_EQ(zero.e.valeur, 5);
}

TEST(Lecteur, GrandEntierExact) {
    const std::string quarante = "1234567890123456789012345678901234567890";
    Lecture l(quarante);
    l.lire(casEntier);
    EXPECT_EQ(l.e.valeur, NTL::conv<ZZ>(quarante.c_str()));
    // A whole number at the limit of a token is read exactly too.
    std::string long_(Console::maxJeton, '7');
    Lecture g(long_);
    g.lire(casEntier);
    EXPECT_EQ(NTL::NumBits(g.e.valeur), NTL::NumBits(NTL::conv<ZZ>(long_.c_str())));
    EXPECT_EQ(g.e.valeur, NTL::conv<ZZ>(long_.c_str()));
}

TEST(Lecteur, JetonTropLongRefuse) {
    std::string enorme(3 * Console::maxJeton, '1');
    Lecture l(enorme + " 4");
    EXPECT_EQ(l.lire(casEntier), 2);
    EXPECT_EQ(l.e.valeur, 4);
    EXPECT_LE(l.e.entree.size(), Console::maxJeton);
}

TEST(Lecteur, Decimaux) {
    Lecture l(". 1.2.3 +1 -1 1e-3 1,5 .5 5. 000.250 007.50");
    EXPECT_EQ(l.lire(casDecimal), 7);
    EXPECT_EQ(l.e.valeurR, NTL::conv<RR>(0.5));
    l.lire(casDecimal);
    EXPECT_EQ(l.e.valeurR, NTL::conv<RR>(5));
    // 0.2 and 0.05, each rounded at 150 bits, then added.
    l.lire(casDecimal);
    RR deux, cinq, attendu;
    NTL::div(deux, NTL::conv<RR>(2), NTL::conv<RR>(10));
    NTL::div(cinq, NTL::conv<RR>(5), NTL::conv<RR>(100));
    NTL::add(attendu, deux, cinq);
    EXPECT_EQ(l.e.valeurR, attendu);
    l.lire(casDecimal);
    EXPECT_EQ(l.e.valeurR, NTL::conv<RR>(7.5));
}

TEST(Lecteur, DecimalALaPrecisionEnVigueur) {
    PrecisionsGardees garde;
    RR::SetPrecision(60);
    Lecture a("0.1");
    a.lire(casDecimal);
    RR dixieme60 = NTL::conv<RR>(1) / NTL::conv<RR>(10);
    RR::SetPrecision(300);
    Lecture b("0.1");
    b.lire(casDecimal);
    EXPECT_EQ(a.e.valeurR, dixieme60);
    EXPECT_NE(a.e.valeurR, b.e.valeurR);
}

TEST(Lecteur, DecimalZeroRefuse) {
    Lecture l("0 0.0 00.000 2");
    EXPECT_EQ(l.lire(casDecimal, 1), 4);
    EXPECT_EQ(l.e.valeurR, NTL::conv<RR>(2));
}

TEST(Lecteur, PlusieursJetonsSurUneLigne) {
    Lecture l("7 1\n");
    EXPECT_EQ(l.lire(casOuiNon), 2);
    EXPECT_EQ(l.e.valeur2, 1);
}

TEST(Lecteur, FinDeLEntree) {
    Lecture l("  7 \n ");
    EXPECT_THROW(l.lire(casOuiNon), FinDeLEntree);
}

TEST(ValTest, Caracteres) {
    ConsoleScript con("");
    Etat e(con);
    EXPECT_EQ(valtest(e, '7'), 1);
    EXPECT_EQ(e.valtest2, 7);
    EXPECT_EQ(e.valtest1, 7);
    EXPECT_EQ(valtest(e, '-'), 1);
    EXPECT_EQ(e.valtest2, -1);
    EXPECT_EQ(valtest(e, '+'), 1);
    EXPECT_EQ(e.valtest2, 1);
    EXPECT_EQ(valtest(e, 'x'), 0);
    EXPECT_EQ(e.valtest2, 0);
    EXPECT_EQ(valtest(e, '\0'), 0);
    EXPECT_EQ(valtestR(e, '.'), 1);
    EXPECT_EQ(e.valtest3, NTL::conv<RR>(0.1));
    EXPECT_EQ(valtestR(e, '3'), 1);
    EXPECT_EQ(e.valtest3, NTL::conv<RR>(3));
    EXPECT_EQ(valtestR(e, 'e'), 0);
}
