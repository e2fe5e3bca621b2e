// SPDX-License-Identifier: GPL-3.0-or-later
// Harmonic fraction recognition: the estimate-and-step route against the
// term-by-term subtraction, on fractions of every kind.
#include "fraction/reconnaissance.h"
#include "sums/somme_exacte.h"

#include "oracles/reconnaissance_terme_a_terme.h"

#include <gtest/gtest.h>

#include <random>

using namespace harmo;

namespace {

void memeReponse(const ZZ& P, const ZZ& Q, long parite) {
    ZZ g = NTL::GCD(P, Q);
    ZZ p = P / g, q = Q / g;
    Reconnaissance a = reconnaissanceTermeATerme(p, q, parite);
    Reconnaissance b = reconnaissanceRapide(p, q, parite);
    ASSERT_EQ(a.harmonique, b.harmonique) << P << "/" << Q << " parity " << parite;
    ASSERT_EQ(a.i, b.i) << P << "/" << Q << " parity " << parite;
    ASSERT_EQ(a.N, b.N) << P << "/" << Q << " parity " << parite;
    if (!a.harmonique) {
        ASSERT_EQ(a.Pr, b.Pr) << P << "/" << Q;
        ASSERT_EQ(a.Qr, b.Qr) << P << "/" << Q;
        ASSERT_EQ(a.Ph, b.Ph) << P << "/" << Q;
        ASSERT_EQ(a.Qh, b.Qh) << P << "/" << Q;
    }
}

}  // namespace

// By hand: 2 = H(3) + 1/6 with H(3) = 11/6; 4/3 = 1 + 1/3; 3/4 = 1/2 + 1/4.
TEST(Reconnaissance, CasConnus) {
    Reconnaissance r = reconnaissanceTermeATerme(ZZ(2), ZZ(1), 0);
    EXPECT_FALSE(r.harmonique);
    EXPECT_EQ(r.N, 3);
    EXPECT_EQ(r.i, 3);
    EXPECT_EQ(r.Pr, 1);
    EXPECT_EQ(r.Qr, 6);
    EXPECT_EQ(r.Ph, 11);
    EXPECT_EQ(r.Qh, 6);
    Reconnaissance s = reconnaissanceRapide(ZZ(2), ZZ(1), 0);
    EXPECT_EQ(s.N, 3);
    EXPECT_EQ(s.Pr, 1);
    EXPECT_EQ(s.Qr, 6);
    Reconnaissance impaire = reconnaissanceRapide(ZZ(4), ZZ(3), 1);
    EXPECT_TRUE(impaire.harmonique);
    EXPECT_EQ(impaire.N, 3);
    Reconnaissance paire = reconnaissanceRapide(ZZ(3), ZZ(4), 2);
    EXPECT_TRUE(paire.harmonique);
    EXPECT_EQ(paire.N, 4);
    EXPECT_EQ(paire.i, 2);
    Reconnaissance un = reconnaissanceRapide(ZZ(1), ZZ(1), 0);
    EXPECT_TRUE(un.harmonique);
    EXPECT_EQ(un.i, 1);
    Reconnaissance demi = reconnaissanceRapide(ZZ(1), ZZ(2), 2);
    EXPECT_TRUE(demi.harmonique);
    EXPECT_EQ(demi.N, 2);
}

TEST(Reconnaissance, SommesHarmoniquesExactes) {
    // Every H(N) is recognised with its N, and H(N) plus or minus a little is not.
    for (long parite : {0L, 1L, 2L}) {
        for (long m : {1L, 2L, 3L, 10L, 57L, 300L}) {
            ZZ d = parite == 0 ? ZZ(m) : parite == 1 ? ZZ(2 * m - 1) : ZZ(2 * m);
            Fraction h = parite == 1 ? sommeImpairs(ZZ(0), d) : sommeIntervalle(ZZ(0), ZZ(m));
            if (parite == 2) h.Q *= 2;
            Reconnaissance r = reconnaissanceRapide(h.P / NTL::GCD(h.P, h.Q), h.Q / NTL::GCD(h.P, h.Q), parite);
            EXPECT_TRUE(r.harmonique) << parite << " " << m;
            EXPECT_EQ(r.N, d);
            EXPECT_EQ(r.i, m);
            memeReponse(h.P * 1000001 + h.Q, h.Q * 1000001, parite);
            memeReponse(h.P * 1000001 - h.Q, h.Q * 1000001, parite);
        }
    }
}

TEST(Reconnaissance, FractionsAuHasard) {
    std::mt19937_64 alea(42);
    for (int essai = 0; essai < 300; ++essai) {
        long parite = essai % 3;
        ZZ Q = ZZ(1 + alea() % 5000);
        // Values from the first term up to sums of a few hundred terms, reduced or not.
        const unsigned long q = NTL::conv<unsigned long>(Q);
        ZZ P = Q + ZZ(alea() % ((parite == 0 ? 5 : 3) * q + 1));
        if (parite == 2) P = (Q + 1) / 2 + ZZ(alea() % (2 * q + 1));
        ZZ facteur = ZZ(1 + alea() % 3);
        memeReponse(P * facteur, Q * facteur, parite);
    }
}

TEST(Reconnaissance, AuDelaDeLaPortee) {
    // 12 bytes per unit of the lcm's bound beside what the program holds:
    // 1.2e10 bytes hold a sum of 1e9 terms (parity 0 and 2), of 5e8 odd terms
    // (bound 1e9).
    const double octets = 12e9;
    EXPECT_EQ(termesMaximaux(0, octets), 1e9);
    EXPECT_EQ(termesMaximaux(2, octets), 1e9);
    EXPECT_EQ(termesMaximaux(1, octets), 5e8);
    EXPECT_EQ(termesMaximaux(0, 0), 0);
    const double limite = termesMaximaux(0, octets);
    EXPECT_GT(termesEstimes(ZZ(25), ZZ(1), 0), limite);  // about 4e10 terms
    EXPECT_LT(termesEstimes(ZZ(20), ZZ(1), 0), limite);  // about 2.7e8 terms
    EXPECT_GT(termesEstimes(ZZ(12), ZZ(1), 1), termesMaximaux(1, octets));
    EXPECT_GT(termesEstimes(NTL::power_ZZ(10, 5000), ZZ(1), 0), limite);
}
