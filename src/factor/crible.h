// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve of a self-initialising quadratic sieve over [-M, M) for each
// polynomial g of a family (factor/polynomes.h): bytes of 32 KiB blocks (the
// first-level cache) get log p added at every root of g mod p, the primes
// below the block's size walked through each block, the larger ones sorted
// first into per-block buckets (one pass per polynomial); the places whose
// sum passes the threshold are candidates, divided by the primes that hit
// them (found again by their roots, or in the bucket). What is left is 1 (a
// full relation) or a prime below the large prime bound (a partial one).
//
// Cost per polynomial: O(M log log pmax) byte additions, O(F) to place the
// large primes, plus the divisions of the candidates.
// References: R. D. Silverman, Math. Comp. 48 (1987), 329-339; S. Contini
// (1997); T. Kleinjung's bucket sieve, as in msieve and YAFU.
#pragma once

#include "factor/base_de_facteurs.h"
#include "factor/polynomes.h"

#include <NTL/ZZ.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace harmo {

// y^2 = (-1)^.. prod p_i * grand (mod k n), for the indices i of the base in
// facteurs (with repetition); grand is 1 for a full relation.
struct Relation {
    NTL::ZZ y;
    std::vector<std::uint32_t> facteurs;
    std::uint64_t grand = 1;
};

struct ParametresDuCrible {
    long blocs = 1;                   // of 32 KiB on each side of 0: M = blocs * 2^15
    std::uint64_t borneGrandPremier;  // partial relations: the prime left below this
    double seuil = 0;                 // scaled: a place is a candidate when its sum reaches it
};

constexpr long tailleDeBloc = 1 << 15;

class CribleSiqs {
public:
    CribleSiqs(const BaseDeFacteurs& base, const ParametresDuCrible& parametres, std::uint64_t graine);

    // A new family of polynomials, all sieved; their relations appended to
    // sortie. Stops between two polynomials when arret is raised. Returns
    // the number of polynomials sieved.
    long famille(std::vector<Relation>& sortie, const std::atomic<bool>& arret);

private:
    void polynome(std::vector<Relation>& sortie);
    void remplirLesSeaux();
    void candidat(long j, const std::vector<std::uint32_t>& touches, std::vector<Relation>& sortie);

    const BaseDeFacteurs& base_;
    ParametresDuCrible par_;
    FamilleDePolynomes poly_;
    std::size_t premierCrible_ = 2, premierGrand_ = 2;
    long blocsEnTout_;
    std::vector<std::uint8_t> crible_;
    std::vector<std::uint32_t> pos1_, pos2_;
    std::vector<std::uint64_t> inverses_;  // ceil(2^40 / p) for the primes below the block size
    std::vector<std::uint32_t> seaux_;       // blocsEnTout_ buckets of capacite_ entries: i << 15 | position
    std::vector<std::uint32_t> remplis_;     // entries in each bucket
    std::size_t capacite_ = 0;
    // Ranges of the bucket primes with one logarithm, and where each starts in each bucket.
    struct Tranche {
        std::size_t debut, fin;
        std::uint8_t logp;
    };
    std::vector<Tranche> tranches_;
    std::vector<std::uint32_t> debutsDeTranche_;
    std::uint8_t init_;
    Mpz g_, t_, y_;
};

}  // namespace harmo
