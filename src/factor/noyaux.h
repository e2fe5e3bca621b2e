// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's kernels written for one instruction set each, behind the
// one-by-one versions of factor/crible.h and factor/polynomes.h that choose
// among them (commun/processeur.h) and stay their reference: avx512::
// sixteen lanes of 32 bits with mask registers and compress-stores;
// avx2:: eight lanes, masks as vectors and movemask, the compress-store
// through a table of shuffles (factor/compression_avx2.h). Each does the
// same work as the one-by-one version over what it covers and returns
// where it stopped (the caller finishes one by one), or covers a range
// whose length is a multiple of the lanes, as its comment says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#if defined(__x86_64__) && defined(__GNUC__)
#define HARMO_X86 1
#endif

namespace harmo {

// What the roots of a new A need (factor/polynomes.cpp): the primes and
// square roots of k n of the base, the primes q_l of A (s of them) and the
// g_l of B_l = g_l A / q_l, M; written: the roots and 2 B_l / A mod p.
struct DonneesDUnA {
    const std::uint32_t* p;
    const std::uint32_t* racine;
    std::size_t s;
    const std::uint32_t* q;
    const std::uint32_t* g;
    std::uint32_t* const* bainv2;
    std::uint32_t* r1;
    std::uint32_t* r2;
    long M;
};
// From this size on (a few hits per block), the medium primes are sieved
// by the wide registers, sixteen at a time.
constexpr std::uint32_t debutVectoriel = 1 << 13;
// The most primes in A that the wide roots take.
constexpr std::size_t maximumParHuit = 32;

// f(std::integral_constant<unsigned, NB>{}) with NB the number of buckets
// when it is one the sieve's table gives (2, 4, 6, 8: the fills keep their
// write positions in registers), 0 otherwise.
template <class F>
void selonLesSeaux(std::uint32_t nb, F&& f) {
    switch (nb) {
        case 2: return f(std::integral_constant<unsigned, 2>{});
        case 4: return f(std::integral_constant<unsigned, 4>{});
        case 6: return f(std::integral_constant<unsigned, 6>{});
        case 8: return f(std::integral_constant<unsigned, 8>{});
        default: return f(std::integral_constant<unsigned, 0>{});
    }
}

#ifdef HARMO_X86
#define HARMO_NOYAUX                                                                                                               \
    std::size_t racinesAtteintes(std::uint32_t j, const std::uint64_t* inverses, const std::uint32_t* p, const std::uint32_t* r1, \
                                 const std::uint32_t* r2, std::size_t& i, std::size_t fin, std::uint32_t* trouves);              \
    std::size_t entreesSur(std::uint32_t pos, const std::uint32_t* seau, std::size_t& k, std::size_t n, std::uint32_t* trouves); \
    /* fin - debut a multiple of 16 */                                                                                            \
    void cribleParSeize(std::uint8_t* s, std::uint32_t* pos1, std::uint32_t* pos2, const std::uint32_t* p, std::size_t debut,    \
                        std::size_t fin, std::uint32_t h, std::uint8_t l);                                                        \
    /* fin - debut a multiple of 16 */                                                                                            \
    void placerDansLesSeaux(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* p, std::size_t debut, std::size_t fin,    \
                            std::uint32_t h, std::uint32_t finIntervalle, std::uint32_t* seaux, std::size_t* ecrit,              \
                            const std::uint32_t* d, bool monte);                                                                 \
    std::size_t deplacerRacines(std::uint32_t* r1, std::uint32_t* r2, const std::uint32_t* d, const std::uint32_t* p,             \
                                std::size_t debut, std::size_t fin, bool monte);                                                  \
    /* every p below 2^22, M below 2^22, s at most maximumParHuit */                                                              \
    std::size_t racinesDUnA(const DonneesDUnA& a, std::size_t debut, std::size_t fin);                                            \
    /* the places of the bytes of s[0, n) whose high bit is set, n a multiple of 64 */                                            \
    std::size_t candidats(const std::uint8_t* s, std::size_t n, std::uint32_t* places);

namespace avx512 {
HARMO_NOYAUX
}
namespace avx2 {
HARMO_NOYAUX
}
#undef HARMO_NOYAUX
// The generic path's roots of a new A in SSE2, which every x86-64 has (the
// same bounds as above).
namespace sse2 {
std::size_t racinesDUnA(const DonneesDUnA& a, std::size_t debut, std::size_t fin);
}
#endif

}  // namespace harmo
