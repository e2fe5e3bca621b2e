// SPDX-License-Identifier: GPL-3.0-or-later
// The block Lanczos of the factorisation engine (factor/lanczos.h) beside
// FLINT's block_lanczos, on the same matrix shaped like those of the sieve
// at 85 and 89 digits: rows 0 to 63 the sign and the smallest primes, rows
// 64 to 255 the primes of the A's (eleven in each of 40 neighbouring
// columns), then about 25 rows drawn with the smaller ones likelier; 45
// entries a column in all, 64 columns more than rows. Each run alternated
// three times; prints the seconds of each and the vectors found.
//   lanczos [rows]     (default 47,000: the size of H(193)'s 85-digit matrix)
#include "commun/coeurs.h"
#include "factor/algebre_lineaire.h"
#include "factor/lanczos.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

namespace {

using Matrice = std::vector<std::vector<std::uint32_t>>;

Matrice matrice(std::size_t lignes) {
    std::mt19937_64 alea(2026);
    std::uniform_real_distribution<double> u(0, 1);
    Matrice m(lignes + 64);
    std::vector<std::uint32_t> famille;
    for (std::size_t c = 0; c < m.size(); ++c) {
        if (c % 40 == 0) {
            famille.clear();
            for (int k = 0; k < 11; ++k) famille.push_back(64 + static_cast<std::uint32_t>(alea() % 192));
        }
        std::set<std::uint32_t> s(famille.begin(), famille.end());
        if (u(alea) < 0.5) s.insert(0);
        for (std::uint32_t r = 1; r < 64; ++r)
            if (u(alea) < 1.2 / (r + 1)) s.insert(r);
        for (int k = 0; k < 25; ++k)
            s.insert(256 + static_cast<std::uint32_t>(static_cast<double>(lignes - 257) * u(alea) * u(alea)));
        m[c].assign(s.begin(), s.end());
    }
    return m;
}

// Vectors of 64 bits a column: those that are not zero and that the matrix
// sends to zero.
int justes(const Matrice& m, std::size_t lignes, const std::vector<std::uint64_t>& z) {
    if (z.empty()) return 0;
    std::vector<std::uint64_t> image(lignes, 0);
    std::uint64_t nonNuls = 0, faux = 0;
    for (std::size_t c = 0; c < m.size(); ++c) {
        nonNuls |= z[c];
        for (std::uint32_t l : m[c]) image[l] ^= z[c];
    }
    for (std::uint64_t w : image) faux |= w;
    return __builtin_popcountll(nonNuls & ~faux);
}

// FLINT's kernel as words of 64 bits, the k-th dependency in bit k.
std::vector<std::uint64_t> parFlint(const Matrice& m, std::size_t lignes) {
    std::vector<std::uint64_t> z(m.size(), 0);
    const auto d = harmo::dependancesParFlint(m, lignes, 1);
    for (std::size_t k = 0; k < d.size(); ++k)
        for (std::size_t c : d[k]) z[c] |= 1ull << k;
    return z;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t lignes = argc > 1 ? static_cast<std::size_t>(std::atol(argv[1])) : 47000;
    const Matrice m = matrice(lignes);
    std::size_t entrees = 0;
    for (const auto& c : m) entrees += c.size();
    const unsigned coeurs = harmo::nombreDeCoeurs();
    std::printf("%zu lignes, %zu colonnes, %zu entrees ; %u coeurs\n", lignes, m.size(), entrees, coeurs);
    auto chrono = [](auto&& f, int& vus) {
        const auto t = std::chrono::steady_clock::now();
        vus = f();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    };
    std::vector<double> flint, un, tous;
    int vf = 0, v1 = 0, vt = 0;
    for (int essai = 0; essai < 3; ++essai) {
        flint.push_back(chrono([&] { return justes(m, lignes, parFlint(m, lignes)); }, vf));
        un.push_back(chrono([&] { return justes(m, lignes, harmo::noyauParLanczos(m, lignes, 1 + essai, 1)); }, v1));
        tous.push_back(chrono([&] { return justes(m, lignes, harmo::noyauParLanczos(m, lignes, 1 + essai, coeurs)); }, vt));
    }
    auto mediane = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double f = mediane(flint), a = mediane(un), b = mediane(tous);
    std::printf("FLINT block_lanczos        %6.2f s  (%d vecteurs)\n", f, vf);
    std::printf("moteur, un fil             %6.2f s  (%d vecteurs)  rapport %.2f\n", a, v1, a / f);
    std::printf("moteur, %u fils             %6.2f s  (%d vecteurs)  rapport %.2f\n", coeurs, b, vt, b / f);
}
