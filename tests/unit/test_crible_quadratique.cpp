// SPDX-License-Identifier: GPL-3.0-or-later
// The self-initialising quadratic sieve piece by piece, each against a slow
// reference: square roots mod p by search, the roots of every polynomial
// by evaluating it, every relation by multiplying it out, the dependencies
// of block Lanczos by dense elimination; then whole semiprimes.
#include "commun/decimal.h"
#include "commun/pont_gmp.h"
#include "commun/processeur.h"
#include "commun/suivi.h"
#include "factor/algebre_lineaire.h"
#include "factor/base_de_facteurs.h"
#include "factor/crible.h"
#include "factor/crible_quadratique.h"
#include "factor/polynomes.h"
#include "factor/racine_carree.h"
#include "factor/releve.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <tuple>

using namespace harmo;
using NTL::ZZ;

namespace {

// Two primes of a and b digits from fixed decimal expansions (pi, e).
ZZ semipremier(long a, long b) {
    const std::string pi = "31415926535897932384626433832795028841971693993751058209749445923078164062862";
    const std::string e = "27182818284590452353602874713526624977572470936999595749669676277240766303535";
    return NTL::NextPrime(depuisDecimal(pi.substr(0, static_cast<std::size_t>(a)))) *
           NTL::NextPrime(depuisDecimal(e.substr(0, static_cast<std::size_t>(b))));
}

// y^2 = (-1)^.. prod p_i * grand * autreGrand (mod k n)
bool relationJuste(const Relation& r, const BaseDeFacteurs& b) {
    ZZ v(1);
    for (std::uint32_t i : r.facteurs) v *= i == 0 ? ZZ(-1) : ZZ(b.p[i]);
    v *= NTL::conv<ZZ>(static_cast<unsigned long>(r.grand)) * NTL::conv<ZZ>(static_cast<unsigned long>(r.autreGrand));
    return (r.y * r.y - v) % b.kn == 0;
}

// Every instruction set up to the one the program uses here (the
// processor's, or less under HARMONIQUES_ISA), generic first.
std::vector<JeuDInstructions> jeuxOfferts() {
    std::vector<JeuDInstructions> j;
    for (const JeuDInstructions x : {JeuDInstructions::generique, JeuDInstructions::avx2, JeuDInstructions::avx512})
        if (x <= jeuDInstructions()) j.push_back(x);
    return j;
}

}  // namespace

TEST(CribleQuadratique, RacinesCarreesEtBaseCommeParRecherche) {
    for (std::uint32_t p : {3u, 5u, 7u, 13u, 17u, 41u, 97u, 193u, 257u, 65537u}) {  // p = 1 mod 2^k for Tonelli's loop
        for (std::uint32_t a = 1; a < std::min<std::uint32_t>(p, 400); ++a) {
            bool carre = false;
            for (std::uint64_t x = 1; x < p && !carre; ++x) carre = x * x % p == a;
            ASSERT_EQ(legendre(a, p), carre ? 1 : -1) << a << " mod " << p;
            if (carre) {
                const std::uint64_t r = racineCarreeModulo(a, p);
                ASSERT_EQ(r * r % p, a) << a << " mod " << p;
            }
        }
    }
    const ZZ n = semipremier(20, 21);
    const unsigned long k = multiplicateurKnuthSchroeppel(n);
    const BaseDeFacteurs b = baseDeFacteurs(n, k, 300, 1.0);
    ASSERT_EQ(b.taille(), 300u);
    // Every odd prime up to the last one whose symbol is 1 or 0, and no other.
    std::size_t i = 2;
    for (long p = 3; p <= static_cast<long>(b.p.back()); p += 2) {
        if (!NTL::ProbPrime(p)) continue;
        const long r = NTL::rem(b.kn, p);
        if (r != 0 && legendre(static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(p)) != 1) continue;
        ASSERT_EQ(b.p[i], static_cast<std::uint32_t>(p));
        EXPECT_EQ(static_cast<std::uint64_t>(b.racine[i]) * b.racine[i] % static_cast<std::uint64_t>(p), static_cast<std::uint64_t>(r));
        ++i;
    }
    EXPECT_EQ(i, b.taille());
}

TEST(CribleQuadratique, LesRacinesDeChaquePolynomeLAnnulent) {
    // Every B of three families (Gray code steps included): A C = B^2 - k n,
    // and g(j - M) = 0 mod p at both sieve positions j of every prime.
    const ZZ n = semipremier(22, 23);
    const BaseDeFacteurs b = baseDeFacteurs(n, multiplicateurKnuthSchroeppel(n), 400, 1.0);
    const long M = 2 * tailleDeBloc;
    FamilleDePolynomes f(b, M, 42);
    std::set<ZZ> vus;
    for (int famille = 0; famille < 3; ++famille) {
        f.nouveauA();
        long polynomes = 0;
        do {
            ++polynomes;
            ZZ A, B, C;
            versZZ(A, f.A());
            versZZ(B, f.B());
            versZZ(C, f.C());
            ASSERT_EQ(A * C, B * B - b.kn);
            EXPECT_TRUE(vus.insert(B).second) << "B twice";
            for (std::size_t i = 2; i < b.taille(); ++i) {
                if (f.racine1[i] == pasDeRacine) {
                    EXPECT_EQ(NTL::rem(A, static_cast<long>(b.p[i])), 0);
                    continue;
                }
                for (std::uint32_t j : {f.racine1[i], f.racine2[i]}) {
                    ASSERT_LT(j, b.p[i]);
                    const ZZ x(static_cast<long>(j) - M);
                    ASSERT_EQ(NTL::rem(A * x * x + 2 * B * x + C, static_cast<long>(b.p[i])), 0) << "p = " << b.p[i];
                }
            }
        } while (f.suivant());
        EXPECT_EQ(polynomes, 1L << (f.indicesDeA().size() - 1));
    }
}

// The roots of each new A a register of primes at a time (in doubles,
// Fermat's inverse), and their moves, in each instruction set (SSE2 on the
// generic path) against the mpz remainders one prime at a time: the same
// roots for every B of the family. A multiplier with primes of the base
// (one root each), a base that is no multiple of 32.
TEST(CribleQuadratique, LesRacinesParHuitCommeUneAUne) {
    const ZZ n = semipremier(20, 21);
    for (const JeuDInstructions jeu : jeuxOfferts()) {
        for (unsigned long k : {multiplicateurKnuthSchroeppel(n), 15ul}) {
            const BaseDeFacteurs b = baseDeFacteurs(n, k, 1501, 1.0);
            FamilleDePolynomes large(b, 3 * tailleDeBloc, 7, jeu), une(b, 3 * tailleDeBloc, 7, JeuDInstructions::generique);
            une.unParUn = true;
            for (int famille = 0; famille < 3; ++famille) {
                large.nouveauA();
                une.nouveauA();
                for (bool encore = true; encore;) {
                    ASSERT_EQ(large.racine1, une.racine1) << nomDuJeu(jeu) << " " << k << " " << famille;
                    ASSERT_EQ(large.racine2, une.racine2) << nomDuJeu(jeu) << " " << k << " " << famille;
                    encore = une.suivant();
                    ASSERT_EQ(large.suivant(), encore);
                }
            }
        }
    }
}

// The moves of the roots in each instruction set, and without a branch,
// against the one-by-one move: random roots, primes of A, roots at 0 and
// p - 1, moves of 0 and p - 1, lengths that are no multiple of a register.
TEST(CribleQuadratique, LesDeplacementsCommeUnAUn) {
    std::mt19937_64 alea(23);
    for (const std::size_t n : {1u, 15u, 16u, 37u, 1000u}) {
        std::vector<std::uint32_t> p(n), d(n), r1(n), r2(n);
        for (std::size_t i = 0; i < n; ++i) {
            p[i] = static_cast<std::uint32_t>(NTL::NextPrime(static_cast<long>(3 + alea() % (1u << 23))));
            d[i] = i % 11 == 0 ? 0 : i % 13 == 0 ? p[i] - 1 : static_cast<std::uint32_t>(alea() % p[i]);
            r1[i] = i % 7 == 0 ? 0 : static_cast<std::uint32_t>(alea() % p[i]);
            r2[i] = i % 5 == 0 ? p[i] - 1 : static_cast<std::uint32_t>(alea() % p[i]);
            if (i % 9 == 4) r1[i] = r2[i] = pasDeRacine;
        }
        for (const bool monte : {false, true}) {
            std::vector<std::uint32_t> a1 = r1, a2 = r2;
            deplacerRacinesUneAUne(a1.data(), a2.data(), d.data(), p.data(), 0, n, monte);
            for (const JeuDInstructions jeu : jeuxOfferts()) {
                std::vector<std::uint32_t> b1 = r1, b2 = r2;
                deplacerRacines(b1.data(), b2.data(), d.data(), p.data(), 0, n, monte, jeu);
                ASSERT_EQ(b1, a1) << nomDuJeu(jeu) << " " << n << " " << monte;
                ASSERT_EQ(b2, a2) << nomDuJeu(jeu) << " " << n << " " << monte;
            }
        }
    }
}

// The candidates of a block in each instruction set against a plain scan:
// an empty block, a full one, and blocks with scattered high bits.
TEST(CribleQuadratique, LesCandidatsDUnBloc) {
    std::mt19937_64 alea(29);
    std::vector<std::uint8_t> s(tailleDeBloc);
    std::vector<std::uint32_t> places(tailleDeBloc);
    for (int essai = 0; essai < 6; ++essai) {
        for (std::uint8_t& x : s)
            x = essai == 0 ? 0 : essai == 1 ? 0x80 : static_cast<std::uint8_t>(alea() % (essai * 50) == 0 ? 0x80 | alea() : alea() & 0x7f);
        std::vector<std::uint32_t> attendus;
        for (std::uint32_t j = 0; j < tailleDeBloc; ++j)
            if (s[j] & 0x80) attendus.push_back(j);
        for (const JeuDInstructions jeu : jeuxOfferts()) {
            const std::size_t n = candidatsDuBloc(s.data(), places.data(), jeu);
            ASSERT_EQ(std::vector<std::uint32_t>(places.begin(), places.begin() + static_cast<long>(n)), attendus)
                << nomDuJeu(jeu) << " " << essai;
        }
    }
}

// The roots of the primes from a limit on, left by suivant for the bucket
// fill to move (wide and scalar paths in turn, one step where nobody moves
// them and suivant catches up, and steps where the fill makes the next
// move too, which suivant then leaves), against a family that moves them
// all.
TEST(CribleQuadratique, LeDeplacementLaisseAuRemplissage) {
    const ZZ n = semipremier(22, 23);
    const BaseDeFacteurs b = baseDeFacteurs(n, multiplicateurKnuthSchroeppel(n), 400, 1.0);
    const long M = 2 * tailleDeBloc;
    const std::uint32_t fin = static_cast<std::uint32_t>(2 * M);
    const std::size_t F = b.taille();
    FamilleDePolynomes tout(b, M, 42), partiel(b, M, 42);
    std::size_t cap = 16;
    for (std::size_t i = 2; i < F; ++i) cap += 2 * (tailleDeBloc / b.p[i] + 1);
    std::vector<std::uint32_t> seaux(cap * (fin / tailleDeBloc + 1));
    std::vector<std::size_t> ecrit(fin / tailleDeBloc + 1);
    for (int famille = 0; famille < 2; ++famille) {
        tout.nouveauA();
        partiel.nouveauA();
        // The primes of A among those left to the fill (pasDeRacine kept).
        const std::size_t limite = *std::min_element(partiel.indicesDeA().begin(), partiel.indicesDeA().end()) - famille;
        bool enAvance = false;
        for (int pas = 1; tout.suivant(); ++pas) {
            ASSERT_TRUE(partiel.suivant(limite));
            ASSERT_EQ(partiel.deplacementEnAttente() == nullptr, enAvance);
            for (std::size_t i = 2; i < limite; ++i) ASSERT_EQ(partiel.racine1[i], tout.racine1[i]) << i;
            if (enAvance) {
                enAvance = false;
                ASSERT_EQ(partiel.racine1, tout.racine1) << famille << " " << pas;
                continue;
            }
            if (pas % 5 == 0) continue;  // not moved here: suivant does it
            bool monteSuivant = false;
            const std::uint32_t* suivant = pas % 3 == 0 ? partiel.deplacementSuivant(monteSuivant) : nullptr;
            const std::uint32_t* enAttente = partiel.deplacementEnAttente();
            const bool monteEnAttente = partiel.monte();
            for (int m = 0; m < (suivant != nullptr ? 2 : 1); ++m) {
                const std::uint32_t* d = m == 0 ? enAttente : suivant;
                const bool monte = m == 0 ? monteEnAttente : monteSuivant;
                for (std::size_t k = 0; k < ecrit.size(); ++k) ecrit[k] = k * cap;
                for (std::size_t i = limite, j; i < F; i = j) {
                    j = i;
                    while (j < F && fin / b.p[j] == fin / b.p[i]) ++j;
                    placerDansLesSeaux(partiel.racine1.data(), partiel.racine2.data(), b.p.data(), i, j, fin / b.p[i], fin,
                                       seaux.data(), ecrit.data(), jeuxOfferts()[static_cast<std::size_t>(pas) % jeuxOfferts().size()],
                                       d, monte);
                }
                if (m == 0) {
                    partiel.rattrape();
                    ASSERT_EQ(partiel.racine1, tout.racine1) << famille << " " << pas;
                    ASSERT_EQ(partiel.racine2, tout.racine2) << famille << " " << pas;
                }
            }
            if (suivant != nullptr) {
                partiel.avance();
                enAvance = true;
            }
        }
        EXPECT_FALSE(partiel.suivant(limite));
        ASSERT_EQ(partiel.racine1, tout.racine1);  // the last pending move made before the end
    }
}

// The primes that divide a candidate, by reciprocals (eight at a time when
// the processor allows, four in floats on the generic path), against
// j mod p; j up to the floats' bound, and at multiples of a prime give or
// take one, where a quotient one off would show.
TEST(CribleQuadratique, LesPremiersAtteintsCommeParLeReste) {
    const BaseDeFacteurs b = baseDeFacteurs(semipremier(30, 30), 1, 3000, 1.0);
    std::size_t fin = 2;
    while (fin < b.taille() && b.p[fin] < (1u << 15)) ++fin;
    std::vector<std::uint64_t> inv(fin);
    std::vector<float> reciproques(fin);
    for (std::size_t i = 2; i < fin; ++i) {
        inv[i] = ((1ull << 40) + b.p[i] - 1) / b.p[i];
        reciproques[i] = 1.0f / static_cast<float>(b.p[i]);
    }
    std::mt19937_64 alea(5);
    std::vector<std::uint32_t> r1(fin), r2(fin), trouves(fin);
    for (int essai = 0; essai < 400; ++essai) {
        std::uint32_t j = static_cast<std::uint32_t>(alea() % (essai < 200 ? 1u << 21 : 1u << 23));
        if (essai % 3 == 0) {
            const std::uint32_t q = b.p[2 + alea() % (fin - 2)];
            j = j / q * q + static_cast<std::uint32_t>(alea() % 3) - 1;
            if (j >= (1u << 23)) j = (1u << 23) - 1;
        }
        std::vector<std::uint32_t> attendus;
        for (std::size_t i = 2; i < fin; ++i) {
            // Often a root at j, sometimes both roots elsewhere, or no root at all.
            r1[i] = alea() % 4 == 0 ? j % b.p[i] : static_cast<std::uint32_t>(alea() % b.p[i]);
            r2[i] = alea() % 9 == 0 ? pasDeRacine : static_cast<std::uint32_t>(alea() % b.p[i]);
            if (j % b.p[i] == r1[i] || j % b.p[i] == r2[i]) attendus.push_back(static_cast<std::uint32_t>(i));
        }
        for (const JeuDInstructions jeu : jeuxOfferts())
            for (const float* f : std::vector<const float*>{nullptr, reciproques.data()}) {
                const std::size_t n =
                    racinesAtteintes(j, inv.data(), b.p.data(), r1.data(), r2.data(), 2, fin, trouves.data(), jeu, f);
                ASSERT_EQ(std::vector<std::uint32_t>(trouves.begin(), trouves.begin() + static_cast<long>(n)), attendus) << j;
            }
    }
}

// Medium primes sixteen at a time against the plain walk through the block
// and against the scalar path, over several blocks: primes of A, primes with
// one root, a root at 0 and at p - 1.
TEST(CribleQuadratique, LesPremiersMoyensParSeize) {
    const std::vector<JeuDInstructions> jeux = jeuxOfferts();
    std::vector<std::uint32_t> p;
    for (std::uint32_t q = 8209; p.size() < 64; q += 2)
        if (NTL::ProbPrime(static_cast<long>(q))) p.push_back(q);  // 8209.. 8831: 3 or 4 hits per root
    std::mt19937_64 alea(13);
    std::vector<std::uint32_t> r1(64), r2(64);
    for (std::size_t i = 0; i < 64; ++i) {
        r1[i] = static_cast<std::uint32_t>(alea() % p[i]);
        r2[i] = static_cast<std::uint32_t>(alea() % p[i]);
    }
    r1[3] = r2[3] = pasDeRacine;
    r1[17] = r2[17] = pasDeRacine;
    r2[5] = r1[5];
    r1[40] = r2[40] = 0;
    r1[63] = p[63] - 1;
    r2[0] = 0;
    std::vector<std::vector<std::uint32_t>> q1(jeux.size(), r1), q2(jeux.size(), r2);
    for (long bloc = 0; bloc < 5; ++bloc) {
        std::vector<std::uint8_t> s(tailleDeBloc + 64), attendu(tailleDeBloc + 64, 0);
        for (std::size_t i = 0; i < 64; ++i) {
            if (r1[i] == pasDeRacine) continue;
            for (long j = 0; j < tailleDeBloc; ++j) {
                const long x = bloc * tailleDeBloc + j;
                if (x % p[i] == r1[i] || x % p[i] == r2[i]) attendu[static_cast<std::size_t>(j)] += 7;
            }
        }
        for (std::size_t v = 0; v < jeux.size(); ++v) {
            s.assign(tailleDeBloc + 64, 0);
            cribleParSeize(s.data(), q1[v].data(), q2[v].data(), p.data(), 0, 64, 3, 7, jeux[v]);
            s[tailleDeBloc] = 0;  // the spare byte
            ASSERT_EQ(s, attendu) << bloc << " " << nomDuJeu(jeux[v]);
            ASSERT_EQ(q1[v], q1[0]) << nomDuJeu(jeux[v]);
            ASSERT_EQ(q2[v], q2[0]) << nomDuJeu(jeux[v]);
        }
    }
}

// Division of a sieve value by a prime of the base, against GMP's: values
// of 1 to 5 limbs, multiples of p, of p^2 and not, a top limb that the
// division empties, limbs of 0 that borrow, the largest primes below 2^32.
TEST(CribleQuadratique, LaDivisionExacteParUnPremier) {
    std::mt19937_64 alea(17);
    Mpz g, attendu;
    for (const std::uint32_t p : {3u, 257u, 65521u, 1000003u, 4294967291u}) {
        const std::uint64_t inverse = inverseModulo2p64(p);
        ASSERT_EQ(inverse * p, 1u);
        for (int k = 0; k < 2000; ++k) {
            mpz_set_ui(g, 0);
            const int limbs = 1 + k % 5;
            for (int l = 0; l < limbs; ++l) {
                mpz_mul_2exp(g, g, 64);
                mpz_add_ui(g, g, alea());
            }
            if (k % 7 == 0) mpz_set_ui(g, alea() % 1000 + 1);
            if (k % 3 != 0) mpz_mul_ui(g, g, p);
            if (k % 5 == 0) mpz_mul_ui(g, g, p);
            if (k % 11 == 0) mpz_set_ui(g, p);  // 1 left
            mpz_set(attendu, g);
            const bool divise = mpz_divisible_ui_p(attendu, p) != 0;
            if (divise) mpz_divexact_ui(attendu, attendu, p);
            ASSERT_EQ(diviserSiDivisible(g, p, inverse), divise) << p << " " << k;
            ASSERT_EQ(mpz_cmp(g, attendu), 0) << p << " " << k;
        }
        // Middle limbs of 0, below the carry of the limb before: a borrow.
        for (const unsigned long bits : {128ul, 192ul}) {
            for (int plus : {0, 1}) {
                mpz_ui_pow_ui(g, 2, bits);
                mpz_add_ui(g, g, (p - mpz_fdiv_ui(g, p)) % p + static_cast<unsigned long>(plus));
                mpz_set(attendu, g);
                if (plus == 0) mpz_divexact_ui(attendu, attendu, p);
                ASSERT_EQ(diviserSiDivisible(g, p, inverse), plus == 0) << p << " " << bits;
                ASSERT_EQ(mpz_cmp(g, attendu), 0) << p << " " << bits;
            }
        }
    }
}

// Bucket entries sixteen primes at a time against the scalar path and
// against the roots walked one by one, bucket by bucket as sets: primes of
// A, primes with one root, roots at 0 and near the end of the interval,
// primes with 0 to 3 hits, buckets with no more room than the sieve gives,
// roots moved first (the move a new polynomial makes) or not; 2 and 6
// buckets (the number known when compiling) and 10 (known when running).
TEST(CribleQuadratique, LesSeauxRemplisParSeize) {
    for (const std::uint32_t blocs : {2u, 6u, 10u}) {
        const std::uint32_t fin = blocs * tailleDeBloc;
        // The last: every root in the first block, which is then full to the
        // last word, with the next one's entries right after it.
        for (const auto& [debutP, pleinPremier] : {std::pair{50021u, false}, {70001u, false}, {250007u, false}, {50021u, true}}) {
            std::vector<std::uint32_t> p;
            for (std::uint32_t q = debutP; p.size() < 70; q += 2)
                if (NTL::ProbPrime(static_cast<long>(q))) p.push_back(q);
            const std::uint32_t h = fin / p.back();
            ASSERT_EQ(h, fin / p.front());
            std::mt19937_64 alea(debutP);
            std::vector<std::uint32_t> r1(70), r2(70);
            for (std::size_t i = 0; i < 70; ++i) {
                const std::uint32_t m = pleinPremier ? tailleDeBloc : p[i];
                r1[i] = static_cast<std::uint32_t>(alea() % m);
                r2[i] = static_cast<std::uint32_t>(alea() % m);
            }
            if (!pleinPremier) {
                r1[2] = r2[2] = pasDeRacine;
                r2[9] = r1[9];
                r1[20] = 0;
                r2[31] = p[31] - 1;
            }
            // As tight as the sieve's own buckets: whole registers written past
            // a bucket's end must not reach the next one.
            std::size_t cap = 16;
            for (const std::uint32_t q : p) cap += 2 * (tailleDeBloc / q + 1);
            std::vector<std::set<std::uint32_t>> attendu(blocs);
            for (std::size_t i = 0; i < 70; ++i) {
                if (r1[i] == pasDeRacine) continue;
                for (std::uint32_t j = r1[i]; j < fin; j += p[i]) attendu[j >> 15].insert(static_cast<std::uint32_t>(i) << 15 | (j & 32767));
                for (std::uint32_t j = r2[i]; j < fin; j += p[i]) attendu[j >> 15].insert(static_cast<std::uint32_t>(i) << 15 | (j & 32767));
            }
            if (pleinPremier) {
                ASSERT_EQ(attendu[0].size() + 16, cap);
            }
            // Also from roots one move behind (up or down), moved by the fill:
            // the same entries, and the roots moved in place.
            std::vector<std::uint32_t> d(70);
            for (std::size_t i = 0; i < 70; ++i) d[i] = static_cast<std::uint32_t>(alea() % p[i]);
            for (const auto& [jeu, deplacement] : [] {
                     std::vector<std::pair<JeuDInstructions, int>> c;
                     for (const JeuDInstructions j : jeuxOfferts())
                         for (int m : {0, 1, -1}) c.emplace_back(j, m);
                     return c;
                 }()) {
                std::vector<std::uint32_t> seaux(cap * (blocs + 1));
                std::vector<std::size_t> ecrit(blocs + 1);
                for (std::size_t b = 0; b <= blocs; ++b) ecrit[b] = b * cap;
                std::vector<std::uint32_t> a1 = r1, a2 = r2;
                for (std::size_t i = 0; i < 70 && deplacement != 0; ++i) {
                    if (a1[i] == pasDeRacine) continue;
                    a1[i] = deplacer(a1[i], d[i], p[i], deplacement < 0);
                    a2[i] = deplacer(a2[i], d[i], p[i], deplacement < 0);
                }
                placerDansLesSeaux(a1.data(), a2.data(), p.data(), 0, 70, h, fin, seaux.data(), ecrit.data(), jeu,
                                   deplacement != 0 ? d.data() : nullptr, deplacement > 0);
                ASSERT_EQ(a1, r1) << blocs << " " << debutP << " " << nomDuJeu(jeu) << " " << deplacement;
                ASSERT_EQ(a2, r2) << blocs << " " << debutP << " " << nomDuJeu(jeu) << " " << deplacement;
                for (std::size_t b = 0; b < blocs; ++b) {
                    const std::vector<std::uint32_t> ecrites(seaux.begin() + static_cast<long>(b * cap), seaux.begin() + static_cast<long>(ecrit[b]));
                    EXPECT_EQ(ecrites.size(), attendu[b].size()) << blocs << " " << debutP << " " << b << " " << nomDuJeu(jeu);
                    EXPECT_EQ(std::set<std::uint32_t>(ecrites.begin(), ecrites.end()), attendu[b]) << blocs << " " << debutP << " " << b;
                }
                EXPECT_EQ(ecrit[blocs], blocs * cap);  // the spare bucket never counted
            }
        }
    }
}

// The bucket entries on one place, sixteen at a time or one by one, against
// a plain filter, with some places hit several times and some not at all.
TEST(CribleQuadratique, LesEntreesDUnSeauSurUnePlace) {
    std::mt19937_64 alea(11);
    for (const std::size_t n : {0u, 5u, 16u, 37u, 1000u}) {
        std::vector<std::uint32_t> seau(n), trouves(n);
        for (std::uint32_t& e : seau) e = static_cast<std::uint32_t>(alea() % 20000) << 15 | static_cast<std::uint32_t>(alea() % 64);
        for (std::uint32_t pos = 0; pos < 70; ++pos) {
            std::vector<std::uint32_t> attendues;
            for (std::uint32_t e : seau)
                if ((e & (tailleDeBloc - 1)) == pos) attendues.push_back(e >> 15);
            for (const JeuDInstructions jeu : jeuxOfferts()) {
                const std::size_t t = entreesSur(pos, seau.data(), n, trouves.data(), jeu);
                ASSERT_EQ(std::vector<std::uint32_t>(trouves.begin(), trouves.begin() + static_cast<long>(t)), attendues);
            }
        }
    }
}

// The same relations, in the same order, whether the medium primes and the
// buckets go through wide registers or not, and whether the buckets of two
// polynomials are filled in one pass or each in its own (against the scalar
// sieve filling one at a time): on a 60-digit number (primes of the base
// past 2^15, several blocks) and on one with a factor among the medium
// primes and one among the bucket primes (primes with one root); then with
// a base past 3.6e5, whose largest primes go through the batch of entries
// (written bucket by bucket, the last sixteen under a mask).
TEST(CribleQuadratique, LeCribleVectorielDonneLesMemesRelations) {
    // The scalar sieve filling one polynomial's buckets at a time, then each
    // instruction set filling two at once, and generic filling two.
    std::vector<std::pair<JeuDInstructions, bool>> chemins{{JeuDInstructions::generique, false}};
    for (const JeuDInstructions j : jeuxOfferts()) chemins.emplace_back(j, true);
    const ZZ n60 = semipremier(30, 30);
    const ZZ avecFacteur = semipremier(25, 25) * 9001 * 40009;
    for (const auto& [n, taille, blocs] : {std::tuple{n60, 6000, 2}, {avecFacteur, 6000, 2}, {n60, 16000, 1}}) {
        const BaseDeFacteurs b = baseDeFacteurs(n, multiplicateurKnuthSchroeppel(n), taille, 1.0);
        ASSERT_GT(b.p.back(), taille > 6000 ? 360000u : 1u << 15);
        if (n == avecFacteur) {
            ASSERT_NE(std::find(b.p.begin(), b.p.end(), 9001u), b.p.end());
            ASSERT_NE(std::find(b.p.begin(), b.p.end(), 40009u), b.p.end());
        }
        std::vector<std::vector<Relation>> r(chemins.size());
        for (std::size_t v = 0; v < chemins.size(); ++v) {
            const auto [jeu, parDeux] = chemins[v];
            ParametresDuCrible par;
            par.blocs = blocs;
            par.borneGrandPremier = 40ull * b.p.back();
            par.seuil = 50;
            par.jeu = jeu;
            par.parDeux = parDeux;
            CribleSiqs crible(b, par, 3);
            const std::atomic<bool> jamais{false};
            while (r[v].size() < (taille > 6000 ? 100u : 300u)) crible.famille(r[v], jamais);
        }
        for (std::size_t v = 1; v < chemins.size(); ++v) {
            ASSERT_EQ(r[0].size(), r[v].size()) << v;
            for (std::size_t i = 0; i < r[0].size(); ++i) {
                ASSERT_EQ(r[0][i].y, r[v][i].y) << v << " " << i;
                auto f0 = r[0][i].facteurs, f1 = r[v][i].facteurs;
                std::sort(f0.begin(), f0.end());
                std::sort(f1.begin(), f1.end());
                ASSERT_EQ(f0, f1) << v << " " << i;
                ASSERT_EQ(r[0][i].grand, r[v][i].grand) << v << " " << i;
                ASSERT_TRUE(relationJuste(r[v][i], b)) << v << " " << i;
            }
        }
    }
}

// Every relation multiplied out mod kn, with one large prime at most, then
// with two (a lower threshold, and a bound on their product).
TEST(CribleQuadratique, LesRelationsDuCribleSontJustes) {
    const ZZ n = semipremier(25, 25);
    const ParametresSiqs p = parametresSiqs(50);
    const BaseDeFacteurs b = baseDeFacteurs(n, multiplicateurKnuthSchroeppel(n), static_cast<std::size_t>(p.taille), 1.0);
    for (const bool deux : {false, true}) {
        ParametresDuCrible par;
        par.blocs = 1;
        par.borneGrandPremier = 50ull * b.p.back();
        par.seuil = deux ? 42 : 50;
        if (deux) par.borneDouble = par.borneGrandPremier * par.borneGrandPremier / 4;
        CribleSiqs crible(b, par, 7);
        std::vector<Relation> r;
        const std::atomic<bool> jamais{false};
        long polynomes = 0;
        while (r.size() < 400) polynomes += crible.famille(r, jamais);
        long pleines = 0, doubles = 0;
        for (const Relation& x : r) {
            ASSERT_TRUE(relationJuste(x, b)) << x.y;
            if (x.grand == 1) {
                ++pleines;
                EXPECT_EQ(x.autreGrand, 1u);
                continue;
            }
            EXPECT_GT(x.grand, b.p.back());
            EXPECT_LT(x.grand, par.borneGrandPremier);
            EXPECT_TRUE(NTL::ProbPrime(NTL::conv<ZZ>(static_cast<unsigned long>(x.grand))));
            if (x.autreGrand != 1) {
                ++doubles;
                EXPECT_LE(x.grand, x.autreGrand);
                EXPECT_LT(x.autreGrand, par.borneGrandPremier);
                EXPECT_TRUE(NTL::ProbPrime(NTL::conv<ZZ>(static_cast<unsigned long>(x.autreGrand))));
            }
        }
        EXPECT_GT(pleines, 0);
        EXPECT_GT(polynomes, 1);
        EXPECT_EQ(doubles > 0, deux);
    }
}

TEST(CribleQuadratique, LeReleveEcarteLesDoublesEtFermeLesCycles) {
    Releve r;
    auto rel = [](long y, std::uint64_t grand, std::uint64_t autre = 1) {
        Relation x;
        x.y = y;
        x.grand = grand;
        x.autreGrand = autre;
        return x;
    };
    r.ajouter(rel(10, 1));
    r.ajouter(rel(-10, 1));  // the same square
    r.ajouter(rel(11, 1009));
    r.ajouter(rel(12, 1013));
    r.ajouter(rel(13, 1009));
    r.ajouter(rel(14, 1009));
    r.ajouter(rel(15, 1013, 1019));
    r.ajouter(rel(16, 1019, 1021));
    r.ajouter(rel(17, 1009, 1021));  // 1 - 1013 - 1019 - 1021 - 1009 - 1
    r.ajouter(rel(18, 1031, 1031));  // a square by itself
    r.ajouter(rel(19, 1033, 1039));  // apart
    EXPECT_EQ(r.pleines(), 1u);
    EXPECT_EQ(r.partielles(), 9u);
    ASSERT_EQ(r.nombreDeColonnes(), 5u);  // 10; 11 13; 11 14; 12 15 16 17 11; 18
    std::vector<std::size_t> longueurs;
    for (const Releve::Colonne& c : r.colonnes()) {
        std::map<std::uint64_t, int> fois;
        for (const Relation* x : c)
            for (std::uint64_t L : {x->grand, x->autreGrand}) fois[L] ^= 1;
        fois.erase(1);
        for (const auto& [L, impair] : fois) EXPECT_EQ(impair, 0) << L;
        longueurs.push_back(c.size());
    }
    std::sort(longueurs.begin(), longueurs.end());
    EXPECT_EQ(longueurs, (std::vector<std::size_t>{1, 1, 2, 2, 5}));
}

// Random graphs of partial relations: as many columns as independent
// cycles (edges - vertices + components, the components counted here by a
// depth-first search), each with every large prime an even number of times.
TEST(CribleQuadratique, LesCyclesDuReleveAuHasard) {
    std::mt19937_64 alea(11);
    for (int essai = 0; essai < 20; ++essai) {
        Releve r;
        const std::uint64_t premiers = 20 + alea() % 200;
        const int aretes = static_cast<int>(alea() % 300);
        std::map<std::uint64_t, std::vector<std::uint64_t>> voisins;
        voisins[1];
        for (int e = 0; e < aretes; ++e) {
            Relation x;
            x.y = 1000 + e;
            x.grand = 2 + alea() % premiers;
            x.autreGrand = alea() % 3 == 0 ? 1 : 2 + alea() % premiers;
            voisins[x.grand].push_back(x.autreGrand);
            voisins[x.autreGrand].push_back(x.grand);
            r.ajouter(std::move(x));
        }
        std::set<std::uint64_t> vus;
        long composantes = 0;
        for (const auto& [s, v] : voisins) {
            if (!vus.insert(s).second) continue;
            ++composantes;
            std::vector<std::uint64_t> pile{s};
            while (!pile.empty()) {
                const std::uint64_t t = pile.back();
                pile.pop_back();
                for (std::uint64_t u : voisins[t])
                    if (vus.insert(u).second) pile.push_back(u);
            }
        }
        const long cycles = aretes - static_cast<long>(voisins.size()) + composantes;
        ASSERT_EQ(r.nombreDeColonnes(), static_cast<std::size_t>(cycles));
        const auto colonnes = r.colonnes();
        ASSERT_EQ(colonnes.size(), static_cast<std::size_t>(cycles));
        for (const Releve::Colonne& c : colonnes) {
            std::map<std::uint64_t, int> fois;
            for (const Relation* x : c)
                for (std::uint64_t L : {x->grand, x->autreGrand}) fois[L] ^= 1;
            fois.erase(1);
            for (const auto& [L, impair] : fois) ASSERT_EQ(impair, 0) << L;
        }
    }
}

namespace {

// A random sparse matrix over GF(2): `colonnes` columns of about `poids`
// entries among `lignes` rows.
std::vector<ColonneGF2> matriceAuHasard(std::size_t lignes, std::size_t colonnes, std::size_t poids, std::mt19937_64& alea) {
    std::vector<ColonneGF2> m(colonnes);
    std::uniform_int_distribution<std::uint32_t> ligne(0, static_cast<std::uint32_t>(lignes - 1));
    for (ColonneGF2& c : m) {
        std::set<std::uint32_t> s;
        while (s.size() < poids) s.insert(ligne(alea));
        c.assign(s.begin(), s.end());
    }
    return m;
}

bool sommeNulle(const std::vector<ColonneGF2>& m, const Dependance& d, std::size_t lignes) {
    std::vector<int> somme(lignes, 0);
    for (std::size_t c : d)
        for (std::uint32_t l : m[c]) somme[l] ^= 1;
    return !d.empty() && std::all_of(somme.begin(), somme.end(), [](int x) { return x == 0; });
}

}  // namespace

TEST(CribleQuadratique, LesDependancesSommentAZero) {
    std::mt19937_64 alea(2026);
    // Dense elimination: n columns in fewer rows give n - rank dependencies;
    // as many columns as rows, independent ones, give none.
    const auto petite = matriceAuHasard(40, 50, 6, alea);
    const auto d = dependancesParGauss(petite, 40);
    EXPECT_GE(d.size(), 10u);
    for (const Dependance& x : d) EXPECT_TRUE(sommeNulle(petite, x, 40));
    std::vector<ColonneGF2> identite(30);
    for (std::uint32_t i = 0; i < 30; ++i) identite[i] = {i};
    EXPECT_TRUE(dependancesParGauss(identite, 30).empty());
    // Through the singletons' removal, both methods (dense below 1500 rows,
    // block Lanczos above), with the columns of a sieve's weight.
    for (std::size_t lignes : {600u, 4000u}) {
        const auto m = matriceAuHasard(lignes, lignes + 80, 12, alea);
        const auto deps = dependances(m, lignes, 3);
        EXPECT_GE(deps.size(), 16u) << lignes;
        for (const Dependance& x : deps) EXPECT_TRUE(sommeNulle(m, x, lignes)) << lignes;
    }
}

TEST(CribleQuadratique, DesSemipremiersDe30A60Chiffres) {
    for (long chiffres : {30L, 36L, 42L, 48L, 54L, 60L}) {
        const ZZ n = semipremier(chiffres / 2 - 1, chiffres - chiffres / 2 + 1);
        ZZ f;
        ASSERT_TRUE(cribleQuadratique(n, f, 2)) << n;
        EXPECT_TRUE(f > 1 && f < n && n % f == 0) << n << " " << f;
    }
}

// On each instruction set: the factor, the share told up to 1, and not one
// relation dropped by the check at the merge.
TEST(CribleQuadratique, LAvancementVaJusquAuBout) {
    const ZZ n = semipremier(24, 26);
    for (const JeuDInstructions jeu : jeuxOfferts()) {
        std::vector<AvancementDuCrible> vus;
        ZZ f;
        ParametresSiqs p = parametresSiqs(nombreDeChiffres(n));
        p.jeu = jeu;
        ASSERT_TRUE(cribleQuadratique(n, f, 1, p, [&](const AvancementDuCrible& a) { vus.push_back(a); })) << nomDuJeu(jeu);
        EXPECT_TRUE(f > 1 && f < n && n % f == 0) << nomDuJeu(jeu);
        ASSERT_FALSE(vus.empty());
        for (std::size_t i = 1; i < vus.size(); ++i) EXPECT_GE(vus[i].part, vus[i - 1].part);
        EXPECT_EQ(vus.back().part, 1.0);
        EXPECT_EQ(vus.back().rejetees, 0u) << nomDuJeu(jeu);
        for (const AvancementDuCrible& a : vus) EXPECT_EQ(a.restant < 0, a.part < 0.01);
    }
}

// The check made at the merge: every relation of the sieve passes; one
// changed anywhere (a factor, y, a large prime, the sign, an index past
// the base) does not.
TEST(CribleQuadratique, UneRelationFausseEstEcartee) {
    const ZZ n = semipremier(25, 25);
    const BaseDeFacteurs b = baseDeFacteurs(n, multiplicateurKnuthSchroeppel(n), 1200, 1.0);
    ParametresDuCrible par;
    par.borneGrandPremier = 50ull * b.p.back();
    par.seuil = 50;
    CribleSiqs crible(b, par, 7);
    std::vector<Relation> r;
    const std::atomic<bool> jamais{false};
    while (r.size() < 50) crible.famille(r, jamais);
    long partielles = 0;
    for (const Relation& x : r) {
        ASSERT_TRUE(relationExacte(x, b));
        partielles += x.grand != 1;
        std::vector<Relation> fausses(5, x);
        fausses[0].facteurs.back() = fausses[0].facteurs.back() == 1 ? 2 : 1;
        fausses[1].y += 1;
        fausses[2].grand = x.grand == 1 ? 3 : x.grand + 2;
        fausses[3].facteurs.push_back(0);
        fausses[4].facteurs.push_back(static_cast<std::uint32_t>(b.taille()));
        for (std::size_t k = 0; k < fausses.size(); ++k) EXPECT_FALSE(relationExacte(fausses[k], b)) << k;
    }
    EXPECT_GT(partielles, 0);
}

// The table read between its rows: growing bases, and two large primes
// only from the first row that asks for them (no threshold half-way).
// Two large primes forced on small numbers: the factor comes from
// dependencies whose columns are cycles of partial relations.
TEST(CribleQuadratique, DesSemipremiersAvecDeuxGrandsPremiers) {
    for (long chiffres : {40L, 50L}) {
        const ZZ n = semipremier(chiffres / 2, chiffres / 2);
        ParametresSiqs p = parametresSiqs(chiffres);
        p.marge = 2.6;
        p.exposantDouble = 1.8;
        ZZ f;
        ASSERT_TRUE(cribleQuadratique(n, f, 2, p)) << n;
        EXPECT_TRUE(f > 1 && f < n && n % f == 0) << n << " " << f;
    }
}

TEST(CribleQuadratique, LaTableEntreSesLignes) {
    for (long d = 30; d < 110; ++d) {
        const ParametresSiqs a = parametresSiqs(d), b = parametresSiqs(d + 1);
        EXPECT_LE(a.taille, b.taille) << d;
        EXPECT_TRUE(b.exposantDouble == 0 || b.exposantDouble >= 1.5) << d;
        EXPECT_TRUE(a.exposantDouble == 0 || b.exposantDouble != 0) << d;
    }
    EXPECT_EQ(parametresSiqs(72).exposantDouble, 0);
    EXPECT_EQ(parametresSiqs(72).marge, parametresSiqs(70).marge);
    EXPECT_GT(parametresSiqs(74).exposantDouble, 0);
}

// Full relations at a steady rate, cycles growing as t^k: the end found at
// T whatever k, read from the cycles at t / 2; while they are too few, the
// default exponent; with nothing yet, nothing known.
TEST(CribleQuadratique, LEstimationDuResteSuitLaCroissance) {
    const double T = 300, voulues = 50000;
    for (double k : {1.5, 2.0, 2.5, 3.0}) {
        auto pleines = [&](double u) { return voulues / 2 * u / T; };
        auto cycles = [&](double u) { return voulues / 2 * std::pow(u / T, k); };
        for (double t : {10.0, 60.0, 250.0}) {
            if (cycles(t / 2) < 20) continue;
            EXPECT_NEAR(estimationDuReste(t, pleines(t), cycles(t), t / 2, cycles(t / 2), voulues, 2.0), T - t, 1e-6 * T)
                << k << " " << t;
        }
        EXPECT_NEAR(estimationDuReste(10, pleines(10), cycles(10), 5, std::min(19.0, cycles(5)), voulues, k), T - 10, 1e-6 * T) << k;
    }
    EXPECT_LT(estimationDuReste(30, 0, 0, 15, 0, voulues, 2.5), 0);
    EXPECT_EQ(estimationDuReste(30, 40000, 10000, 15, 3000, voulues, 2.5), 0);
}

TEST(CribleQuadratique, UneInterruptionArreteChaqueFil) {
    // A 66-digit semiprime takes seconds: the request comes after 0.3 s; the
    // sieve throws within a second, its threads joined.
    const ZZ n = semipremier(33, 33);
    std::thread demande([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        interruptionDemandee = 1;
    });
    const auto t0 = std::chrono::steady_clock::now();
    ZZ f;
    EXPECT_THROW(cribleQuadratique(n, f, 2), CalculInterrompu);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    demande.join();
    interruptionDemandee = 0;
    EXPECT_LT(s, 1.3);
    std::size_t fils = 0;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (const dirent* e = ::readdir(d)) fils += e->d_name[0] != '.';
        ::closedir(d);
    }
    EXPECT_EQ(fils, 1u);
}
