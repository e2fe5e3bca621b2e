// SPDX-License-Identifier: GPL-3.0-or-later
// Dependencies over GF(2) among the columns of a sparse matrix (each column
// the rows where it has a 1): sets of columns that sum to zero. Rows met
// once are removed with their column until none is left, the columns beyond
// the rows plus 64 dropped; then block Lanczos (factor/lanczos.h, on the
// threads given, from up to four starts; then FLINT's block_lanczos, in a
// child process since it may abort) finds up to 64
// dependencies at once, or dense elimination when the matrix is small.
//
// Cost: block Lanczos O(w n^2 / 64) word operations for n columns of w
// entries each (seconds at n = 50,000); dense elimination O(n^3 / 64).
// Reference: P. L. Montgomery, "A block Lanczos algorithm for finding
// dependencies over GF(2)", EUROCRYPT '95.
#pragma once

#include <cstdint>
#include <vector>

namespace harmo {

using ColonneGF2 = std::vector<std::uint32_t>;  // rows with a 1, increasing
using Dependance = std::vector<std::size_t>;    // columns that sum to zero

// At most 64 nonempty dependencies (none when there is none or the method fails).
std::vector<Dependance> dependances(const std::vector<ColonneGF2>& colonnes, std::size_t lignes, std::uint64_t graine,
                                    unsigned fils = 1);

// The kernel by FLINT's block_lanczos, on one core, without the removal of
// singletons (none when it fails): what dependances falls back to.
std::vector<Dependance> dependancesParFlint(const std::vector<ColonneGF2>& colonnes, std::size_t lignes, std::uint64_t graine);

// The same by dense elimination on the whole matrix: the reference.
std::vector<Dependance> dependancesParGauss(const std::vector<ColonneGF2>& colonnes, std::size_t lignes, std::size_t maximum = 64);

}  // namespace harmo
