// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/releve.h"

namespace harmo {

namespace {

// y and -y give the same relation.
std::uint64_t empreinte(const NTL::ZZ& y) {
    NTL::ZZ a = NTL::abs(y);
    return static_cast<std::uint64_t>(NTL::trunc_long(a, 64)) ^ (static_cast<std::uint64_t>(NTL::NumBits(a)) << 57);
}

}  // namespace

void Releve::ajouter(Relation&& r) {
    if (!vues_.insert(empreinte(r.y)).second) return;
    if (r.grand == 1) {
        pleines_.push_back(std::move(r));
        return;
    }
    const std::uint64_t L = r.grand;
    partielles_.push_back(std::move(r));
    const std::size_t k = partielles_.size() - 1;
    auto [it, nouveau] = premiereAvec_.emplace(L, k);
    if (!nouveau) paires_.emplace_back(it->second, k);
}

std::vector<Releve::Colonne> Releve::colonnes() const {
    std::vector<Colonne> c;
    c.reserve(nombreDeColonnes());
    for (const Relation& r : pleines_) c.push_back({&r, nullptr});
    for (const auto& [a, b] : paires_) c.push_back({&partielles_[a], &partielles_[b]});
    return c;
}

}  // namespace harmo
