// SPDX-License-Identifier: GPL-3.0-or-later
// The stage core of menu item 1 against the literal computations: the count
// and the last kept term against the enumeration, the exact sum against the
// packet fold, the approximate sum against RR term by term.
#include "commun/entiers.h"
#include "sums/etape.h"
#include "sums/reduction.h"
#include "sums/parite.h"
#include "sums/sequence.h"

#include "oracles/pliage_litteral.h"
#include "precisions.h"

#include <gtest/gtest.h>

#include <random>

using namespace harmo;
using NTL::RR;
using NTL::ZZ;

namespace {

Etape etape(const ZZ& N1, const ZZ& N, long parite, const std::vector<long>* sequence = nullptr) {
    Etape t;
    t.N1 = N1;
    t.N = N;
    t.parite = parite;
    t.kempner = sequence != nullptr;
    if (sequence) t.sequence = *sequence;
    return t;
}

// The kept denominators, enumerated literally.
std::vector<ZZ> gardes(const Etape& t) {
    std::vector<ZZ> g;
    SequenceChiffres seq(t.sequence);
    for (ZZ n = t.N1 + pasDesCandidats[t.parite]; n <= t.N; n += pasDesCandidats[t.parite])
        if (!t.kempner || !seq.trouvee(n)) g.push_back(n);
    return g;
}

bool memeValeur(const Fraction& f, const ZZ& P, const ZZ& Q) { return f.P * Q == P * f.Q; }

}  // namespace

TEST(Etape, ComptesEtSommesCommeLEnumeration) {
    const std::vector<std::vector<long>> sequences = {{9}, {0}, {4, 2}, {1, 1}, {}};
    std::mt19937_64 alea(3);
    for (int essai = 0; essai < 120; ++essai) {
        const long parite = essai % 3;
        // A stage after a first one, or a first stage.
        ZZ N1 = essai % 4 == 0 ? avantLePremierCandidat(parite) : candidatDeRang(ZZ(1 + alea() % 400), parite);
        ZZ N = N1 + pasDesCandidats[parite] * ZZ(alea() % 700);
        const std::vector<long>* seq = essai % 6 == 5 ? nullptr : &sequences[alea() % sequences.size()];
        Etape t = etape(N1, N, parite, seq);
        std::vector<ZZ> g = gardes(t);
        Gardes c = compterGardes(t);
        ASSERT_EQ(c.nombre, static_cast<long>(g.size())) << essai;
        ASSERT_EQ(c.dernier, g.empty() ? ZZ(0) : g.back()) << essai;
        ZZ P(0), Q(1);
        plierParPaquets(P, Q, g, 1 + static_cast<long>(alea() % 30));
        ASSERT_TRUE(memeValeur(sommeExacte(t), P, Q)) << essai;
    }
}

TEST(Etape, KempnerLongEnPlusieursPartsMemesEntiers) {
    // Past 200000 candidates the stage is cut in one part per core: the
    // integers are those of the fold in one piece.
    std::vector<long> sans9{9};
    for (long parite : {0L, 1L}) {
        Etape t = etape(ZZ(parite == 0 ? 0 : -1), ZZ(parite == 0 ? 300000 : 300001), parite, &sans9);
        Fraction f = sommeExacteDirecte(t);
        ZZ P(0), Q(1);
        plierParPaquets(P, Q, gardes(t), 3000);
        EXPECT_EQ(f.P, P) << parite;
        EXPECT_EQ(f.Q, Q) << parite;
    }
}

TEST(Etape, KempnerParLeComplementCommeLesGardes) {
    // Stages that remove fewer terms than they keep: the harmonic stage less
    // the removed terms is the rational of the kept terms' tree, its lowest
    // terms the same, and its value at p bits the same bits. Random stages:
    // every parity, sequences of 1 to 4 digits with zeros and repeats, one to
    // three stages; the literal fold where it is short.
    std::mt19937_64 alea(19);
    int parComplement = 0;
    for (int essai = 0; essai < 150; ++essai) {
        const long parite = essai % 3;
        std::vector<long> seq(1 + alea() % 4);
        for (long& c : seq) c = alea() % 3 == 0 ? 0 : static_cast<long>(alea() % 10);
        if (alea() % 4 == 0 && seq.size() > 1) seq[1] = seq[0];
        Fraction total, totalDirect;
        ZZ N1 = avantLePremierCandidat(parite);
        const int etapes = 1 + static_cast<int>(alea() % 3);
        for (int k = 0; k < etapes; ++k) {
            const ZZ N = N1 + pasDesCandidats[parite] * ZZ(1 + alea() % (essai % 10 == 0 ? 300000 : 3000));
            Etape t = etape(N1, N, parite, &seq);
            const Fraction f = sommeExacte(t), d = sommeExacteDirecte(t);
            parComplement += parLeComplement(t, compterGardes(t).nombre);
            ASSERT_TRUE(memeValeur(f, d.P, d.Q)) << essai << " " << k;
            if (NTL::conv<long>(N - N1) < 2000) {
                ZZ P(0), Q(1);
                plierParPaquets(P, Q, gardes(t), 1 + static_cast<long>(alea() % 20));
                ASSERT_TRUE(memeValeur(f, P, Q)) << essai;
            }
            ajouter(total, f);
            ajouter(totalDirect, d);
            const long p = 53 + static_cast<long>(alea() % 300);
            EXPECT_EQ(valeurDeLaFraction(total, p), valeurDeLaFraction(totalDirect, p)) << essai << " " << k;
            N1 = N;
        }
        // Lowest terms: the same pair, whatever the route.
        ZZ a = total.P, b = total.Q, c = totalDirect.P, e = totalDirect.Q;
        reduire(a, b);
        reduire(c, e);
        EXPECT_EQ(a, c) << essai;
        EXPECT_EQ(b, e) << essai;
        // And prime by prime over the lcm of the candidates up to the last N,
        // the kept multiples of the large primes only, as level 3 does.
        const SequenceChiffres chiffres(seq);
        ZZ g = total.P, h = total.Q;
        reduireSommeHarmonique(g, h, N1, parite, &chiffres);
        EXPECT_EQ(g, a) << essai;
        EXPECT_EQ(h, b) << essai;
    }
    EXPECT_GT(parComplement, 60);
}

TEST(Etape, DenominateursAutourDe2Puissance32Et62) {
    // Two terms are joined in one word only below 2^32 (their product must
    // fit in 64 bits); machine words stop at 2^62. Stages that straddle or
    // pass these bounds keep the integers of the literal fold.
    const ZZ deux32 = NTL::power_ZZ(2, 32), deux40 = NTL::power_ZZ(2, 40), deux62 = NTL::power_ZZ(2, 62);
    std::vector<long> sans7{7};
    for (const ZZ& centre : {deux32, deux32 + 1000, deux40 - 300, deux62}) {
        for (long parite : {0L, 1L, 2L}) {
            ZZ N1 = centre - 200;
            if (!dernierChiffrePermis(NTL::rem(N1, 10), parite)) N1 -= 1;
            const ZZ N = N1 + 400 * pasDesCandidats[parite];
            const std::vector<long>* sequences[] = {nullptr, &sans7};
            for (const std::vector<long>* seq : sequences) {
                Etape t = etape(N1, N, parite, seq);
                ZZ P(0), Q(1);
                plierParPaquets(P, Q, gardes(t), 1);
                Fraction f = sommeExacte(t);
                if (seq) {  // the tree over the kept terms: the very integers
                    EXPECT_TRUE(memeValeur(f, P, Q)) << centre << " " << parite;
                    f = sommeExacteDirecte(t);
                    EXPECT_EQ(f.P, P) << centre << " " << parite;
                    EXPECT_EQ(f.Q, Q) << centre << " " << parite;
                } else {
                    EXPECT_TRUE(memeValeur(f, P, Q)) << centre << " " << parite;
                }
            }
            // The odd terms alone: the very integers of the fold.
            if (parite == impaire) {
                Fraction f = sommeImpairs(N1, N);
                ZZ P(0), Q(1);
                plierParPaquets(P, Q, gardes(etape(N1, N, parite)), 1);
                EXPECT_EQ(f.P, P) << centre;
                EXPECT_EQ(f.Q, Q) << centre;
            }
        }
    }
    // A tree fed term by term across 2^32.
    SommeEnArbre arbre;
    std::vector<ZZ> termes;
    for (ZZ n = deux32 - 150; n <= deux32 + 150; n += 1) {
        arbre.terme(NTL::conv<unsigned long>(n));
        termes.push_back(n);
    }
    Fraction f = arbre.resultat();
    ZZ P(0), Q(1);
    plierParPaquets(P, Q, termes, 1);
    EXPECT_EQ(f.P, P);
    EXPECT_EQ(f.Q, Q);
}

TEST(Etape, SommeTermeATermeCommeRR) {
    PrecisionsGardees garde;
    std::vector<long> sans42{4, 2};
    for (long parite : {0L, 1L, 2L}) {
        for (long p : {53L, 97L, 300L}) {
            for (bool kempner : {false, true}) {
                Etape t = etape(candidatDeRang(ZZ(37), parite), candidatDeRang(ZZ(2000), parite), parite,
                                kempner ? &sans42 : nullptr);
                RR::SetPrecision(p);
                RR depart = NTL::conv<RR>(1) / 3, attendu = depart;
                for (const ZZ& n : gardes(t)) {
                    RR quot = 1 / NTL::conv<RR>(n);
                    attendu += quot;
                }
                EXPECT_EQ(sommeTermeATerme(t, depart, p), attendu) << parite << " " << p << " " << kempner;
            }
        }
    }
    // No term kept: the starting value, untouched.
    std::vector<long> vide;
    Etape rien = etape(ZZ(0), ZZ(100), 0, &vide);
    RR::SetPrecision(200);
    RR depart = NTL::conv<RR>(1) / 7;
    EXPECT_EQ(sommeTermeATerme(rien, depart, 60), depart);
}

TEST(Etape, ValeurDeLaFraction) {
    PrecisionsGardees garde;
    RR::SetPrecision(80);
    EXPECT_TRUE(NTL::IsZero(valeurDeLaFraction(Fraction{ZZ(0), ZZ(1)}, 80)));
    // 7381/2520 = H(10) (OEIS A001008 / A002805), to nearest at 80 bits.
    RR attendu = NTL::conv<RR>(7381) / NTL::conv<RR>(2520);
    EXPECT_EQ(valeurDeLaFraction(Fraction{ZZ(7381), ZZ(2520)}, 80), attendu);
    EXPECT_EQ(RR::precision(), 80);
}
