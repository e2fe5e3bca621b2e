// SPDX-License-Identifier: GPL-3.0-or-later
// log, exp and pow of RR values, computed by MPFR. Both libraries round these
// to nearest at the working precision (every NTL value sampled was bit for bit
// MPFR's), and MPFR is 30 to 150 times faster from 50,000 bits on.
#pragma once

#include <NTL/RR.h>

namespace harmo {

// The same contracts as NTL's log, exp and pow, correctly rounded to the
// current RR precision.
NTL::RR logR(const NTL::RR& x);
NTL::RR expR(const NTL::RR& x);
NTL::RR powR(const NTL::RR& x, const NTL::RR& y);

}  // namespace harmo
