// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/releve.h"

#include <algorithm>

namespace harmo {

namespace {

// y and -y give the same relation.
std::uint64_t empreinte(const NTL::ZZ& y) {
    NTL::ZZ a = NTL::abs(y);
    return static_cast<std::uint64_t>(NTL::trunc_long(a, 64)) ^ (static_cast<std::uint64_t>(NTL::NumBits(a)) << 57);
}

}  // namespace

bool relationExacte(const Relation& r, const BaseDeFacteurs& base) {
    NTL::ZZ produit(1), attendu;
    bool negatif = false;
    for (const std::uint32_t i : r.facteurs) {
        if (i >= base.taille()) return false;
        if (i == 0)
            negatif = !negatif;
        else
            NTL::mul(produit, produit, static_cast<long>(base.p[i]));
    }
    for (const std::uint64_t L : {r.grand, r.autreGrand})
        if (L != 1) NTL::mul(produit, produit, NTL::conv<NTL::ZZ>(static_cast<unsigned long>(L)));
    if (negatif) NTL::negate(produit, produit);
    NTL::sqr(attendu, r.y);
    NTL::sub(attendu, attendu, base.kn);
    return attendu == produit;
}

std::uint32_t Releve::sommet(std::uint64_t L) {
    if (parent_.empty()) {
        sommets_.emplace(1, 0);
        parent_.push_back(0);
    }
    auto [it, nouveau] = sommets_.emplace(L, static_cast<std::uint32_t>(parent_.size()));
    if (nouveau) parent_.push_back(it->second);
    return it->second;
}

std::uint32_t Releve::racine(std::uint32_t s) {
    while (parent_[s] != s) {
        parent_[s] = parent_[parent_[s]];  // path halving
        s = parent_[s];
    }
    return s;
}

const Relation* Releve::ajouter(Relation&& r) {
    if (!vues_.insert(empreinte(r.y)).second) return nullptr;
    if (r.grand == 1 && r.autreGrand == 1) {
        pleines_.push_back(std::move(r));
        return &pleines_.back();
    }
    const std::uint32_t u = sommet(r.grand), v = sommet(r.autreGrand);
    partielles_.push_back(std::move(r));
    aretes_.emplace_back(u, v);
    const std::uint32_t ru = racine(u), rv = racine(v);
    if (ru == rv) {
        ++cycles_;  // an edge closing a cycle
    } else {
        parent_[std::max(ru, rv)] = std::min(ru, rv);
    }
    return &partielles_.back();
}

std::vector<Releve::Colonne> Releve::colonnes() const {
    std::vector<Colonne> c;
    c.reserve(nombreDeColonnes());
    for (const Relation& r : pleines_) c.push_back({&r});
    // A spanning forest by breadth-first search; every edge left out closes
    // one cycle: itself and the two tree paths from its ends to where they meet.
    const std::size_t V = parent_.size();
    std::vector<std::uint32_t> debut(V + 1, 0), voisins(2 * aretes_.size());
    for (const auto& [u, v] : aretes_) {
        ++debut[u + 1];
        ++debut[v + 1];
    }
    for (std::size_t s = 0; s < V; ++s) debut[s + 1] += debut[s];
    std::vector<std::uint32_t> place(debut.begin(), debut.end() - 1);
    for (std::uint32_t e = 0; e < aretes_.size(); ++e) {
        voisins[place[aretes_[e].first]++] = e;
        voisins[place[aretes_[e].second]++] = e;
    }
    constexpr std::uint32_t aucune = 0xFFFFFFFFu;
    std::vector<std::uint32_t> areteVersParent(V, aucune), profondeur(V, aucune), file;
    std::vector<bool> dansLArbre(aretes_.size(), false);
    for (std::uint32_t s0 = 0; s0 < V; ++s0) {
        if (profondeur[s0] != aucune) continue;
        profondeur[s0] = 0;
        file.assign(1, s0);
        for (std::size_t k = 0; k < file.size(); ++k) {
            const std::uint32_t s = file[k];
            for (std::uint32_t i = debut[s]; i < debut[s + 1]; ++i) {
                const std::uint32_t e = voisins[i];
                const std::uint32_t t = aretes_[e].first == s ? aretes_[e].second : aretes_[e].first;
                if (profondeur[t] != aucune) continue;
                profondeur[t] = profondeur[s] + 1;
                areteVersParent[t] = e;
                dansLArbre[e] = true;
                file.push_back(t);
            }
        }
    }
    auto pere = [&](std::uint32_t s) {
        const auto& [a, b] = aretes_[areteVersParent[s]];
        return a == s ? b : a;
    };
    for (std::uint32_t e = 0; e < aretes_.size(); ++e) {
        if (dansLArbre[e]) continue;
        Colonne col{&partielles_[e]};
        std::uint32_t u = aretes_[e].first, v = aretes_[e].second;
        while (u != v) {
            if (profondeur[u] >= profondeur[v]) {
                col.push_back(&partielles_[areteVersParent[u]]);
                u = pere(u);
            } else {
                col.push_back(&partielles_[areteVersParent[v]]);
                v = pere(v);
            }
        }
        c.push_back(std::move(col));
    }
    return c;
}

}  // namespace harmo
