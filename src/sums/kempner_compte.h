// Counting the terms of a Kempner sum without enumerating them: the numbers
// up to X that avoid a digit sequence, by a digit-by-digit count over the
// decimal writing of X.
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
