// SPDX-License-Identifier: GPL-3.0-or-later
// The polynomials of a self-initialising quadratic sieve: for A = q_1...q_s,
// a product of primes of the base near sqrt(2 k n) / M, and each of the
// 2^(s-1) values B = B_1 +- B_2 ... +- B_s with B^2 = k n mod A,
//   g(x) = A x^2 + 2 B x + C,  C = (B^2 - k n) / A,  A g(x) = (A x + B)^2 - k n,
// so that |g| <= M sqrt(k n / 2) on [-M, M). The roots of g mod each prime p
// of the base, kept as sieve positions j = x + M mod p, pass from one B to
// the next by one addition mod p (the B's taken in Gray code order): this is
// the self-initialisation, its cost O(F) per polynomial against O(F log p)
// for a new A.
// Reference: S. Contini, "Factoring integers with the self-initializing
// quadratic sieve", M.Sc. thesis, University of Georgia (1997).
#pragma once

#include "commun/pont_gmp.h"
#include "commun/processeur.h"
#include "factor/base_de_facteurs.h"

#include <gmp.h>

#include <cstdint>
#include <cstddef>
#include <random>
#include <set>
#include <vector>

namespace harmo {

// Roots equal to this are not sieved (the primes of A).
constexpr std::uint32_t pasDeRacine = 0xFFFFFFFFu;

// r + d mod p (monte) or r - d mod p, for r, d < p.
inline std::uint32_t deplacer(std::uint32_t r, std::uint32_t d, std::uint32_t p, bool monte) {
    const std::uint32_t a = monte ? r + d : r - d;
    return monte ? (a >= p ? a - p : a) : (a >= p ? a + p : a);  // below zero, a wrapped past p
}
// The roots r1[i], r2[i] of [debut, fin) moved by d[i] (deplacer), but
// pasDeRacine, which stays: in the registers of jeu, the rest without a
// branch. The arrays must not overlap.
void deplacerRacines(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d, const std::uint32_t* p, std::size_t debut,
                     std::size_t fin, bool monte, JeuDInstructions jeu);
// The same, one prime at a time: the reference.
void deplacerRacinesUneAUne(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d, const std::uint32_t* p,
                            std::size_t debut, std::size_t fin, bool monte);

class FamilleDePolynomes {
public:
    // M: half the sieve interval. The primes of A are drawn by alea. The
    // roots are moved, and those of each new A computed, in the registers
    // of jeu (generic: the moves one prime at a time without a branch, the
    // roots of a new A in SSE2 on x86-64).
    FamilleDePolynomes(const BaseDeFacteurs& base, long M, std::uint64_t graine, JeuDInstructions jeu = jeuDInstructions());
    ~FamilleDePolynomes();
    FamilleDePolynomes(const FamilleDePolynomes&) = delete;
    FamilleDePolynomes& operator=(const FamilleDePolynomes&) = delete;

    // The roots of a new A with mpz remainders and an inversion, one prime
    // at a time whatever jeu: the reference of the kernels.
    bool unParUn = false;

    // A new A never drawn before by this object, and its first B.
    void nouveauA();
    // The next B of the same A; false when all are done. The roots are
    // moved for the primes below limite; from limite on, the move is left
    // pending for the caller, who makes it while it reads the roots anyway
    // (deplacementEnAttente, rattrape).
    bool suivant(std::size_t limite = SIZE_MAX);
    // The move pending from suivant's limite to the end of the base: each
    // root r becomes r + d[i] mod p (monte) or r - d[i] mod p, but
    // pasDeRacine, which stays; null when no move is pending.
    const std::uint32_t* deplacementEnAttente() const { return attente_; }
    bool monte() const { return monte_; }
    // The caller has moved every pending root.
    void rattrape() { attente_ = nullptr; }
    // The move that the next suivant leaves pending (null after the last
    // B): the caller may make it at once, with the one pending, while it
    // has the roots at hand, then say so by avance; suivant then leaves
    // those roots as they are.
    const std::uint32_t* deplacementSuivant(bool& monte) const;
    void avance() { avance_ = true; }

    mpz_srcptr A() const { return A_; }
    mpz_srcptr B() const { return B_; }
    mpz_srcptr C() const { return C_; }
    const std::vector<std::uint32_t>& indicesDeA() const { return indicesA_; }
    long M() const { return M_; }
    // Sieve positions of the roots of g mod p_i (j = x + M), pasDeRacine
    // for the primes of A, -1 and 2; one move behind from suivant's limite
    // on while a move is pending.
    std::vector<std::uint32_t> racine1, racine2;

private:
    void choisirA();
    void racinesDuPremierB();
    void calculerC();  // C = (B^2 - k n) / A
    // The step to the n-th B in Gray code order: the l of B_l that changes
    // sign, and whether it is taken off (B - 2 B_l).
    static std::size_t pasDeGray(std::uint32_t n, bool& moins);

    const BaseDeFacteurs& base_;
    long M_;
    VueMpz kn_;
    std::mt19937_64 alea_;
    mpz_t A_, B_, C_, tmp_;
    std::vector<__mpz_struct> Bl_;  // B_l, each initialised by mpz_init
    std::vector<std::uint32_t> indicesA_;
    std::vector<std::vector<std::uint32_t>> bainv2_;  // 2 B_l / A mod p_i
    std::vector<std::uint32_t*> lignesBainv2_;        // the rows of bainv2_, for the wide kernels
    std::vector<std::uint32_t> gA_, qA_;              // B_l = g_l A / q_l; the primes q_l of A
    JeuDInstructions jeu_;
    std::set<std::vector<std::uint32_t>> dejaPris_;
    std::uint32_t numero_ = 0;  // of B within the family
    const std::uint32_t* attente_ = nullptr;  // the pending move, see deplacementEnAttente
    std::size_t debutAttente_ = 0;          // from this prime on
    bool monte_ = false;
    bool avance_ = false;  // the roots from the limit on are already those of the next B
    std::size_t premierA_ = 0, dernierA_ = 0;  // range of the base the primes of A come from
    std::size_t s_ = 0;
    double bitsCible_ = 0;  // log2 of sqrt(2 k n) / M, what A aims at
};

}  // namespace harmo
