// SPDX-License-Identifier: GPL-3.0-or-later
// The primes handed over by the factorisation engine, checked as they are
// taken out: a wrong one never reaches the factorisation shown.
#include "commun/etat.h"
#include "sums/premiers.h"

#include "console_muette.h"

#include <gtest/gtest.h>

using namespace harmo;

namespace {

struct Contexte {
    ConsoleMuette con;
    Etat e{con};
};

FacteurPremier f(long p, long e) { return {NTL::conv<ZZ>(p), e}; }

}  // namespace

TEST(Premiers, LesFacteursRemisSontVerifies) {
    // 2^3 * 7 * 101^2 = 571256, the primes handed over out of order.
    {
        Contexte c;
        c.e.S = 571256;
        EXPECT_TRUE(retirerLesFacteurs(c.e, {f(101, 2), f(2, 3), f(7, 1)}));
        EXPECT_TRUE(NTL::IsOne(c.e.S));
        ASSERT_EQ(c.e.nf, 3);
        EXPECT_EQ(c.e.Nfact[1], 2);
        EXPECT_EQ(c.e.Nexpo[1], 3);
        EXPECT_EQ(c.e.Nfact[3], 101);
        EXPECT_EQ(c.e.Nexpo[3], 2);
    }
    // A factor that does not divide, an exponent too small, one too large,
    // a 1: each is left out, the others kept, and the answer is false.
    for (const std::vector<FacteurPremier>& faux :
         {std::vector<FacteurPremier>{f(2, 3), f(13, 1), f(101, 2)}, {f(2, 2), f(7, 1), f(101, 2)},
          {f(2, 3), f(7, 2), f(101, 2)}, {f(1, 1), f(2, 3), f(7, 1)}}) {
        Contexte c;
        c.e.S = 571256;
        EXPECT_FALSE(retirerLesFacteurs(c.e, faux));
        ZZ produit = c.e.S;
        for (long i = 1; i <= c.e.nf; ++i) produit *= NTL::power(c.e.Nfact[i], NTL::conv<long>(c.e.Nexpo[i]));
        EXPECT_EQ(produit, 571256);  // what is shown and what is left still make the number
    }
    // Fewer primes than the number has: all exact, S not 1 (the caller's check).
    Contexte c;
    c.e.S = 571256;
    EXPECT_TRUE(retirerLesFacteurs(c.e, {f(2, 3)}));
    EXPECT_EQ(c.e.S, 7 * 101 * 101);
}
