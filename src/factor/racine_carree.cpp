// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/racine_carree.h"

#include <map>

namespace harmo {

bool facteurParRacineCarree(const NTL::ZZ& n, const BaseDeFacteurs& base, const std::vector<const Relation*>& relations, NTL::ZZ& facteur) {
    std::vector<long> exposant(base.taille(), 0);
    std::map<std::uint64_t, long> grands;
    NTL::ZZ X(1), Y(1);
    for (const Relation* r : relations) {
        NTL::MulMod(X, X, NTL::abs(r->y) % n, n);
        for (std::uint32_t i : r->facteurs) ++exposant[i];
        for (std::uint64_t L : {r->grand, r->autreGrand})
            if (L != 1) ++grands[L];
    }
    for (std::size_t i = 1; i < base.taille(); ++i) {
        if (exposant[i] % 2 != 0) return false;
        if (exposant[i] > 0) NTL::MulMod(Y, Y, NTL::PowerMod(NTL::ZZ(base.p[i]) % n, exposant[i] / 2, n), n);
    }
    if (exposant[0] % 2 != 0) return false;
    for (const auto& [L, e] : grands) {
        if (e % 2 != 0) return false;
        NTL::MulMod(Y, Y, NTL::PowerMod(NTL::conv<NTL::ZZ>(static_cast<unsigned long>(L)) % n, e / 2, n), n);
    }
    facteur = NTL::GCD(X - Y, n);
    return facteur > 1 && facteur < n;
}

}  // namespace harmo
