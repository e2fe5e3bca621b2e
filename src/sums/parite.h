// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate denominators of each parity, in one place.
//
//   parity 0 ('normale'): 1, 2, 3, ..., every n >= 1
//   parity 1 ('impaire'): 1, 3, 5, ..., the odd n
//   parity 2 ('paire'):   2, 4, 6, ..., the even n
//
// The m-th candidate is m, 2m - 1 or 2m; up to N there are N, (N + 1) / 2 or
// N / 2 of them (integer quotients). The even sum up to N is half the whole
// sum up to N / 2, since 1/(2k) = (1/k) / 2; the odd sum up to N is the whole
// sum up to N less that half.
#pragma once

#include <NTL/ZZ.h>

namespace harmo {

enum Parite : long { normale = 0, impaire = 1, paire = 2 };

// First candidate and step between candidates.
constexpr long denominateurInitial[3] = {1, 1, 2};
constexpr long pasDesCandidats[3] = {1, 2, 2};

// The value before the first candidate, from which an enumeration steps:
// 0, -1, 0.
inline NTL::ZZ avantLePremierCandidat(long parite) {
    return NTL::ZZ(denominateurInitial[parite] - pasDesCandidats[parite]);
}

// Number of candidates n <= N (0 when N < the first candidate).
inline NTL::ZZ nombreDeCandidats(const NTL::ZZ& N, long parite) {
    if (N <= 0) return NTL::ZZ(0);
    if (parite == impaire) return (N + 1) / 2;
    if (parite == paire) return N / 2;
    return N;
}

// The m-th candidate (m >= 1).
inline NTL::ZZ candidatDeRang(const NTL::ZZ& m, long parite) {
    if (parite == impaire) return 2 * m - 1;
    if (parite == paire) return 2 * m;
    return m;
}

// The bound of the lcm of the candidates up to N: N, or N / 2 for the even
// ones (their lcm is 2 lcm(1..N/2)). That lcm has about 1.4427 bits (log2 e)
// per unit of its bound.
inline NTL::ZZ borneDuPpcm(const NTL::ZZ& N, long parite) { return parite == paire ? N / 2 : N; }
inline double bitsDuPpcm(const NTL::ZZ& N, long parite) { return 1.4427 * NTL::conv<double>(borneDuPpcm(N, parite)); }

// Is n of the parity? Only the last decimal digit d = n mod 10 decides.
inline bool dernierChiffrePermis(long d, long parite) {
    return parite == normale || (d % 2 == 1) == (parite == impaire);
}

}  // namespace harmo
