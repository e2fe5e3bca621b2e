// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 1 driven through a scripted console: values against the sums done
// literally, term by term with NTL.
#include "shell/console.h"
#include "commun/etat.h"
#include "items/menu.h"
#include "items/hn.h"

#include "oracles/pliage_litteral.h"

#include "precisions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace harmo;

namespace {

const double LN2 = 0.6931471805599453;
const double LN10 = 2.302585092994046;

std::string lancer(const std::string& reponses) {
    ConsoleScript con(reponses);
    Etat e(con);
    demarrer(e);
    HN(e);
    return con.sortie;
}

std::string valeurAffichee(const std::string& sortie, std::size_t quelle = 0) {
    const std::string marque = "approchee  =  ";
    std::size_t p = 0;
    for (std::size_t k = 0; k <= quelle; ++k) {
        p = sortie.find(marque, p);
        if (p == std::string::npos) return "?";
        p += marque.size();
    }
    return sortie.substr(p, sortie.find(' ', p) - p);
}

long chiffres(long v) { return v == 0 ? 0 : static_cast<long>(std::to_string(v).size()); }

std::string texte(const RR& x, long nd) {
    RR::SetOutputPrecision(std::max<long>(nd, 1));
    std::ostringstream os;
    os << x;
    return os.str();
}

// Level 2 of a harmonic sum of parity 0, literally: each 1/n at the stage precision.
std::string niveau2Litteral(long N, long nd) {
    long p = static_cast<long>((chiffres(N) + nd + 2) * LN10 / LN2 + 10);
    RR res;
    for (long n = 1; n <= N; ++n) {
        RR t;
        NTL::conv(t, std::log(static_cast<double>(n)) / LN2);
        t += 10;
        RR::SetPrecision(NTL::conv<long>(t));
        RR P4 = NTL::conv<RR>(n);
        RR::SetPrecision(p);
        RR quot = 1 / P4;
        res = res + quot;
    }
    return texte(res, nd);
}

// Level 3, literally: packets filled term by term and folded one after the
// other, then P/Q converted at the bits of P plus 10.
std::string niveau3Litteral(long N, long parite, long paquet, long nd) {
    long z = parite == 0 ? 1 : 2, premier = parite == 2 ? 2 : 1;
    long M = parite == 0 ? N : parite == 2 ? N / 2 : (N + 1) / 2;
    std::vector<ZZ> termes;
    for (long n = premier; n <= N; n += z) termes.emplace_back(n);
    ZZ P(0), Q(1);
    plierParPaquets(P, Q, termes, paquet);
    long p = static_cast<long>((chiffres(M / paquet) + nd + 2) * LN10 / LN2 + 10);
    RR::SetPrecision(p);
    RR t;
    NTL::conv(t, NTL::log(P) / LN2);
    t += 10;
    RR::SetPrecision(NTL::conv<long>(t));
    RR P4 = NTL::conv<RR>(P), Q4 = NTL::conv<RR>(Q);
    RR::SetPrecision(p);
    return texte(P4 / Q4, nd);
}

}  // namespace

// Small reference sums, done by hand: 1 + 1/2 + ... + 1/8 + 1/10 = 789/280
// (without 9); 1/2 + ... + 1/10 = 137/120; 1 + 1/3 + ... + 1/9 = 563/315;
// H(4) = 25/12 and H(5) = 137/60 (OEIS A001008 / A002805).
TEST(HN, KempnerSansNeuf) {
    PrecisionsGardees garde;
    std::string s = lancer("0 10 1 1 9 3 20 4 1 0 0 0");
    EXPECT_NE(s.find("comporte  9  termes.  Le dernier est 1/10  . "), std::string::npos);
    EXPECT_NE(s.find("K(10) = P/Q  =  789 / 280 . "), std::string::npos);
}

TEST(HN, AutresParites) {
    PrecisionsGardees garde;
    std::string pairs = lancer("2 10 2 3 5 2 1 0 0 0");
    EXPECT_NE(pairs.find("'harmonique paire', de dernier terme  1/10  comporte 5  termes. "), std::string::npos);
    EXPECT_NE(pairs.find("H(10) = P/Q  =  137 / 120 . "), std::string::npos);
    std::string impairs = lancer("1 9 2 3 5 2 1 0 0 0");
    EXPECT_NE(impairs.find("'harmonique impaire', de dernier terme  1/9  comporte 5  termes. "), std::string::npos);
    EXPECT_NE(impairs.find("H(9) = P/Q  =  563 / 315 . "), std::string::npos);
}

TEST(HN, ContinuationSansRecalcul) {
    PrecisionsGardees garde;
    // 2, then 4 (4 and 2 refused afterwards, 5 accepted), exact fraction each time.
    std::string s = lancer("0 2 2 3 10 1 1 0 1 4 1 1 0 1 4 2 5 1 1 0 0 0");
    EXPECT_NE(s.find("H(2) = P/Q  =  3 / 2 . "), std::string::npos);
    EXPECT_NE(s.find("H(4) = P/Q  =  25 / 12 . "), std::string::npos);
    EXPECT_NE(s.find("H(5) = P/Q  =  137 / 60 . "), std::string::npos);
    EXPECT_NE(s.find("1/4  comporte 4  termes. "), std::string::npos);
}

TEST(HN, Niveau2CommeTermeATerme) {
    PrecisionsGardees garde;
    for (long N : {1L, 7L, 100L, 1000L}) {
        for (long nd : {0L, 5L, 30L}) {
            std::string s = lancer("0 " + std::to_string(N) + " 2 2 " + std::to_string(nd) + " 0 0");
            EXPECT_EQ(valeurAffichee(s), niveau2Litteral(N, nd)) << N << " " << nd;
        }
    }
}

TEST(HN, Niveau3CommeLePliageLitteral) {
    PrecisionsGardees garde;
    // The odd/even splitting gives another unreduced pair: the value shown
    // must be the literal one all the same.
    for (long parite : {0L, 1L, 2L}) {
        for (long N : {1L, 2L, 9L, 10L, 301L, 2000L}) {
            if (parite == 1 && N % 2 == 0) continue;
            if (parite == 2 && N % 2 == 1) continue;
            for (long nd : {3L, 40L}) {
                for (long paquet : {1L, 7L}) {
                    std::string r = std::to_string(parite) + " " + std::to_string(N) + " 2 3 " + std::to_string(nd) +
                                    " " + std::to_string(paquet) + " 0 0 0";
                    EXPECT_EQ(valeurAffichee(lancer(r)), niveau3Litteral(N, parite, paquet, nd))
                        << parite << " " << N << " " << nd << " " << paquet;
                }
            }
        }
    }
}

TEST(HN, AucunTermeGarde) {
    PrecisionsGardees garde;
    // A sequence of no digit removes every term: count 0, value 0, no stale denominator.
    std::string s = lancer("0 10 1 0 3 5 4 1 1 0 0");
    EXPECT_NE(s.find("comporte  0  termes.  Aucun terme n'a ete garde. "), std::string::npos);
    EXPECT_NE(s.find("approchee  =  0"), std::string::npos);
    EXPECT_NE(s.find("K(10) = P/Q  =  0 / 1 . "), std::string::npos);
    EXPECT_NE(s.find("P =   0"), std::string::npos);
}

TEST(HN, NiveauUnSansGrandeArithmetique) {
    PrecisionsGardees garde;
    std::string s = lancer("0 1000000000000000000000000000000 2 1 0 0");
    EXPECT_NE(s.find("1/1000000000000000000000000000000  comporte 1000000000000000000000000000000  termes. "),
              std::string::npos);
}

TEST(HN, KempnerLongSurDeuxCoeursCommeEnDeuxEtapes) {
    PrecisionsGardees garde;
    auto ligne = [](const std::string& s, const std::string& debut) {
        std::size_t p = s.rfind(debut);
        return p == std::string::npos ? std::string("?") : s.substr(p, s.find(" . ", p) - p);
    };
    for (const char* parite : {"0", "1"}) {
        std::string N = std::string(parite) == "0" ? "300000" : "300001";
        std::string une = lancer(std::string(parite) + " " + N + " 1 2 1 2 3 10 1000 1 0 0 0");
        std::string deux = lancer(std::string(parite) + " 150001 1 2 1 2 3 10 1000 0 1 " + N + " 1000 1 0 0 0");
        EXPECT_EQ(ligne(une, "K("), ligne(deux, "K(")) << parite;
        EXPECT_EQ(ligne(une, "comporte"), ligne(deux, "comporte")) << parite;
        EXPECT_EQ(valeurAffichee(une), valeurAffichee(deux, 1)) << parite;
    }
}

TEST(HN, Niveau2ContinuationALaPrecisionDeChaqueEtape) {
    PrecisionsGardees garde;
    // The sum of the first stage is kept as it is and the terms of the second
    // are added at the second stage's own precision.
    long nd = 25;
    long p1 = static_cast<long>((chiffres(50) + nd + 2) * LN10 / LN2 + 10);
    long p2 = static_cast<long>((chiffres(2000 - 50) + nd + 2) * LN10 / LN2 + 10);
    RR res;
    for (long n = 1; n <= 2000; ++n) {
        RR::SetPrecision(n <= 50 ? p1 : p2);
        RR quot = 1 / NTL::conv<RR>(n);
        res = res + quot;
    }
    std::string s = lancer("0 50 2 2 25 1 2000 0 0");
    EXPECT_EQ(valeurAffichee(s, 1), texte(res, nd));
}
