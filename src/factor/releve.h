// SPDX-License-Identifier: GPL-3.0-or-later
// The relations of a quadratic sieve gathered from every thread: full ones
// kept as they come, partial ones (one large prime L left) matched by L, so
// that two partials with the same L make one more usable column (their
// product has L^2, a square). Duplicates (the same y from two polynomials
// or threads) are dropped.
//
// Cost: a hash lookup per relation; memory about 150 bytes per relation kept.
// Reference: A. K. Lenstra, M. S. Manasse, "Factoring with two large
// primes", EUROCRYPT '90 (the single large prime variation recalled there).
#pragma once

#include "factor/crible.h"

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace harmo {

class Releve {
public:
    void ajouter(Relation&& r);

    // A column of the matrix: one full relation, or two partials with the
    // same large prime (b non-null).
    struct Colonne {
        const Relation* a;
        const Relation* b;
    };
    std::vector<Colonne> colonnes() const;
    std::size_t nombreDeColonnes() const { return pleines_.size() + paires_.size(); }
    std::size_t pleines() const { return pleines_.size(); }
    std::size_t partielles() const { return partielles_.size(); }

private:
    std::deque<Relation> pleines_, partielles_;
    std::unordered_map<std::uint64_t, std::size_t> premiereAvec_;  // large prime -> first partial with it
    std::vector<std::pair<std::size_t, std::size_t>> paires_;
    std::unordered_set<std::uint64_t> vues_;
};

}  // namespace harmo
