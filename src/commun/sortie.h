// Decimal text of integers of any size.
#pragma once

#include <NTL/RR.h>
#include <NTL/ZZ.h>

#include <string>

namespace harmo {

// The same text as NTL's stream output, in quasi-linear time (GMP's conversion
// on a read-only view of the limbs).
std::string enDecimal(const NTL::ZZ& v);

// NTL's decimal text of an RR at the output precision in force.
std::string enTexte(const NTL::RR& v);

// Exact conversion of a decimal text ("-"? digits) to a ZZ, in quasi-linear time.
NTL::ZZ depuisDecimal(const std::string& chiffres);

}  // namespace harmo
