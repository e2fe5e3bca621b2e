// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal text of integers of any size, both ways, through GMP: quasi-linear
// time (subquadratic divide and conquer), and the same text as NTL's own
// stream conversions, which work one digit at a time.
#pragma once

#include <NTL/ZZ.h>

#include <string>
#include <vector>

namespace harmo {

// The decimal writing of v ("-" first when negative), as NTL writes it.
std::string enDecimal(const NTL::ZZ& v);

// The texts of several integers, written on the machine's cores (a
// 4-million-digit integer takes about half a second).
std::vector<std::string> enDecimal(const std::vector<const NTL::ZZ*>& v);

// The integer written by a decimal text ("-"? digits).
NTL::ZZ depuisDecimal(const std::string& chiffres);

// Number of decimal digits of |v| (0 for 0).
long nombreDeChiffres(const NTL::ZZ& v);

}  // namespace harmo
