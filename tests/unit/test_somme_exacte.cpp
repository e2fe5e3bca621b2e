// SPDX-License-Identifier: GPL-3.0-or-later
// Exact sums: the balanced tree and the odd/even splitting against the packet
// fold done term by term and packet after packet.
#include "sums/reduction.h"
#include "sums/somme_exacte.h"

#include "oracles/pliage_litteral.h"

#include <gtest/gtest.h>

#include <random>

using namespace harmo;

namespace {

bool memeValeur(const Fraction& a, const ZZ& P, const ZZ& Q) { return a.P * Q == P * a.Q; }

}  // namespace

TEST(SommeExacte, ValeursPubliees) {
    // H(10), H(20) and H(30), as tabulated (OEIS A001008 / A002805).
    struct { long n; const char* p; const char* q; } table[] = {
        {10, "7381", "2520"},
        {20, "55835135", "15519504"},
        {30, "9304682830147", "2329089562800"},
    };
    for (auto& t : table) {
        Fraction f = sommeIntervalle(ZZ(0), ZZ(t.n));
        EXPECT_TRUE(memeValeur(f, NTL::conv<ZZ>(t.p), NTL::conv<ZZ>(t.q))) << t.n;
    }
    // The odd terms up to 9 and the even terms up to 10.
    Fraction impairs = sommeImpairs(ZZ(0), ZZ(9));
    EXPECT_TRUE(memeValeur(impairs, ZZ(563), ZZ(315)));
    Fraction pairs = sommeIntervalle(ZZ(0), ZZ(5));
    NTL::mul(pairs.Q, pairs.Q, 2);
    EXPECT_TRUE(memeValeur(pairs, ZZ(137), ZZ(120)));
}

TEST(SommeExacte, ArbreEgalAuPliageParPaquets) {
    std::mt19937_64 alea(7);
    for (int essai = 0; essai < 60; ++essai) {
        // A running fraction from an earlier stage, then a stage of kept terms.
        ZZ P = ZZ(alea() % 1000), Q = ZZ(alea() % 1000 + 1);
        std::vector<ZZ> gardes;
        unsigned long n = alea() % 50;
        int nombre = static_cast<int>(alea() % 300);
        for (int t = 0; t < nombre; ++t) {
            n += 1 + alea() % 5;
            gardes.emplace_back(n);
        }
        long paquet = 1 + static_cast<long>(alea() % 40);
        ZZ Pa = P, Qa = Q;
        plierParPaquets(Pa, Qa, gardes, paquet);

        SommeEnArbre arbre;
        for (std::size_t t = 0; t < gardes.size(); ++t) {
            if (t % 7 == 3)
                arbre.terme(gardes[t]);  // the ZZ path mixed in
            else
                arbre.terme(NTL::conv<unsigned long>(gardes[t]));
        }
        Fraction f = arbre.resultat();
        ZZ Pb = f.Q * P + f.P * Q, Qb = f.Q * Q;
        ASSERT_EQ(Pa, Pb) << essai;
        ASSERT_EQ(Qa, Qb) << essai;
    }
}

TEST(SommeExacte, ImpairsMemesEntiersQueTermeATerme) {
    for (long a : {0L, 1L, 2L, 7L, 100L}) {
        for (long b : {1L, 3L, 50L, 51L, 333L}) {
            if (b <= a) continue;
            std::vector<ZZ> gardes;
            for (long n = a + 1; n <= b; ++n)
                if (n % 2) gardes.emplace_back(n);
            ZZ P(0), Q(1);
            plierParPaquets(P, Q, gardes, 1);
            Fraction f = sommeImpairs(ZZ(a), ZZ(b));
            EXPECT_EQ(f.P, P) << a << " " << b;
            EXPECT_EQ(f.Q, Q) << a << " " << b;
        }
    }
}

TEST(SommeExacte, DecoupageMemeValeur) {
    std::mt19937_64 alea(11);
    for (int essai = 0; essai < 40; ++essai) {
        long a = static_cast<long>(alea() % 3000);
        long b = a + 1 + static_cast<long>(alea() % 3000);
        std::vector<ZZ> tous;
        for (long n = a + 1; n <= b; ++n) tous.emplace_back(n);
        ZZ P(0), Q(1);
        plierParPaquets(P, Q, tous, 1000);
        ASSERT_TRUE(memeValeur(sommeIntervalle(ZZ(a), ZZ(b)), P, Q)) << a << " " << b;
    }
    EXPECT_TRUE(NTL::IsZero(sommeIntervalle(ZZ(5), ZZ(5)).P));
    EXPECT_TRUE(memeValeur(sommeIntervalle(ZZ(0), ZZ(1)), ZZ(1), ZZ(1)));
}

TEST(SommeExacte, AuDelaDesMotsMachine) {
    // Denominators past 2^62 take the ZZ path, with the same value.
    ZZ base = NTL::power_ZZ(2, 64) + 1;
    Fraction f = sommeImpairs(base - 1, base + 4);  // odd numbers base, base + 2, base + 4
    ZZ P(0), Q(1);
    plierParPaquets(P, Q, {base, base + 2, base + 4}, 2);
    EXPECT_EQ(f.P, P);
    EXPECT_EQ(f.Q, Q);
}

TEST(SommeExacte, ReductionPremierParPremierCommeLePgcd) {
    for (long parite : {0L, 1L, 2L}) {
        for (long N = 1; N <= 400; ++N) {
            if ((parite == 1 && N % 2 == 0) || (parite == 2 && N % 2 == 1)) continue;
            Fraction f = parite == 1 ? sommeImpairs(ZZ(0), ZZ(N)) : sommeIntervalle(ZZ(0), ZZ(parite == 2 ? N / 2 : N));
            if (parite == 2) f.Q *= 2;
            ZZ g = NTL::GCD(f.P, f.Q), Pa = f.P / g, Qa = f.Q / g;
            // Unreduced, and already reduced: the same lowest terms.
            ZZ P = f.P, Q = f.Q;
            reduireSommeHarmonique(P, Q, ZZ(N), parite);
            ASSERT_EQ(P, Pa) << parite << " " << N;
            ASSERT_EQ(Q, Qa) << parite << " " << N;
            reduireSommeHarmonique(P, Q, ZZ(N), parite);
            ASSERT_EQ(Q, Qa) << parite << " " << N;
        }
    }
    // The primes p > sqrt(N) that divide the numerator of H(N) (Wolstenholme-like
    // cases) are where a wrong test would show: N = 20000 against the gcd.
    Fraction f = sommeIntervalle(ZZ(0), ZZ(20000));
    ZZ g = NTL::GCD(f.P, f.Q);
    ZZ P = f.P, Q = f.Q;
    reduireSommeHarmonique(P, Q, ZZ(20000), 0);
    EXPECT_EQ(Q, f.Q / g);
    EXPECT_EQ(P, f.P / g);
}
