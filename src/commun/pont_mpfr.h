// SPDX-License-Identifier: GPL-3.0-or-later
// Exact conversions between NTL's RR and MPFR. An RR is a mantissa and a
// power of two, as an MPFR number is: both ways the value is kept bit for bit.
#pragma once

#include <mpfr.h>
#include <NTL/RR.h>

namespace harmo {

// An mpfr_t that frees itself.
class Mpfr {
public:
    explicit Mpfr(mpfr_prec_t bits);
    ~Mpfr();
    Mpfr(const Mpfr&) = delete;
    Mpfr& operator=(const Mpfr&) = delete;
    mpfr_ptr get() { return v_; }
    mpfr_srcptr get() const { return v_; }
    operator mpfr_ptr() { return v_; }
    operator mpfr_srcptr() const { return v_; }

private:
    mpfr_t v_;
};

// x held exactly, with just the bits of its mantissa.
void versMpfrExact(Mpfr& m, const NTL::RR& x);
// The value of m, exactly.
void versRR(NTL::RR& r, mpfr_srcptr m);

}  // namespace harmo
