// SPDX-License-Identifier: GPL-3.0-or-later
// The constant, the expansion terms, and the values of H(N) by the expansion.
#include "commun/pont_mpfr.h"
#include "commun/transcendantes.h"
#include "commun/constantes.h"
#include "commun/ecriture_rr.h"
#include "commun/etat.h"
#include "euler/constante.h"
#include "euler/developpement.h"
#include "euler/repli_decimal.h"
#include "euler/termes.h"
#include "euler/valeur_de_hn.h"

#include "console_muette.h"
#include "precisions.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>
#include <string>

using namespace harmo;

namespace {

struct Contexte {
    ConsoleMuette con;
    Etat e{con};
};

// The constant folded decimal after decimal, from the last one wanted back to
// the first, each addition and division rounded: the first way of building it.
RR constanteHorner(long l3, long p0) {
    RR::SetPrecision(p0 + 200);
    RR cst;
    for (long k = l3 + 1; k > 0; --k) {
        long chiffre = k - 1 < nChiffresE ? chiffresE[k - 1] - '0' : 0;
        cst = (cst + chiffre) / 10;
    }
    return cst;
}

// |a - b| <= |b| 2^-bits
bool proches(const RR& a, const RR& b, long bits) {
    if (IsZero(b)) return IsZero(a);
    return NTL::abs(a - b) <= NTL::abs(b) * NTL::power2_RR(-bits);
}

}  // namespace

TEST(Constante, TexteStockeExact) {
    // Every stored decimal against MPFR's own constant, computed anew with
    // guard digits (40 of them are not all 9s or 0s at the cut).
    ASSERT_EQ(nChiffresE, 170000);
    ASSERT_EQ(std::strncmp(chiffresE, "5772156649015328606065120900824", 31), 0);
    const long garde = 40;
    mpfr_t g;
    mpfr_init2(g, static_cast<mpfr_prec_t>((nChiffresE + garde) * 3.3219280948873623) + 64);
    mpfr_const_euler(g, MPFR_RNDN);
    mpfr_exp_t ex;
    char* s = mpfr_get_str(nullptr, &ex, 10, static_cast<size_t>(nChiffresE + garde), g, MPFR_RNDZ);
    EXPECT_EQ(ex, 0);
    EXPECT_EQ(std::string(s, static_cast<size_t>(nChiffresE)), std::string(chiffresE, static_cast<size_t>(nChiffresE)));
    EXPECT_EQ(chiffresE[nChiffresE], '\0');
    mpfr_free_str(s);
    mpfr_clear(g);
}

TEST(Constante, TronqueeAuNombreDeDecimalesDemande) {
    PrecisionsGardees garde;
    Contexte c;
    Etat& e = c.e;
    e.p0 = 500;
    e.l3 = 30;
    CstE(e);
    EXPECT_EQ(RR::precision(), 700);
    EXPECT_EQ(e.l4, 169999);
    EXPECT_EQ(e.l3, 0);
    RR attendu = NTL::conv<RR>("0.5772156649015328606065120900824");  // rounded at 700 bits
    EXPECT_TRUE(proches(e.cst, attendu, 690));
    // The same roundings as the fold done with RR, to the last bit.
    EXPECT_EQ(e.cst, constanteHorner(30, 500));

    e.l3 = 0;
    CstE(e);
    EXPECT_EQ(e.cst, NTL::conv<RR>(0.5));
    e.l3 = 1;
    CstE(e);
    EXPECT_EQ(e.cst, constanteHorner(1, 500));
    e.l3 = -1;
    CstE(e);
    EXPECT_TRUE(IsZero(e.cst));
    EXPECT_EQ(e.l3, 0);
    e.l3 = -5;
    CstE(e);
    EXPECT_TRUE(IsZero(e.cst));
    EXPECT_EQ(e.l3, -4);
    // A precision below 53 bits is raised to 53, as RR does.
    e.p0 = -190;
    e.l3 = 40;
    CstE(e);
    EXPECT_EQ(RR::precision(), 53);
    EXPECT_EQ(e.cst, constanteHorner(40, -190));

    // All the stored decimals, and past them zeros.
    e.p0 = 2000;
    e.l3 = 169999;
    CstE(e);
    RR tous = e.cst;
    EXPECT_EQ(tous, constanteHorner(169999, 2000));
    e.l3 = 200000;
    CstE(e);
    EXPECT_EQ(e.cst, tous);
}

TEST(Termes, ValeursDesCoefficients) {
    PrecisionsGardees garde;
    Contexte c;
    Etat& e = c.e;
    e.Eu.SetLength(34);
    e.p0 = 500;
    NTL::conv(e.NR, 1000);
    e.k0 = 2;
    Euler1(e);
    EXPECT_EQ(RR::precision(), 700);
    EXPECT_EQ(e.Eu[2], -(NTL::conv<RR>(1) / NTL::conv<RR>(12000000)));
    NTL::conv(e.NR, 10);
    e.k0 = 12;
    Euler1(e);
    EXPECT_EQ(e.Eu[12], NTL::conv<RR>(691) / (NTL::conv<RR>(32760) * NTL::power(NTL::conv<RR>(10), 12)));
    // The table: each a/c is |B(k)|/k, and the signs alternate from - at k = 2.
    const char* bernoulli[16][2] = {{"1", "6"}, {"1", "30"}, {"1", "42"}, {"1", "30"}, {"5", "66"},
                                    {"691", "2730"}, {"7", "6"}, {"3617", "510"}, {"43867", "798"},
                                    {"174611", "330"}, {"854513", "138"}, {"236364091", "2730"},
                                    {"8553103", "6"}, {"23749461029", "870"}, {"8615841276005", "14322"},
                                    {"7709321041217", "510"}};
    for (long k = 2; k <= 32; k += 2) {
        const Coefficient& co = coefficient(k);
        ZZ a = NTL::conv<ZZ>(static_cast<long>(co.a)), cc = NTL::conv<ZZ>(static_cast<long>(co.c));
        ZZ bn = NTL::conv<ZZ>(bernoulli[k / 2 - 1][0]), bd = NTL::conv<ZZ>(bernoulli[k / 2 - 1][1]);
        EXPECT_EQ(a * bd * k, bn * cc) << k;  // a/c = |B(k)|/k  (|B(k)| from the published table)
        EXPECT_EQ(co.signe, k % 4 == 2 ? -1 : +1) << k;
    }
}

TEST(Termes, IndicesHorsTableEtSommes) {
    PrecisionsGardees garde;
    Contexte c;
    Etat& e = c.e;
    e.Eu.SetLength(34);
    e.p0 = 100;
    NTL::conv(e.NR, 7);
    for (long k = 2; k <= 32; k += 2) {
        e.k0 = k;
        Euler1(e);
    }
    Vec<RR> avant = e.Eu;
    for (long k : {3L, 0L, 34L}) {
        e.k0 = k;
        RR::SetPrecision(60);
        Euler1(e);
        EXPECT_EQ(RR::precision(), 300);
        EXPECT_EQ(e.R10, 10);
        EXPECT_EQ(e.R32, 32);
        for (long t = 0; t < 34; ++t) EXPECT_EQ(e.Eu[t], avant[t]);
    }
    RR demiInverse = NTL::conv<RR>(1) / (e.NR * 2);
    e.k0 = 1;
    somme1(e);
    EXPECT_EQ(e.Sk, demiInverse);
    EXPECT_EQ(e.j, 2);
    e.k0 = 4;
    somme1(e);
    EXPECT_EQ(e.Sk, (demiInverse + e.Eu[2]) + e.Eu[4]);
    EXPECT_EQ(e.j, 6);
    e.k0 = 5;
    somme1(e);
    EXPECT_EQ(e.j, 6);
}

TEST(PontMpfr, ConversionsExactesEtArrondis) {
    PrecisionsGardees garde;
    RR::SetPrecision(200);
    RR x = NTL::conv<RR>(2) / 3;
    Mpfr m(1);
    versMpfrExact(m, x);
    RR retour;
    versRR(retour, m);
    EXPECT_EQ(retour, x);
    // NTL's own log and exp, where they round to nearest, agree.
    EXPECT_TRUE(proches(logR(x), NTL::log(x), 198));
    EXPECT_TRUE(proches(expR(x), NTL::exp(x), 198));
    EXPECT_EQ(powR(NTL::conv<RR>(1000), NTL::conv<RR>(2)), NTL::conv<RR>(1000000));
    EXPECT_TRUE(proches(powR(NTL::conv<RR>(10), NTL::conv<RR>(-21.5)), NTL::pow(NTL::conv<RR>(10), NTL::conv<RR>(-21.5)), 198));
}

namespace {

// H(N) = digamma(N + 1) + gamma, from MPFR at 1200 bits: an independent route.
std::string reference(const std::string& N) {
    mpfr_t n, d, g;
    mpfr_inits2(1200, n, d, g, nullptr);
    mpfr_set_str(n, N.c_str(), 10, MPFR_RNDN);
    mpfr_add_ui(n, n, 1, MPFR_RNDN);
    mpfr_digamma(d, n, MPFR_RNDN);
    mpfr_const_euler(g, MPFR_RNDN);
    mpfr_add(d, d, g, MPFR_RNDN);
    char* s = nullptr;
    mpfr_asprintf(&s, "%.300Rf", d);
    std::string r(s);
    mpfr_free_str(s);
    mpfr_clears(n, d, g, nullptr);
    return r;
}

// H(N) by the expansion to d decimals, as item 4 computes it after its
// questions: the text it prints and whether it warns.
struct Valeur {
    std::string texte;
    bool insuffisant;
};
Valeur valeurDeHN(Etat& e, const ZZ& N, long d) {
    ouvrirLeDeveloppement(e);
    e.N = N;
    NTL::conv(e.NR1, e.N);
    precisionAtteignable(e);
    e.valeur = d;
    const bool insuffisant = developperHN(e);
    return {enTexte(e.H), insuffisant};
}

}  // namespace

TEST(Euler, ChiffresContreDigamma) {
    PrecisionsGardees garde;
    for (const char* n : {"1000", "123456", "10000000000", "100000000000000000000",
                          "1000000000000000000000000000000000000000000000000000000000000"}) {
        for (int d : {20, 60}) {
            Contexte c;
            Etat& e = c.e;
            const std::string imprime = valeurDeHN(e, NTL::conv<ZZ>(n), d).texte;
            std::string ref = reference(n);
            // The printed value has nsign significant digits; all of them but
            // the last stand within the announced accuracy.
            mpfr_t a, b;
            mpfr_inits2(1200, a, b, nullptr);
            mpfr_set_str(a, imprime.c_str(), 10, MPFR_RNDN);
            mpfr_set_str(b, ref.c_str(), 10, MPFR_RNDN);
            mpfr_sub(a, a, b, MPFR_RNDN);
            mpfr_abs(a, a, MPFR_RNDN);
            long exactes = std::min<long>(d, e.nd1);
            EXPECT_LT(mpfr_get_d(a, MPFR_RNDN), std::pow(10.0, -(exactes - 1))) << n << " " << d << " " << imprime;
            mpfr_clears(a, b, nullptr);
        }
    }
}

TEST(Euler, AvertiQuandLaFormuleNeDonnePasLesChiffres) {
    // N from 1 to 10^6 and d from 1 to 300, sampled: every value whose error
    // passes the announced accuracy (nd1 decimals, +/- 2) carries the
    // warning; the reference is digamma from MPFR, as above.
    PrecisionsGardees garde;
    std::mt19937_64 alea(4);
    int avertis = 0, muets = 0;
    for (int essai = 0; essai < 160; ++essai) {
        const long n = std::max<long>(1, std::lround(std::pow(10.0, std::uniform_real_distribution<double>(0, 6)(alea))));
        const long d = std::uniform_int_distribution<long>(1, 300)(alea);
        Contexte c;
        Etat& e = c.e;
        const Valeur v = valeurDeHN(e, NTL::conv<ZZ>(n), d);
        const std::string& imprime = v.texte;
        const bool averti = v.insuffisant;
        mpfr_t a, b;
        mpfr_inits2(1200, a, b, nullptr);
        mpfr_set_str(a, imprime.c_str(), 10, MPFR_RNDN);
        mpfr_set_str(b, reference(std::to_string(n)).c_str(), 10, MPFR_RNDN);
        mpfr_sub(a, a, b, MPFR_RNDN);
        mpfr_abs(a, a, MPFR_RNDN);
        // log10 of the error, against the announced decimals less 2, or the
        // printed ones when fewer were asked (the last one is rounded).
        const double erreur = mpfr_zero_p(a) ? -1000 : mpfr_get_d(a, MPFR_RNDN) > 0 ? std::log10(mpfr_get_d(a, MPFR_RNDN)) : -1000;
        if (erreur > -std::min<long>(d - 1, e.nd1 - 2)) {
            EXPECT_TRUE(averti) << n << " " << d << " " << imprime;
        }
        // The warning never comes when every digit asked is within reach.
        if (d + 2 < e.nd1) {
            EXPECT_FALSE(averti) << n << " " << d;
        }
        (averti ? avertis : muets)++;
        mpfr_clears(a, b, nullptr);
    }
    EXPECT_GT(avertis, 10);
    EXPECT_GT(muets, 10);
}

TEST(Constante, RepliRapideCommeLeRepliPasAPas) {
    // The fold from the candidates of the last steps against the whole fold,
    // for many lengths and precisions, on the constant's digits and on
    // digit strings chosen to be hard (long runs of 0 and 9, all 5s).
    std::mt19937_64 alea(17);
    std::vector<std::string> textes = {std::string(chiffresE, 30000), std::string(30000, '9'), std::string(30000, '0'),
                                       std::string(30000, '5'), "1" + std::string(29999, '0')};
    std::string melange;
    for (int k = 0; k < 30000; ++k) melange.push_back(alea() % 5 == 0 ? '9' : static_cast<char>('0' + alea() % 10));
    textes.push_back(melange);
    for (const std::string& t : textes) {
        for (int essai = 0; essai < 25; ++essai) {
            const long L = essai < 5 ? 1 + essai * 40 : 1 + static_cast<long>(alea() % 30000);
            const long p = 53 + static_cast<long>(alea() % 3000);
            Mpfr rapide(p), lent(p);
            replierDecimales(rapide, t.c_str(), L);
            replierPasAPas(lent, t.c_str(), L);
            ASSERT_TRUE(mpfr_equal_p(rapide, lent)) << t.substr(0, 10) << " L = " << L << " p = " << p;
        }
    }
    // All the stored decimals at the working precision of a 170,000-decimal request.
    Mpfr rapide(70000), lent(70000);
    replierDecimales(rapide, chiffresE, nChiffresE);
    replierPasAPas(lent, chiffresE, nChiffresE);
    EXPECT_TRUE(mpfr_equal_p(rapide, lent));
}

TEST(Developpement, ToleranceCommeLaPuissanceALaPrecision) {
    // The enclosure's answers against the comparison with the P-bit power,
    // for terms far from, near and exactly at the tolerance.
    PrecisionsGardees garde;
    std::mt19937_64 alea(23);
    for (int essai = 0; essai < 60; ++essai) {
        const long P = 53 + static_cast<long>(alea() % 30000);
        RR::SetPrecision(P);
        const RR dix = NTL::conv<RR>(10);
        RR x = NTL::conv<RR>(static_cast<long>(alea() % 100000)) / 7;
        const RR exacte = powR(dix, -x);
        Tolerance tol(dix, x);
        RR ulp = NTL::power2_RR(NTL::NumBits(exacte.mantissa()) + exacte.exponent() - P);
        for (const RR& t : {exacte, exacte + ulp, exacte - ulp, -exacte, exacte * 2, exacte / 2, -(exacte + ulp),
                            exacte * (1 + NTL::power2_RR(-300))}) {
            ASSERT_EQ(tol.depassee(t), NTL::abs(t) > exacte) << P << " " << x;
        }
    }
}

TEST(Developpement, EntiersDuTermeDArretCommeLaChaineALaPrecision) {
    PrecisionsGardees garde;
    std::mt19937_64 alea(29);
    int rapides = 0;
    for (int essai = 0; essai < 40; ++essai) {
        const long P = 20000 + static_cast<long>(alea() % 40000);
        RR::SetPrecision(P);
        // A term of any size, as T(s) = a / (c N^s) gives them, and p4 = log2(ln N + gamma).
        RR T = NTL::conv<RR>(static_cast<long>(1 + alea() % 1000000)) / NTL::conv<RR>(3 + static_cast<long>(alea() % 1000));
        T *= NTL::power2_RR(-static_cast<long>(alea() % 200000));
        if (alea() % 2) NTL::negate(T, T);
        RR p4 = logR(NTL::conv<RR>(static_cast<long>(1 + alea() % 100000))) / LN2;
        // The chain, literally.
        RR t1 = -logR(NTL::abs(T)), p3 = t1 / LN2, l3R = p3 * LN2;
        l3R = l3R / LN10;
        RR t = l3R * LN10;
        t = t / LN2;
        t = t + p4;
        long l3 = 0, p0 = 0;
        if (entiersDuTermeDArret(T, p4, P, l3, p0)) {
            ++rapides;
            EXPECT_EQ(l3, NTL::conv<long>(l3R)) << essai;
            EXPECT_EQ(p0, NTL::conv<long>(t)) << essai;
        }
    }
    EXPECT_GT(rapides, 35);  // the enclosure decides almost always
    long l3 = 0, p0 = 0;
    EXPECT_FALSE(entiersDuTermeDArret(NTL::conv<RR>(1) / 3, NTL::conv<RR>(2), 1000, l3, p0));  // small P: the chain
}
