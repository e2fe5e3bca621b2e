// SPDX-License-Identifier: GPL-3.0-or-later
// The weighted sums over the odd denominators, and the lowest terms found
// modulo 2^m, against the packet fold done literally and a gcd.
#include "commun/entiers.h"
#include "sums/parite.h"
#include "sums/reduction.h"
#include "sums/somme_harmonique.h"

#include "oracles/pliage_litteral.h"

#include <gtest/gtest.h>

#include <random>

using namespace harmo;
using NTL::ZZ;

namespace {

// The candidates of (A, B], summed literally and reduced by a gcd.
Fraction litterale(long A, long B, long parite) {
    std::vector<ZZ> termes;
    for (long n = A + 1; n <= B; ++n)
        if (n >= 1 && dernierChiffrePermis(n % 10, parite)) termes.emplace_back(n);
    ZZ P(0), Q(1);
    plierParPaquets(P, Q, termes, 50);
    ZZ g = NTL::GCD(P, Q);
    return Fraction{P / g, Q / g};
}

bool memeValeur(const Fraction& a, const Fraction& b) { return a.P * b.Q == b.P * a.Q; }

}  // namespace

TEST(SommeHarmonique, ReduiteCommeLePliageEtLePgcd) {
    // H(N) in lowest terms, numerators of OEIS A001008 and denominators of
    // A002805 for parity 0, computed here literally for every N up to 400.
    for (long parite : {0L, 1L, 2L}) {
        for (long N = 1; N <= 400; ++N) {
            if (!dernierChiffrePermis(N % 10, parite)) continue;
            Fraction attendu = litterale(0, N, parite), f = sommeHarmoniqueReduite(ZZ(N), parite);
            ASSERT_EQ(f.P, attendu.P) << parite << " " << N;
            ASSERT_EQ(f.Q, attendu.Q) << parite << " " << N;
        }
    }
    // Larger N, where the top of the tree is kept modulo 2^m, against the
    // level-by-level sum reduced by a gcd.
    for (long parite : {0L, 1L, 2L}) {
        for (long N : {20000L, 65537L, 150001L, 300000L}) {
            if (!dernierChiffrePermis(N % 10, parite)) ++N;
            Fraction g = parite == impaire ? sommeImpairs(ZZ(0), ZZ(N))
                                           : sommeIntervalle(ZZ(0), ZZ(parite == paire ? N / 2 : N));
            if (parite == paire) g.Q *= 2;
            reduire(g.P, g.Q);
            Fraction f = sommeHarmoniqueReduite(ZZ(N), parite);
            ASSERT_EQ(f.P, g.P) << parite << " " << N;
            ASSERT_EQ(f.Q, g.Q) << parite << " " << N;
        }
    }
}

TEST(SommeHarmonique, IntervallesPonderesCommeLePliage) {
    // Stages (A, B] of every shape: short, long, B <= 2A (each odd k at one
    // level) and B > 2A (the levels overlap).
    std::mt19937_64 alea(13);
    for (int essai = 0; essai < 300; ++essai) {
        const long parite = essai % 3;
        long A = static_cast<long>(alea() % 3000);
        long B = A + 1 + static_cast<long>(alea() % (essai % 2 ? 40 : 5000));
        if (essai % 7 == 0) A = 0;
        Fraction f = sommeDesCandidats(ZZ(A), ZZ(B), parite);
        ASSERT_TRUE(memeValeur(f, litterale(A, B, parite))) << parite << " " << A << " " << B;
    }
    EXPECT_TRUE(NTL::IsZero(sommeDesCandidats(ZZ(7), ZZ(7), 0).P));
    EXPECT_TRUE(NTL::IsZero(sommeDesCandidats(ZZ(4), ZZ(5), 2).P));
}

TEST(SommeHarmonique, GrandsDenominateurs) {
    // Around 2^32 (words joined in pairs only below 2^31) and 2^62 (the end
    // of machine words).
    for (const ZZ& centre : {NTL::power_ZZ(2, 31), NTL::power_ZZ(2, 32), NTL::power_ZZ(2, 62)}) {
        for (long parite : {0L, 1L, 2L}) {
            const ZZ A = centre - 300, B = centre + 300;
            std::vector<ZZ> termes;
            for (ZZ n = A + 1; n <= B; n += 1)
                if (dernierChiffrePermis(NTL::rem(n, 10), parite)) termes.push_back(n);
            ZZ P(0), Q(1);
            plierParPaquets(P, Q, termes, 1);
            Fraction f = sommeDesCandidats(A, B, parite);
            EXPECT_EQ(f.P * Q, P * f.Q) << centre << " " << parite;
        }
    }
}
