// The decimal text of an RR value, as NTL's stream output writes it at the
// output precision in force.
#pragma once

#include <NTL/RR.h>

#include <string>

namespace harmo {

std::string enTexte(const NTL::RR& v);

}  // namespace harmo
