// SPDX-License-Identifier: GPL-3.0-or-later
// Counting the terms of a Kempner sum without enumerating them: the numbers
// up to X that avoid a digit sequence, by a digit-by-digit count over the
// decimal writing of X.
//
// Let A be the matching automaton of the sequence (sums/sequence.h), read
// from the most significant digit, with m + 1 states, m the dead one (the
// sequence seen). g_k(q) = the number of strings of k digits (leading zeros
// allowed) that, read from state q, never reach m and whose last digit has
// the parity; g_0(q) = 1, and prepending a digit d:
//     g_{k+1}(q) = sum over d with A(q, d) != m of g_k(A(q, d))
// (on the last digit only the digits of the parity count). The numbers
// n <= X of L digits are those that follow X's digits up to some position i
// and are smaller there: sum over i and over d < X_i of g_{L-1-i}(A(q_i, d)),
// q_i the state after X's first i digits (and d >= 1 at i = 0); the shorter
// numbers start with a digit 1 to 9 from state 0. X itself is counted when it
// avoids the sequence. Cost: O(L * 10 * m) additions of numbers of O(L)
// digits, L the digits of X: any X is instant (no 9 up to 10^30 is
// 9^30 - 1 numbers, counted in microseconds).
// (The digit dynamic programming of combinatorics on words; see Flajolet and
// Sedgewick, Analytic Combinatorics, 2009, section I.4, for the automaton.)
#pragma once

#include <NTL/ZZ.h>

#include <vector>

namespace harmo {

using NTL::ZZ;

// How many n with 1 <= n <= X (n odd for parity 1, even for parity 2) do not
// contain the sequence (most significant digit first). 0 for X < 1.
ZZ compterSansSequence(const ZZ& X, const std::vector<long>& sequence, long parite);

// The largest such n <= X, into n; false when there is none.
bool plusGrandSansSequence(const ZZ& X, const std::vector<long>& sequence, long parite, ZZ& n);

}  // namespace harmo
