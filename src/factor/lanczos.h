// SPDX-License-Identifier: GPL-3.0-or-later
// Vectors of the kernel of a sparse matrix B over GF(2), m rows and n > m
// columns, by Montgomery's block Lanczos on the symmetric A = B^T B: 64
// vectors at a time, one bit of a machine word each. The iteration solves
// A X = A Y for a random Y; X - Y and the last block of the iteration span,
// after a small elimination against B, up to 64 vectors z with B z = 0.
//
// Each step multiplies a block by B and then by B^T (both read as rows of
// 32-bit indices, a gather each, split between the threads), and does a few
// products of n x 64 by 64 x 64 blocks through tables of bytes; about
// n / 63 steps. Cost: O(w n^2 / 64) word operations for w entries per
// column, 2 to 5 seconds at n = 50,000 and 45 entries per column.
// Reference: P. L. Montgomery, "A block Lanczos algorithm for finding
// dependencies over GF(2)", EUROCRYPT '95, LNCS 921, pp. 106-120.
#pragma once

#include <cstdint>
#include <vector>

namespace harmo {

// Kernel vectors of the matrix whose column c has its 1s in the rows
// colonnes[c] (all below lignes): bit k of word c is entry c of the k-th
// vector. The nonzero vectors found are independent and come first, in
// bits 0, 1, ...; the others are zero. Empty when none is found (the
// iteration broke down early: another graine may succeed). fils threads at
// most share the work.
std::vector<std::uint64_t> noyauParLanczos(const std::vector<std::vector<std::uint32_t>>& colonnes, std::size_t lignes,
                                           std::uint64_t graine, unsigned fils = 1);

}  // namespace harmo
