// SPDX-License-Identifier: GPL-3.0-or-later
// Views and copies between NTL's ZZ and GMP's mpz_t: NTL keeps its integers
// as GMP limbs, so a read-only view costs nothing and a copy one memcpy.
#pragma once

#include <gmp.h>
#include <NTL/ZZ.h>

namespace harmo {

// A read-only mpz view over the limbs of a ZZ: no copy. Valid while z is unchanged.
class VueMpz {
public:
    explicit VueMpz(const NTL::ZZ& z);
    mpz_srcptr get() const { return v_; }
    operator mpz_srcptr() const { return v_; }

private:
    mpz_t v_;
};

// An mpz_t that frees itself, for GMP's results on their way to a ZZ.
class Mpz {
public:
    Mpz() { mpz_init(v_); }
    ~Mpz() { mpz_clear(v_); }
    Mpz(const Mpz&) = delete;
    Mpz& operator=(const Mpz&) = delete;
    operator mpz_ptr() { return v_; }
    operator mpz_srcptr() const { return v_; }

private:
    mpz_t v_;
};

// r = v.
void versZZ(NTL::ZZ& r, mpz_srcptr v);

}  // namespace harmo
