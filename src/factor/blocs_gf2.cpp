// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/blocs_gf2.h"

namespace harmo::gf2 {

// a b: row i of the product is the sum of the rows of b picked by row i of a.
Bloc produit(const Bloc& a, const Bloc& b) {
    Bloc c{};
    for (int i = 0; i < 64; ++i) {
        u64 r = 0;
        for (u64 x = a[i]; x != 0; x &= x - 1) r ^= b[static_cast<unsigned>(__builtin_ctzll(x))];
        c[i] = r;
    }
    return c;
}

Bloc plusIdentite(Bloc a) {
    for (int i = 0; i < 64; ++i) a[i] ^= 1ull << i;
    return a;
}

// Montgomery's choice of the columns S of the block kept at this step and
// of W = S (S^T T S)^-1 S^T, T = V^T A V: Gauss-Jordan on [T | I], the
// columns left out at the step before taken first. The dimension of S; -1
// when no choice exists (the iteration has broken down).
int choisir(const Bloc& t, u64 precedent, Bloc& w, u64& masque) {
    u64 m[64][2];
    for (int i = 0; i < 64; ++i) {
        m[i][0] = t[i];
        m[i][1] = 1ull << i;
    }
    int s[64], k = 0;
    for (int i = 0; i < 64; ++i)
        if (!((precedent >> i) & 1)) s[k++] = i;
    for (int i = 0; i < 64; ++i)
        if ((precedent >> i) & 1) s[k++] = i;
    masque = 0;
    int dimension = 0;
    auto echanger = [&](int a, int b) {
        std::swap(m[a][0], m[b][0]);
        std::swap(m[a][1], m[b][1]);
    };
    for (int i = 0; i < 64; ++i) {
        const int ligne = s[i];
        const u64 bit = 1ull << ligne;
        int j = i;
        while (j < 64 && !(m[s[j]][0] & bit)) ++j;
        if (j < 64) {
            echanger(ligne, s[j]);
            for (int r = 0; r < 64; ++r)
                if (r != ligne && (m[r][0] & bit)) m[r][0] ^= m[ligne][0], m[r][1] ^= m[ligne][1];
            masque |= bit;
            ++dimension;
            continue;
        }
        j = i;
        while (j < 64 && !(m[s[j]][1] & bit)) ++j;
        if (j == 64) return -1;
        echanger(ligne, s[j]);
        for (int r = 0; r < 64; ++r)
            if (r != ligne && (m[r][1] & bit)) m[r][0] ^= m[ligne][0], m[r][1] ^= m[ligne][1];
        m[ligne][0] = m[ligne][1] = 0;
    }
    for (int i = 0; i < 64; ++i) w[i] = m[i][1];
    return dimension;
}

}  // namespace harmo::gf2
