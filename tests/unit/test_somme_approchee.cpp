// SPDX-License-Identifier: GPL-3.0-or-later
// Level 2 at any N: the certified sums against published and brute-force
// values, and the printed text of the fast route against the term-by-term
// sum, stage after stage.
#include "sums/harmonique_digamma.h"
#include "sums/kempner_partielle.h"
#include "sums/parite.h"
#include "sums/sequence.h"
#include "commun/decimal.h"
#include "commun/ecriture_rr.h"
#include "sums/somme_approchee.h"

#include "precisions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

using namespace harmo;
using NTL::RR;
using NTL::ZZ;

namespace {

ZZ puissance10(long k) { return NTL::power_ZZ(10, k); }

// The ball holds the reference value (50 significant digits: within 1e-47
// here) and is narrower than 1e-45.
void contient(const arb_t x, const char* reference) {
    arb_t r;
    arb_init(r);
    arb_set_str(r, reference, 200);
    arb_add_error_2exp_si(r, -156);  // 2^-156 > 1e-47
    EXPECT_TRUE(arb_overlaps(x, r)) << reference;
    mag_t rayon;
    mag_init(rayon);
    arb_get_mag(rayon, x);
    arb_get_rad_arb(r, x);
    EXPECT_LT(arf_cmp_2exp_si(arb_midref(r), -150), 0) << reference;
    mag_clear(rayon);
    arb_clear(r);
}

std::vector<long> chiffres(const char* t) {
    std::vector<long> v;
    for (; *t; ++t) v.push_back(*t - '0');
    return v;
}

}  // namespace

TEST(SommeCertifiee, ValeursPubliees) {
    // Independent values to 50 significant digits (H(N) = psi(N + 1) + gamma
    // by other software; the Kempner sums by an independent implementation of
    // the published method; the whole no-9 series is the published
    // 22.920676619264150348163657094375931914944762436998...,
    // T. Schmelzer and R. Baillie, Amer. Math. Monthly 115 (2008)).
    arb_t x;
    arb_init(x);
    sommeHarmoniqueCertifiee(x, puissance10(6), 0, 200);
    contient(x, "14.392726722865723631381127493188587676644800013744");
    sommeHarmoniqueCertifiee(x, puissance10(100), 0, 200);
    contient(x, "230.83572496430610126240565755851882319115230819882");
    sommeHarmoniqueCertifiee(x, puissance10(100), 1, 200);
    contient(x, "115.76443607243302328591144483998849987961390416659");
    sommeHarmoniqueCertifiee(x, puissance10(100), 2, 200);
    contient(x, "115.07128889187307797649421271853032331153840403223");
    {
        KempnerPartielle sans9(chiffres("9"), 0, 1201, 220);
        sans9.somme(x, puissance10(30));
        contient(x, "21.971055078178619487106044226307088239351617022437");
        sans9.somme(x, puissance10(100));
        contient(x, "22.920081606587656320917021459975671212408900508044");
        // The whole series, approached from below: up to 10^1200 the tail is
        // about 1e-53, below the last published digit.
        arb_t avant;
        arb_init(avant);
        arb_set(avant, x);
        sans9.somme(x, puissance10(1200));
        contient(x, "22.920676619264150348163657094375931914944762436998");
        arb_t serie;
        arb_init(serie);
        arb_set_str(serie, "22.920676619264150348163657094375931914944762436999", 200);  // rounded up
        EXPECT_TRUE(arb_lt(x, serie));
        EXPECT_TRUE(arb_lt(avant, x));
        arb_clear(serie);
        arb_clear(avant);
    }
    KempnerPartielle sans42(chiffres("42"), 0, 101, 200);
    sans42.somme(x, puissance10(100));
    contient(x, "145.89452580186732960034078643597039052034198529661");
    arb_clear(x);
}

TEST(SommeCertifiee, KempnerCommeLaSommeDirecte) {
    // Every sequence shape (repeated digits, zeros, self-overlaps, 9 digits),
    // all parities, N around the 4-digit prefixes and past them.
    std::mt19937_64 alea(41);
    for (const char* w : {"9", "0", "00", "42", "121", "1212", "314", "9999", "100", "123456789", "5"}) {
        const std::vector<long> seq = chiffres(w);
        const SequenceChiffres automate(seq);
        for (long parite : {0L, 1L, 2L}) {
            KempnerPartielle k(seq, parite, 7, 160);
            std::vector<unsigned long> points = {1, 9, 999, 1000, 9999, 10000, 10001, 123456, 399999, 400000};
            for (int i = 0; i < 5; ++i) points.push_back(1 + alea() % 400000);
            std::sort(points.begin(), points.end());
            arb_t direct, t, x;
            arb_init(direct);
            arb_init(t);
            arb_init(x);
            unsigned long n = 0;
            for (unsigned long X : points) {
                for (; n < X;) {
                    ++n;
                    if (!dernierChiffrePermis(static_cast<long>(n % 10), parite) || automate.trouvee(n)) continue;
                    arb_set_ui(t, n);
                    arb_inv(t, t, 200);
                    arb_add(direct, direct, t, 200);
                }
                k.somme(x, ZZ(X));
                ASSERT_TRUE(arb_overlaps(x, direct)) << w << " " << parite << " " << X;
                arb_sub(t, x, direct, 200);
                ASSERT_LT(arf_cmp_2exp_si(arb_midref(t), -140), 0) << w << " " << parite << " " << X;
            }
            arb_clear(direct);
            arb_clear(t);
            arb_clear(x);
        }
    }
}

TEST(SommeApprochee, RouteRapideCommeTermeATerme) {
    // Calculations of one to three stages, the fast route forced on every
    // stage, against the term-by-term sum of every stage: the same printed
    // text, except where the middle of the interval had to be taken.
    PrecisionsGardees garde;
    std::mt19937_64 alea(2026);
    int milieux = 0, encadrements = 0;
    // HARMONIQUES_ESSAIS=3000 for a long run (thousands of stages).
    const char* essais = std::getenv("HARMONIQUES_ESSAIS");
    const int nombre = essais ? std::atoi(essais) : 100;
    for (int essai = 0; essai < nombre; ++essai) {
        const long parite = essai % 3;
        const bool kempner = essai % 4 != 0;
        std::vector<long> seq;
        const long longueur = alea() % 10;
        for (long i = 0; i < longueur; ++i) seq.push_back(alea() % 3 == 0 ? 0 : static_cast<long>(alea() % 10));
        if (kempner && seq.empty()) seq = {static_cast<long>(alea() % 10)};
        const long nd = static_cast<long>(alea() % 61);
        SommeApprochee rapide, reference;
        RR resRapide, resReference;
        ZZ N1 = avantLePremierCandidat(parite), M1(0);
        const int etapes = 1 + static_cast<int>(alea() % 3);
        for (int e = 0; e < etapes; ++e) {
            const long taille = essai % 40 == 0 ? 3000000 : static_cast<long>(alea() % (e == 0 ? 100000 : 30000)) + 1;
            ZZ N = candidatDeRang(nombreDeCandidats(N1, parite) + taille, parite);
            Etape t;
            t.N1 = N1;
            t.N = N;
            t.parite = parite;
            t.kempner = kempner;
            t.sequence = seq;
            const ZZ M = nombreDeCandidats(N, parite) - M1;
            const long p = std::max<long>(53, static_cast<long>((nombreDeChiffres(M) + nd + 2) * 2.302585092994046 / 0.6931471805599453 + 10));
            RR::SetPrecision(p);
            const ZZ gardes = compterGardes(t).nombre;
            Route route;
            const std::string a = etapeApprochee(t, gardes, p, std::max<long>(nd, 1), resRapide, rapide, &route, true);
            reference.exacte = true;  // the term-by-term sum, from the term-by-term value
            const RR avant = resReference;
            resReference = sommeTermeATerme(t, avant, p);
            RR::SetOutputPrecision(std::max<long>(nd, 1));
            const std::string b = enTexte(resReference);
            if (route == Route::milieu) {
                ++milieux;
                break;  // the rest of this calculation starts from the middle
            }
            if (route == Route::encadrement) ++encadrements;
            ASSERT_EQ(a, b) << "essai " << essai << " stage " << e << " parity " << parite << " N " << N;
            N1 = N;
            M1 = nombreDeCandidats(N, parite);
        }
    }
    EXPECT_GT(encadrements, nombre);
    EXPECT_LE(milieux, 2 + nombre / 1000);
}
