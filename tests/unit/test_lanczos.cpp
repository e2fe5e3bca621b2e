// SPDX-License-Identifier: GPL-3.0-or-later
// Block Lanczos against dense elimination on matrices shaped like a
// sieve's: a few rows in most columns (the sign, the smallest primes, the
// primes of a family's A, shared by neighbouring columns), the others rare.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "commun/suivi.h"
#include "factor/algebre_lineaire.h"
#include "factor/lanczos.h"

using namespace harmo;

namespace {

std::vector<ColonneGF2> matriceDeCrible(std::size_t lignes, std::size_t colonnes, std::uint64_t graine) {
    std::mt19937_64 alea(graine);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<ColonneGF2> m(colonnes);
    std::vector<std::uint32_t> famille;
    for (std::size_t c = 0; c < colonnes; ++c) {
        if (c % 40 == 0) {  // a new A: 8 primes among rows 30 to 89
            famille.clear();
            for (int k = 0; k < 8; ++k) famille.push_back(30 + static_cast<std::uint32_t>(alea() % 60));
        }
        std::set<std::uint32_t> s(famille.begin(), famille.end());
        if (u(alea) < 0.5) s.insert(0);
        for (std::uint32_t r = 1; r < 30; ++r)
            if (u(alea) < 1.0 / (r + 1)) s.insert(r);
        for (int k = 0; k < 12; ++k)  // the rest, the small rows likelier
            s.insert(90 + static_cast<std::uint32_t>(static_cast<double>(lignes - 91) * u(alea) * u(alea)));
        m[c].assign(s.begin(), s.end());
    }
    return m;
}

// The vectors of the kernel are in the bits of the words; each one is
// checked, and their rank is their number.
std::size_t verifierNoyau(const std::vector<ColonneGF2>& m, std::size_t lignes, const std::vector<std::uint64_t>& z) {
    std::size_t nombre = 0;
    while (nombre < 64 && std::any_of(z.begin(), z.end(), [&](std::uint64_t w) { return (w >> nombre) & 1; })) ++nombre;
    for (std::size_t k = nombre; k < 64; ++k)
        EXPECT_TRUE(std::none_of(z.begin(), z.end(), [&](std::uint64_t w) { return (w >> k) & 1; })) << "zero vectors come last";
    std::vector<std::uint64_t> image(lignes, 0);
    for (std::size_t c = 0; c < m.size(); ++c)
        for (std::uint32_t l : m[c]) image[l] ^= z[c];
    for (std::size_t l = 0; l < lignes; ++l) EXPECT_EQ(image[l], 0u) << "row " << l;
    // Rank of the vectors: elimination on the columns' words.
    std::vector<std::uint64_t> v(z);
    std::size_t rang = 0;
    for (int bit = 0; bit < 64; ++bit) {
        auto p = std::find_if(v.begin(), v.end(), [&](std::uint64_t w) { return (w >> bit) & 1; });
        if (p == v.end()) continue;
        ++rang;
        const std::uint64_t pivot = *p;
        for (std::uint64_t& w : v)
            if ((w >> bit) & 1) w ^= pivot;
    }
    EXPECT_EQ(rang, nombre);
    return nombre;
}

}  // namespace

// A kernel of dimension at least 120 (120 more columns than rows; more than
// 4096 columns, so that the dense rows come in two blocks): most of 64
// vectors (53 with every start tried, FLINT's block_lanczos 52 when it
// does not fail), and the same ones on one, two or three threads.
TEST(Lanczos, LeNoyauEstJusteEtLeMemeSurPlusieursFils) {
    const std::size_t lignes = 4400;
    const auto m = matriceDeCrible(lignes, lignes + 120, 7);
    const auto z = noyauParLanczos(m, lignes, 5, 1);
    ASSERT_EQ(z.size(), m.size());
    EXPECT_GE(verifierNoyau(m, lignes, z), 48u);
    EXPECT_EQ(noyauParLanczos(m, lignes, 5, 2), z);
    EXPECT_EQ(noyauParLanczos(m, lignes, 5, 3), z);
    EXPECT_NE(noyauParLanczos(m, lignes, 6, 2), z);  // another start, other vectors
}

// An interrupt request stops every thread at its next step, and the
// caller hears of it.
TEST(Lanczos, UneInterruptionArreteChaqueFil) {
    const std::size_t lignes = 4400;
    const auto m = matriceDeCrible(lignes, lignes + 120, 7);
    for (unsigned fils : {1u, 3u}) {
        interruptionDemandee.store(1);
        EXPECT_THROW(noyauParLanczos(m, lignes, 5, fils), CalculInterrompu);
        interruptionDemandee.store(0);
    }
    EXPECT_FALSE(noyauParLanczos(m, lignes, 5, 2).empty());
}

// A small kernel, its dimension known by dense elimination: the columns
// that close a dependency taken out, then a few columns put back.
TEST(Lanczos, UnPetitNoyauEstTrouvePresqueEnEntier) {
    const std::size_t lignes = 1800;
    const auto tout = matriceDeCrible(lignes, lignes, 11);
    std::vector<bool> ote(tout.size(), false);
    for (const Dependance& d : dependancesParGauss(tout, lignes, tout.size())) ote[*std::max_element(d.begin(), d.end())] = true;
    std::vector<ColonneGF2> libres;
    for (std::size_t c = 0; c < tout.size(); ++c)
        if (!ote[c]) libres.push_back(tout[c]);
    ASSERT_TRUE(dependancesParGauss(libres, lignes).empty());
    for (std::size_t extra : {3u, 12u, 30u}) {
        auto m = libres;
        const auto plus = matriceDeCrible(lignes, extra, 100 + extra);
        m.insert(m.end(), plus.begin(), plus.end());
        const std::size_t dimension = dependancesParGauss(m, lignes).size();
        const auto z = noyauParLanczos(m, lignes, 1, 2);
        ASSERT_EQ(z.size(), m.size());
        const std::size_t trouves = verifierNoyau(m, lignes, z);
        EXPECT_LE(trouves, dimension);
        EXPECT_GE(trouves + 4, dimension) << extra;
    }
}
