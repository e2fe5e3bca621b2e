// SPDX-License-Identifier: GPL-3.0-or-later
// Partial Kempner sums for any N, certified: the sum of 1/n over the n <= N
// whose decimal writing avoids a digit sequence w and whose last digit has
// the parity, as an Arb ball (midpoint and rigorous radius), in a time that
// grows with the number of digits of N, not with N.
//
// Method of R. Baillie (Amer. Math. Monthly 86 (1979) 372-374) and of
// T. Schmelzer and R. Baillie (Amer. Math. Monthly 115 (2008) 525-540),
// extended from the whole series to the sum up to N:
//  - the KMP automaton of w, read from the most significant digit: live
//    states 0 .. L-1, state L dead (w seen). n is kept when its digits never
//    lead to L and its last digit is in E (all digits, the odd or the even ones);
//  - T_k(s): the strings r of k digits (leading zeros allowed) that, read from
//    state s, stay live and end with a digit of E; the moments
//        nu_k(s, j) = 10^-k * sum over r in T_k(s) of (r / 10^k)^j
//    follow from prepending a digit d (t = delta(s, d) live):
//        nu_k(s, j) = 10^-(j+1) * sum over t, i <= j of C(j, i) P_st(j-i) nu_(k-1)(t, i),
//    P_st(e) = the sum of d^e over the digits d from s to t (exact integers);
//    nu_1(s, j) = 10^-(j+1) * sum of d^j over the d of E from s to a live state;
//  - a block: the n = a 10^k + r with a fixed prefix a in state s and r in
//    T_k(s). Since 1/(a 10^k + r) = 10^-k / (a + x), x = r / 10^k < 1,
//        block = sum over j of (-1)^j nu_k(s, j) / a^(j+1),
//    an alternating series with decreasing terms for a > 1: the first
//    omitted term, nu_k(s, J+1) / a^(J+2), bounds the rest and joins the
//    radius. With a >= 1000 each term gains three digits: J = prec / 9.9.
//  - [1, N], N of K digits: the n < 10^4 one by one; each full length
//    4 < l < K as the blocks of all the prefixes of 4 digits, through
//    Z(s, j) = the sum of a^-(j+1) over those prefixes in state s; length K
//    through the prefixes of 4 digits below N's first four; then, along N's
//    remaining digits, one block per smaller digit whose state is live; N.
// Every term of index j is divided by a^(j+1) >= 10^(3(j+1)): the values of
// index j need only prec - 9.9 j bits, and are computed at that precision
// (Arb keeps the radii rigorous whatever the precision).
// Cost: about K * (transitions) * J^2 / 2 multiply-adds for the moments,
// 9000 J for the prefixes and 9 K J for the walk, at prec / 2 bits on average.
#pragma once

#include "commun/arb_raii.h"

#include <arb.h>
#include <NTL/ZZ.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace harmo {

class KempnerPartielle {
public:
    // sequence: w, most significant digit first (1 to 9 digits); X will have
    // at most chiffresMax digits; prec: the working precision in bits.
    KempnerPartielle(const std::vector<long>& sequence, long parite, long chiffresMax, long prec);
    KempnerPartielle(const KempnerPartielle&) = delete;
    KempnerPartielle& operator=(const KempnerPartielle&) = delete;

    // res = the sum up to X (0 for X < 1).
    void somme(arb_t res, const NTL::ZZ& X);

    // Estimated cost, in multiply-adds at the working precision.
    static double cout(const std::vector<long>& sequence, long chiffres, long prec);
    // Estimated memory, in bytes: the coefficients of the transitions grow
    // with the cube of the precision, the moments with the digits of X.
    static double octets(const std::vector<long>& sequence, long chiffresMax, long prec);

private:
    int etat(int s, int d) const { return transition_[s][d]; }
    int etatDe(std::string_view chiffres) const;
    long precision(long j) const { return std::max<long>(prec_ - static_cast<long>(9.9 * j) + 30, 64); }
    bool permis(int d) const;
    arb_ptr nu(long k, int s) { return moments_ + ((k * L_ + s) * (J_ + 2)); }
    arb_srcptr nu(long k, int s) const { return moments_ + ((k * L_ + s) * (J_ + 2)); }
    void sommeDirecte(arb_t res, long jusqua);
    void prefixes(VecteurArb& Z, long jusqua);
    void blocsAgreges(arb_t res, long k, const VecteurArb& Z);
    void bloc(arb_t res, const fmpz_t a, long k, int s);

    int L_;
    long parite_, kmax_, prec_, J_;
    std::vector<std::array<int, 10>> transition_;
    VecteurArb moments_;     // nu_k(s, j), k = 0 .. kmax, j = 0 .. J + 1
    VecteurArb Z_;           // (-1)^j Z(s, j) over the prefixes of 4 digits
    VecteurArb inverses10_;  // 10^-(j+1)
};

}  // namespace harmo
