// SPDX-License-Identifier: GPL-3.0-or-later
// The progress line in the width there is: figures first, words never cut;
// and an Avancement through the text a child process hands its parent.
#include "commun/suivi.h"
#include "shell/ligne_d_avancement.h"

#include <gtest/gtest.h>

#include <string>

using namespace harmo;

namespace {

Avancement crible() {
    Avancement a;
    a.tache = "factorisation de P";
    a.phase = "crible quadratique sur 74 chiffres";
    a.phaseCourte = "crible 74 chiffres";
    a.detail = "2 premiers trouves";
    a.part = 0.137;
    return a;
}

}  // namespace

TEST(LigneDAvancement, CeQuiCompteDAbord) {
    const Avancement a = crible();
    // Room for everything, then less and less: the wording shortens, then
    // goes, then the figures go from the last ranked (time spent) to the first.
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 200),
              "factorisation de P : crible quadratique sur 74 chiffres, 2 premiers trouves, 13 %, 6 s, encore 40 s");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 80),
              "factorisation de P : crible quadratique sur 74 chiffres, 13 %, 6 s, encore 40 s");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 64), "crible quadratique sur 74 chiffres : 13 %, 6 s, encore 40 s");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 44), "crible 74 chiffres : 13 %, 6 s, encore 40 s");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 30), "13 %, 6 s, encore 40 s");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 20), "13 %, encore 40 s");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 10), "13 %");
    EXPECT_EQ(ligneDAvancement(a, 6000, 40, 3), "");
    // Every width from 40 columns on, after a dialogue of 13 columns: the
    // share and the time left always, never past the place.
    for (int place = 24; place < 120; ++place) {
        const std::string l = ligneDAvancement(a, 125000, 2400, place);
        EXPECT_LE(static_cast<int>(l.size()), place);
        EXPECT_NE(l.find("13 %"), std::string::npos) << place;
        EXPECT_NE(l.find("encore 40 min"), std::string::npos) << place;
    }
}

TEST(LigneDAvancement, SansPartNiPhase) {
    Avancement a;
    a.tache = "calcul en cours";
    EXPECT_EQ(ligneDAvancement(a, 3000, -1, 80), "calcul en cours : 3 s");
    EXPECT_EQ(ligneDAvancement(a, 3000, -1, 10), "3 s");
    a.tache = "somme exacte";
    a.phase = "fraction irreductible";
    a.part = 0.5;
    EXPECT_EQ(ligneDAvancement(a, 75000, 75, 80), "somme exacte : fraction irreductible, 50 %, 1 min 15 s, encore 1 min");
}

TEST(LigneDAvancement, DureesDitesCommeUnePersonne) {
    EXPECT_EQ(duree(999), "0 s");
    EXPECT_EQ(duree(65000), "1 min 05 s");
    EXPECT_EQ(duree(3725000), "1 h 02 min");
    EXPECT_EQ(dureeRestante(2), "5 s");
    EXPECT_EQ(dureeRestante(41), "40 s");
    EXPECT_EQ(dureeRestante(200), "3 min");
    EXPECT_EQ(dureeRestante(7800), "2 h 10 min");
    // The pace: a quarter in 10 s leaves 30 s; too early or done, nothing.
    EXPECT_DOUBLE_EQ(resteAuRythme(0.25, 10), 30);
    EXPECT_LT(resteAuRythme(0.01, 10), 0);
    EXPECT_LT(resteAuRythme(0.5, 1), 0);
    EXPECT_LT(resteAuRythme(1, 10), 0);
}

TEST(LigneDAvancement, DUnProcessusALAutre) {
    Avancement a = crible();
    a.restant = 41.5;
    a.detail = "avec\nune fin de ligne";
    Avancement b;
    ASSERT_TRUE(depuisLigne(enLigne(a), b));
    EXPECT_EQ(b.tache, a.tache);
    EXPECT_EQ(b.phase, a.phase);
    EXPECT_EQ(b.phaseCourte, a.phaseCourte);
    EXPECT_EQ(b.detail, "avec une fin de ligne");
    EXPECT_DOUBLE_EQ(b.part, 0.137);
    EXPECT_DOUBLE_EQ(b.restant, 41.5);
    EXPECT_EQ(enLigne(a).find('\n'), std::string::npos);
    // What is not one is refused, never half read.
    for (const char* faux : {"", "somme exacte : 37 %", "a\x1f" "b\x1f" "c\x1f" "d\x1f" "x\x1f" "1",
                             "a\x1f" "b\x1f" "c\x1f" "d\x1f" "0.5\x1f" "1\x1f" "7"})
        EXPECT_FALSE(depuisLigne(faux, b)) << faux;
}
