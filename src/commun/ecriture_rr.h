// SPDX-License-Identifier: GPL-3.0-or-later
// The decimal text of an RR value, byte for byte as NTL's stream output
// writes it at the output precision in force, in quasi-linear time.
//
// NTL (11.5, src/RR.cpp, operator<<) writes a != 0 with OP = the output
// precision as follows:
//  1. new_p = floor(OP log2 10) + 20 and log_10_a = floor(Lg2(a) / log2 10),
//     Lg2(a) = the bit length of the mantissa plus the exponent, both from
//     ln 2 and ln 10 at a small precision;
//  2. at new_p bits: b = |a| / 10^log_10_a * 10^OP (powers by square and
//     multiply), brought into [10^(OP-1), 10^OP) by steps of 10, then
//     B = floor(b + 0.5), a number of OP digits (OP + 1 after a carry);
//  3. the digits of B one division by 10 at a time, which is quadratic: about
//     3 to 10 s for 170,000 digits;
//  4. trailing zeros dropped, then the layout: "0.ddde+k" past 10^3 or below
//     10^-3 of the digits, plain digits with zeros or a point otherwise.
// Here step 1 takes the two floors from log10 2 at 128 bits: within the
// ranges used (OP < 2^21, |Lg2(a)| < 2^22), OP log2 10 and Lg2 / log2 10 stay
// more than 6e-8 away from an integer (continued fraction of log2 10: the
// closest are OP = 1936274 and Lg2 = 325147), far beyond the 2e-9 that NTL's
// 53-bit logarithms can be off, so both floors are NTL's. Step 2 is done by
// the same NTL calls at the same precision, step 3 by GMP's mpz_get_str
// (subquadratic), step 4 as NTL does it. Outside those ranges, NTL's own
// operator<< writes the value.
#pragma once

#include <NTL/RR.h>

#include <string>

namespace harmo {

std::string enTexte(const NTL::RR& v);

// NTL's own writing, the reference (quadratic in the number of digits).
std::string enTexteNTL(const NTL::RR& v);

}  // namespace harmo
