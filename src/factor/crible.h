// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve of a self-initialising quadratic sieve over [-M, M) for each
// polynomial g of a family (factor/polynomes.h): bytes of 32 KiB blocks (the
// first-level cache) get log p added at every root of g mod p, the primes
// below the block's size walked through each block, the larger ones sorted
// first into per-block buckets (one pass per polynomial); the places whose
// sum passes the threshold are candidates, divided by the primes that hit
// them (found again by their roots, or in the bucket). What is left is 1 (a
// full relation), a prime below the large prime bound (a partial one), or,
// when allowed, a composite below borneDouble that rho (factor/rho.h)
// splits into two such primes. Primes are walked in groups that hit a
// block (the interval) the same number of times give or take one, so that
// the last hit is a conditional move and not a mispredicted loop exit.
// Where the processor has AVX2 or AVX-512 (commun/processeur.h), the
// medium primes from 2^13 on and the bucket primes go a register at a
// time (factor/noyaux.h): their places (entries) gathered in registers
// under a mask, then added (written) in batches, or, with few buckets,
// written bucket by bucket straight from the registers; the bucket primes'
// roots are moved to the polynomial while their entries are made.
//
// Cost per polynomial: O(M log log pmax) byte additions, O(F) to place the
// large primes, plus the divisions of the candidates.
// References: R. D. Silverman, Math. Comp. 48 (1987), 329-339; S. Contini
// (1997); T. Kleinjung's bucket sieve, as in msieve and YAFU; A. K. Lenstra,
// M. S. Manasse, EUROCRYPT '90 (two large primes).
#pragma once

#include "factor/base_de_facteurs.h"
#include "factor/polynomes.h"
#include "factor/rho.h"

#include <NTL/ZZ.h>

#include <atomic>
#include <cstdint>
#include <vector>

namespace harmo {

// y^2 = (-1)^.. prod p_i * grand * autreGrand (mod k n), for the indices i
// of the base in facteurs (with repetition); grand and autreGrand are the
// primes above the base left in g(x), 1 when there is none (a full
// relation has both at 1, a relation with one large prime only grand).
struct Relation {
    NTL::ZZ y;
    std::vector<std::uint32_t> facteurs;
    std::uint64_t grand = 1, autreGrand = 1;
};

struct ParametresDuCrible {
    long blocs = 1;                   // of 32 KiB on each side of 0: M = blocs * 2^15
    std::uint64_t borneGrandPremier;  // partial relations: the primes left below this
    std::uint64_t borneDouble = 0;    // and a product of two of them below this (0: one only)
    double seuil = 0;                 // scaled: a place is a candidate when its sum reaches it
    JeuDInstructions jeu = jeuDInstructions();  // the registers of the kernels
    bool parDeux = true;              // the buckets of two polynomials filled in one pass
};

constexpr long tailleDeBloc = 1 << 15;
// A bucket entry is one word: the prime's index above the 15 bits of its
// place in the block, so the base holds at most 2^17 primes.
constexpr long premiersAuPlus = 1L << (32 - 15);

// The indices i in [debut, fin) for which j mod p[i] is r1[i] or r2[i] (the
// primes that divide g at the sieve position j), found by multiplying j by
// inverses[i] = ceil(2^40 / p[i]): exact for j < 2^25 and p < 2^15. Written
// to trouves (room for fin - debut), their number returned. In the
// registers of jeu (at most the processor's) four or eight primes at a time.
// On the generic path, when reciproques[i] = 1 / p[i] in floats is given
// and j < 2^23, four primes a register of SSE2 (every x86-64 has it).
std::size_t racinesAtteintes(std::uint32_t j, const std::uint64_t* inverses, const std::uint32_t* p, const std::uint32_t* r1,
                             const std::uint32_t* r2, std::size_t debut, std::size_t fin, std::uint32_t* trouves,
                             JeuDInstructions jeu, const float* reciproques = nullptr);

// g / p in g when p (odd, below 2^32, inverse = inverseModulo2p64(p))
// divides g (positive); g untouched and false otherwise. One pass of exact
// division (Hensel) over the limbs, no remainder computed apart.
bool diviserSiDivisible(mpz_ptr g, std::uint32_t p, std::uint64_t inverse);

// Sieves a block s (with a spare byte at tailleDeBloc) by the primes p[i],
// i in [debut, fin), each hitting it h or h + 1 times per root: l added at
// pos1[i], pos2[i] and every p[i] further on inside the block, the
// positions then moved to the next block. pasDeRacine (a prime of A) is
// skipped, equal roots sieved once. In wide registers (jeu), a register of
// primes at a time, fin - debut a multiple of 16 and h at most
// tailleDeBloc / 2^13.
void cribleParSeize(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2, const std::uint32_t* p, std::size_t debut,
                    std::size_t fin, std::uint32_t h, std::uint8_t l, JeuDInstructions jeu);

// The bucket entries i << 15 | (j mod 2^15) of the roots j (r1[i], r2[i]
// and every p[i] further on) of the primes of [debut, fin) inside
// [0, finIntervalle), a multiple of the block size, each h or h + 1 times:
// written at seaux[ecrit[j >> 15]++]. A prime of A (pasDeRacine) has none;
// equal roots count once. A root past the interval may be written to the
// spare bucket finIntervalle >> 15, never counted. In wide registers
// (jeu), a register of primes at a time, and up to 15 words written past a
// bucket's last entry (its room must allow for them). With
// a move d (the one FamilleDePolynomes::suivant left pending), the roots
// are first moved by d[i] in r1, r2 (see deplacer), pasDeRacine kept.
void placerDansLesSeaux(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,
                        std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit, JeuDInstructions jeu,
                        const std::uint32_t* d = nullptr, bool monte = false);

// The primes (e >> 15) of the bucket entries e of seau[0, n) that fall on
// the place pos (e & 0x7fff), written to trouves (room for n); their number
// returned. In wide registers (jeu), a register of entries at a time.
std::size_t entreesSur(std::uint32_t pos, const std::uint32_t* seau, std::size_t n, std::uint32_t* trouves, JeuDInstructions jeu);

// The places of the bytes of a block whose high bit is set (the
// candidates), in increasing order, written to places (room for
// tailleDeBloc); their number returned.
std::size_t candidatsDuBloc(const std::uint8_t* s, std::uint32_t* places, JeuDInstructions jeu);

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
    struct Groupe;
    // The primes of [debut, fin) in groups of the same number of hits on etendue bytes.
    void grouper(std::size_t debut, std::size_t fin, std::uint32_t etendue, std::vector<Groupe>& groupes) const;
    // The place j, with the bucket primes that hit it.
    void candidat(long j, const std::uint32_t* touches, std::size_t nTouches, std::vector<Relation>& sortie);

    const BaseDeFacteurs& base_;
    ParametresDuCrible par_;
    FamilleDePolynomes poly_;
    std::size_t premierCrible_ = 2, premierGrand_ = 2;
    long blocsEnTout_;
    std::vector<std::uint8_t> crible_;
    std::vector<std::uint32_t> pos1_, pos2_;
    std::vector<std::uint64_t> inverses_;  // ceil(2^40 / p) for the primes below the block size
    std::vector<float> reciproques_;       // 1 / p for the same primes
    std::vector<std::uint64_t> inversesModulo_;  // 1 / p mod 2^64 for the odd primes of the base
    std::vector<std::uint32_t> trouves_;   // the primes that divide a candidate
    // Two sets of seauxParJeu_ buckets (one per block, and a spare one) of
    // capacite_ entries i << 15 | position: jeu_ is this polynomial's, the
    // other is the next one's when suivantPret_.
    std::vector<std::uint32_t> seaux_;
    std::vector<std::uint32_t> remplis_;     // entries in each bucket
    std::vector<std::size_t> ecrit_;         // while filling: where the next entry of each bucket goes, from its set
    std::size_t capacite_ = 0, seauxParJeu_ = 0, jeu_ = 0;
    bool suivantPret_ = false;
    // Consecutive primes that hit a block (the interval, for the bucket
    // primes) at least h times per root, at most h + 1 times.
    struct Groupe {
        std::size_t debut, fin;
        std::uint32_t h;
    };
    std::vector<Groupe> groupesMoyens_, groupesGrands_;
    // With wide registers, the medium primes from 2^13 on by sixteen: runs
    // of the same number of hits and the same logarithm.
    struct Paquet {
        std::size_t debut, fin;
        std::uint32_t h;
        std::uint8_t logp;
    };
    std::vector<Paquet> paquets_;
    // Ranges of the bucket primes with one logarithm, as groups, and where
    // each starts in each bucket.
    struct Tranche {
        std::uint8_t logp;
        std::size_t premierGroupe, finGroupes;  // in groupesGrands_
    };
    std::vector<Tranche> tranches_;
    std::vector<std::uint32_t> debutsDeTranche_;
    std::uint8_t init_;
    // Kept from one polynomial to the next: the candidates of a block, the
    // bucket entries on them, those on one candidate; with wide registers,
    // room for the bucket primes on one place (a bucket's capacity).
    std::vector<std::uint32_t> candidats_, grandsTouches_, touches_, surLaPlace_;
    Mpz g_, y_;
};

}  // namespace harmo
