// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 5 against the published least N with H(N) > n (OEIS A002387),
// and the bracket H(N-1) <= H < H(N) checked on the exact sums.
#include "items/euler.h"
#include "shell/console.h"
#include "commun/etat.h"
#include "items/menu.h"
#include "sums/somme_exacte.h"
#include "sums/somme_harmonique.h"

#include "precisions.h"

#include <gtest/gtest.h>

using namespace harmo;
using NTL::ZZ;

namespace {

// The N of the second line "H(N)  =  ..." that item 5 prints for the value H.
std::string encadrement(const std::string& H, long decimales) {
    ConsoleScript con(H + " " + std::to_string(decimales));
    Etat e(con);
    demarrer(e);
    calcul2(e);
    const std::size_t p = con.sortie.rfind("  H(");
    if (p == std::string::npos) return "?";
    return con.sortie.substr(p + 4, con.sortie.find(')', p) - p - 4);
}

}  // namespace

TEST(Calcul2, ValeursPubliees) {
    PrecisionsGardees garde;
    // A002387: the least k with H(k) > n, for n = 1 .. 10.
    const long a002387[] = {2, 4, 11, 31, 83, 227, 616, 1674, 4550, 12367};
    for (long n = 1; n <= 10; ++n) {
        const std::string N = encadrement(std::to_string(n), 5);
        ASSERT_EQ(N, std::to_string(a002387[n - 1])) << "H = " << n;
        // H(N-1) <= n < H(N), exactly.
        const long k = a002387[n - 1];
        Fraction avant = sommeDesCandidats(ZZ(0), ZZ(k - 1), 0), apres = sommeDesCandidats(ZZ(0), ZZ(k), 0);
        EXPECT_LE(avant.P, n * avant.Q) << n;
        EXPECT_GT(apres.P, n * apres.Q) << n;
    }
    // A002387(100), far beyond any exact sum.
    EXPECT_EQ(encadrement("100", 5), "15092688622113788323693563264538101449859497");
}
