// SPDX-License-Identifier: GPL-3.0-or-later
// The digit-sequence test: the literal scan with its fall-back, and the
// automaton on machine words and on ZZ, against a plain search in the
// decimal text.
#include "sums/sequence.h"

#include "oracles/sequence_litterale.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

using namespace harmo;

namespace {

struct Seq {
    explicit Seq(const std::string& chiffres) : ch(100, 0), automate(vecteur(chiffres)) {
        chn = static_cast<long>(chiffres.size());
        for (std::size_t t = 0; t < chiffres.size(); ++t) ch[t + 1] = chiffres[t] - '0';
    }
    static std::vector<long> vecteur(const std::string& c) {
        std::vector<long> v;
        for (char x : c) v.push_back(x - '0');
        return v;
    }
    bool scan(unsigned long n) { return sequenceTrouveeLitterale(ch, chn, NTL::conv<NTL::ZZ>(n)); }
    std::vector<long> ch;
    long chn = 0;
    SequenceChiffres automate;
};

}  // namespace

TEST(Sequence, CasConnus) {
    Seq s211("211");
    for (unsigned long n : {2111ul, 1211ul, 211ul}) {
        EXPECT_TRUE(s211.scan(n)) << n;
        EXPECT_TRUE(s211.automate.trouvee(n)) << n;
    }
    for (unsigned long n : {2121ul, 11ul}) {
        EXPECT_FALSE(s211.scan(n)) << n;
        EXPECT_FALSE(s211.automate.trouvee(n)) << n;
    }
    Seq s05("05");
    EXPECT_TRUE(s05.scan(105));
    EXPECT_FALSE(s05.scan(5));
    EXPECT_FALSE(s05.scan(150));
    Seq s0("0");
    EXPECT_TRUE(s0.scan(10));
    EXPECT_TRUE(s0.scan(100));
    for (unsigned long n = 1; n <= 9; ++n) EXPECT_FALSE(s0.scan(n));
    Seq s11("11");
    EXPECT_TRUE(s11.scan(1011));
    EXPECT_FALSE(s11.scan(101));
    Seq s2223("2223");
    EXPECT_TRUE(s2223.scan(22223));
    EXPECT_TRUE(s2223.automate.trouvee(22223));
    Seq vide("");
    EXPECT_TRUE(vide.scan(1));
    EXPECT_TRUE(vide.automate.trouvee(12345));
}

// Sequences with repeated digits and self-overlaps stress the fall-back.
TEST(Sequence, CommeUneRechercheDansLeTexte) {
    const char* sequences[] = {"1", "9", "0", "00", "11", "121", "1121", "2121", "1212", "0101", "2223",
                               "22", "112112", "9999", "010", "123", "311311", "5", "45", "100",
                               "121121", "123412", "000000001", "987654321"};
    std::mt19937_64 alea(20261208);
    for (const char* texte : sequences) {
        Seq s(texte);
        for (int essai = 0; essai < 4000; ++essai) {
            unsigned long n;
            switch (essai % 3) {
                case 0: n = static_cast<unsigned long>(essai) + 1; break;
                case 1: n = alea() % 100000000ul + 1; break;
                default: {
                    // Numbers built from the sequence's own digits, so that matches are frequent.
                    std::string t;
                    int longueur = 1 + static_cast<int>(alea() % 14);
                    for (int c = 0; c < longueur; ++c) t.push_back(texte[alea() % std::strlen(texte)]);
                    if (t[0] == '0') t[0] = '1';
                    n = std::stoul(t);
                }
            }
            bool attendu = std::to_string(n).find(texte) != std::string::npos;
            ASSERT_EQ(s.scan(n), attendu) << texte << " in " << n;
            ASSERT_EQ(s.automate.trouvee(n), attendu) << texte << " in " << n;
            if (essai % 50 == 0) {  // the ZZ path
                ASSERT_EQ(s.automate.trouvee(NTL::conv<NTL::ZZ>(n)), attendu) << texte << " in " << n;
            }
        }
    }
}

TEST(Sequence, GrandsNombresSurZZ) {
    // Numbers of 20 to 80 digits: the ZZ path of the automaton and the
    // literal scan, against the decimal text.
    std::mt19937_64 alea(31);
    for (const char* texte : {"9", "42", "121", "0000", "314159", "123456789"}) {
        Seq s(texte);
        for (int essai = 0; essai < 300; ++essai) {
            std::string t(1, static_cast<char>('1' + alea() % 9));
            const int longueur = 20 + static_cast<int>(alea() % 61);
            while (static_cast<int>(t.size()) < longueur)
                t.push_back(alea() % 4 == 0 ? texte[alea() % std::strlen(texte)] : static_cast<char>('0' + alea() % 10));
            const NTL::ZZ n = NTL::conv<NTL::ZZ>(t.c_str());
            const bool attendu = t.find(texte) != std::string::npos;
            ASSERT_EQ(s.automate.trouvee(n), attendu) << texte << " in " << t;
            ASSERT_EQ(sequenceTrouveeLitterale(s.ch, s.chn, n), attendu) << texte << " in " << t;
        }
    }
}
