// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/algebre_lineaire.h"

#include "factor/lanczos.h"

#include "commun/enfant.h"

#include <flint/flint.h>
#include <flint/qsieve.h>

#include <algorithm>

namespace harmo {

namespace {

// Below this many rows, dense elimination costs less than setting Lanczos up.
constexpr std::size_t lignesDense = 1500;

class GraineFlint {
   public:
    explicit GraineFlint(std::uint64_t g) {
        flint_randinit(etat);
        flint_randseed(etat, g | 1, g * 0x9E3779B97F4A7C15ull + 1);
    }
    ~GraineFlint() { flint_randclear(etat); }
    GraineFlint(const GraineFlint&) = delete;
    GraineFlint& operator=(const GraineFlint&) = delete;
    flint_rand_t etat;
};

}  // namespace

std::vector<Dependance> dependancesParFlint(const std::vector<ColonneGF2>& colonnes, std::size_t lignes, std::uint64_t graine) {
    std::vector<la_col_t> m(colonnes.size());
    std::vector<std::vector<slong>> entrees(colonnes.size());
    for (std::size_t c = 0; c < colonnes.size(); ++c) {
        entrees[c].assign(colonnes[c].begin(), colonnes[c].end());
        m[c].data = entrees[c].data();
        m[c].weight = static_cast<slong>(entrees[c].size());
        m[c].orig = static_cast<slong>(c);
    }
    GraineFlint g(graine);
    std::uint64_t* nuls = block_lanczos(g.etat, static_cast<slong>(lignes), 0, static_cast<slong>(colonnes.size()), m.data());
    std::vector<Dependance> d;
    if (nuls == nullptr) return d;
    for (int bit = 0; bit < 64; ++bit) {
        Dependance dep;
        for (std::size_t c = 0; c < colonnes.size(); ++c)
            if ((nuls[c] >> bit) & 1) dep.push_back(static_cast<std::size_t>(m[c].orig));
        if (!dep.empty()) d.push_back(std::move(dep));
    }
    flint_free(nuls);
    return d;
}

std::vector<Dependance> dependancesParGauss(const std::vector<ColonneGF2>& colonnes, std::size_t lignes, std::size_t maximum) {
    const std::size_t n = colonnes.size();
    const std::size_t ml = (lignes + 63) / 64, mh = (n + 63) / 64, m = ml + mh;
    // Each column as a row of bits: its entries, then the columns it sums.
    std::vector<std::uint64_t> a(n * m, 0);
    for (std::size_t c = 0; c < n; ++c) {
        std::uint64_t* r = &a[c * m];
        for (std::uint32_t l : colonnes[c]) r[l / 64] ^= 1ull << (l % 64);
        r[ml + c / 64] |= 1ull << (c % 64);
    }
    std::vector<Dependance> d;
    std::vector<std::size_t> pivot(lignes, n);  // the reduced column whose lowest row is that one
    for (std::size_t c = 0; c < n && d.size() < maximum; ++c) {
        std::uint64_t* r = &a[c * m];
        std::size_t bas = lignes;
        for (;;) {
            bas = lignes;
            for (std::size_t w = 0; w < ml; ++w)
                if (r[w] != 0) {
                    bas = w * 64 + static_cast<std::size_t>(__builtin_ctzll(r[w]));
                    break;
                }
            if (bas == lignes || pivot[bas] == n) break;
            const std::uint64_t* q = &a[pivot[bas] * m];
            for (std::size_t w = bas / 64; w < m; ++w) r[w] ^= q[w];
        }
        if (bas < lignes) {
            pivot[bas] = c;
            continue;
        }
        Dependance dep;
        for (std::size_t k = 0; k < n; ++k)
            if ((r[ml + k / 64] >> (k % 64)) & 1) dep.push_back(k);
        d.push_back(std::move(dep));
    }
    return d;
}

namespace {

// FLINT's block_lanczos ends the process (flint_abort) when its last check
// fails: it runs in a child process of its own, whose end is then only a
// failure, no dependency.
std::vector<Dependance> dependancesParFlintAPart(const std::vector<ColonneGF2>& colonnes, std::size_t lignes,
                                                 std::uint64_t graine) {
    try {
        Resultat r = calculerAPart([&](Canal& canal) {
            const std::vector<Dependance> d = dependancesParFlint(colonnes, lignes, graine);
            canal << static_cast<long>(d.size());
            for (const Dependance& dep : d) {
                canal << static_cast<long>(dep.size());
                for (std::size_t c : dep) canal << static_cast<long>(c);
            }
        });
        long nombre = 0;
        r >> nombre;
        std::vector<Dependance> d(static_cast<std::size_t>(nombre));
        for (Dependance& dep : d) {
            long taille = 0;
            r >> taille;
            dep.resize(static_cast<std::size_t>(taille));
            for (std::size_t& c : dep) {
                long v = 0;
                r >> v;
                c = static_cast<std::size_t>(v);
            }
        }
        return d;
    } catch (const EchecDuCalcul&) {
        return {};
    }
}

}  // namespace

std::vector<Dependance> dependances(const std::vector<ColonneGF2>& colonnes, std::size_t lignes, std::uint64_t graine,
                                    unsigned fils) {
    // Rows met once and their columns out, until none is left; then the
    // columns beyond the rows plus 64.
    std::vector<bool> garde(colonnes.size(), true);
    std::vector<std::uint32_t> poids(lignes, 0);
    for (const ColonneGF2& c : colonnes)
        for (std::uint32_t l : c) ++poids[l];
    std::size_t gardees = colonnes.size();
    for (bool change = true; change;) {
        change = false;
        for (std::size_t c = 0; c < colonnes.size(); ++c) {
            if (!garde[c]) continue;
            if (std::any_of(colonnes[c].begin(), colonnes[c].end(), [&](std::uint32_t l) { return poids[l] < 2; })) {
                garde[c] = false;
                --gardees;
                change = true;
                for (std::uint32_t l : colonnes[c]) --poids[l];
            }
        }
        std::size_t actives = static_cast<std::size_t>(std::count_if(poids.begin(), poids.end(), [](std::uint32_t w) { return w > 0; }));
        for (std::size_t c = colonnes.size(); c-- > 0 && gardees > actives + 64;)
            if (garde[c]) {
                garde[c] = false;
                --gardees;
                change = true;
                for (std::uint32_t l : colonnes[c]) --poids[l];
            }
    }
    std::vector<std::uint32_t> numero(lignes, 0);
    std::uint32_t actives = 0;
    for (std::size_t l = 0; l < lignes; ++l)
        if (poids[l] > 0) numero[l] = actives++;
    std::vector<std::size_t> origine;
    std::vector<ColonneGF2> reduites;
    for (std::size_t c = 0; c < colonnes.size(); ++c) {
        if (!garde[c]) continue;
        origine.push_back(c);
        ColonneGF2 r;
        for (std::uint32_t l : colonnes[c]) r.push_back(numero[l]);
        reduites.push_back(std::move(r));
    }
    if (reduites.empty()) return {};
    std::vector<Dependance> d;
    if (actives < lignesDense) {
        d = dependancesParGauss(reduites, actives);
    } else {
        // Our own Lanczos from up to four starts (a breakdown depends on the
        // start), then FLINT's.
        std::vector<std::uint64_t> noyau;
        for (std::uint64_t essai = 0; essai < 4 && noyau.empty(); ++essai)
            noyau = noyauParLanczos(reduites, actives, graine + essai * 0x9E3779B97F4A7C15ull, fils);
        if (!noyau.empty()) {
            for (int bit = 0; bit < 64; ++bit) {
                Dependance dep;
                for (std::size_t c = 0; c < reduites.size(); ++c)
                    if ((noyau[c] >> bit) & 1) dep.push_back(c);
                if (!dep.empty()) d.push_back(std::move(dep));
            }
        } else {
            d = dependancesParFlintAPart(reduites, actives, graine);
        }
    }
    // Each one checked: a wrong dependency would only waste a square root.
    std::vector<Dependance> justes;
    std::vector<std::uint8_t> somme(lignes, 0);
    for (Dependance& dep : d) {
        for (std::size_t& c : dep) c = origine[c];
        for (std::size_t c : dep)
            for (std::uint32_t l : colonnes[c]) somme[l] ^= 1;
        bool nulle = true;
        for (std::size_t c : dep)
            for (std::uint32_t l : colonnes[c]) nulle = nulle && somme[l] == 0, somme[l] = 0;
        if (nulle) justes.push_back(std::move(dep));
    }
    return justes;
}

}  // namespace harmo
