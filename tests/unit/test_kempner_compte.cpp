// SPDX-License-Identifier: GPL-3.0-or-later
// Counting Kempner terms digit by digit, against the enumeration itself.
#include "sums/kempner_compte.h"
#include "sums/sequence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace harmo;

namespace {
std::vector<long> vecteur(const std::string& c) {
    std::vector<long> v;
    for (char x : c) v.push_back(x - '0');
    return v;
}
}  // namespace

TEST(KempnerCompte, CommeLEnumeration) {
    const char* sequences[] = {"9", "0", "1", "11", "05", "211", "121", "2223", "00", "314", "9999"};
    std::mt19937_64 alea(5);
    for (const char* texte : sequences) {
        std::vector<long> seq = vecteur(texte);
        SequenceChiffres automate(seq);
        for (long parite : {0L, 1L, 2L}) {
            // Running counts and last kept numbers from 1 to 30000, checked at many points.
            unsigned long compte = 0, dernier = 0;
            for (unsigned long n = 1; n <= 30000; ++n) {
                bool candidat = parite == 0 || (n % 2 == 1) == (parite == 1);
                if (candidat && !automate.trouvee(n)) {
                    ++compte;
                    dernier = n;
                }
                if (n < 300 || alea() % 97 == 0) {
                    ASSERT_EQ(compterSansSequence(ZZ(n), seq, parite), compte) << texte << " " << parite << " " << n;
                    ZZ plusGrand;
                    bool existe = plusGrandSansSequence(ZZ(n), seq, parite, plusGrand);
                    ASSERT_EQ(existe, compte > 0) << texte << " " << n;
                    if (existe) {
                        ASSERT_EQ(plusGrand, dernier) << texte << " " << parite << " " << n;
                    }
                }
            }
        }
    }
}

TEST(KempnerCompte, GrandsNombres) {
    // Numbers of up to 30 digits without a 9: 9^30 - 1 of them have at most
    // 30 digits (every digit 0-8, not all zero).
    ZZ N = NTL::power_ZZ(10, 30) - 1;
    EXPECT_EQ(compterSansSequence(N, {9}, 0), NTL::power_ZZ(9, 30) - 1);
    ZZ n;
    ASSERT_TRUE(plusGrandSansSequence(N, {9}, 0, n));
    EXPECT_EQ(n, NTL::conv<ZZ>("888888888888888888888888888888"));
    ASSERT_TRUE(plusGrandSansSequence(NTL::conv<ZZ>("1999999999999999999999"), {1}, 1, n));
    EXPECT_EQ(n, NTL::conv<ZZ>("999999999999999999999"));
    EXPECT_EQ(compterSansSequence(ZZ(0), {1}, 0), 0);
    EXPECT_EQ(compterSansSequence(ZZ(-1), {1}, 0), 0);
    EXPECT_EQ(compterSansSequence(ZZ(1000), {}, 0), 0);
    EXPECT_FALSE(plusGrandSansSequence(ZZ(1), {1}, 0, n));
}
