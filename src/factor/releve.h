// SPDX-License-Identifier: GPL-3.0-or-later
// The relations of a quadratic sieve gathered from every thread. Full ones
// are kept as they come. A partial one, with one or two large primes left,
// is an edge of a graph whose vertices are the large primes and 1 (the
// other end of a relation with one large prime); every cycle of that graph
// is a set of relations whose product has each large prime to an even
// power, so one more usable column. The independent cycles are counted as
// the relations arrive, by union-find (edges - vertices + components); the
// cycles themselves are found once, from a spanning forest. Duplicates (the
// same y from two polynomials or threads) are dropped.
//
// Cost: a hash lookup and a near-constant union-find step per relation;
// memory about 200 bytes per relation kept.
// References: A. K. Lenstra, M. S. Manasse, "Factoring with two large
// primes", EUROCRYPT '90; P. Leyland, A. K. Lenstra, B. Dodson, A. Muffett,
// S. Wagstaff, "MPQS with three large primes", ANTS 2002 (cycle counting).
#pragma once

#include "factor/crible.h"

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace harmo {

// The relation as the sieve wrote it holds: y^2 - k n is, exactly, the
// product of its factors (index 0 standing for -1, every index inside the
// base) and of its large primes. A few products of words per relation.
bool relationExacte(const Relation& r, const BaseDeFacteurs& base);

class Releve {
public:
    // The relation as kept; nullptr when it was there already.
    const Relation* ajouter(Relation&& r);

    // A column of the matrix: one full relation, or the partial relations
    // of a cycle, whose large primes all appear an even number of times.
    using Colonne = std::vector<const Relation*>;
    std::vector<Colonne> colonnes() const;
    std::size_t nombreDeColonnes() const { return pleines_.size() + cycles_; }
    std::size_t pleines() const { return pleines_.size(); }
    std::size_t partielles() const { return partielles_.size(); }

private:
    std::uint32_t sommet(std::uint64_t L);
    std::uint32_t racine(std::uint32_t s);

    std::deque<Relation> pleines_, partielles_;
    std::unordered_map<std::uint64_t, std::uint32_t> sommets_;  // large prime -> vertex; 1 is vertex 0
    std::vector<std::uint32_t> parent_;                       // union-find over the vertices
    std::vector<std::pair<std::uint32_t, std::uint32_t>> aretes_;  // the ends of each partial relation
    std::size_t cycles_ = 0;
    std::unordered_set<std::uint64_t> vues_;
};

}  // namespace harmo
