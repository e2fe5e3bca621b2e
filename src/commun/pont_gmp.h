// Views and copies between NTL's ZZ and GMP's mpz_t, for the operations where
// GMP's own routines are the fastest (gcd, exact division, decimal text).
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

void versZZ(NTL::ZZ& r, mpz_srcptr v);

// r = a / b, b dividing a exactly.
void diviserExactement(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b);
// r = gcd(a, b), through GMP.
void pgcdRapide(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b);
// Brings P/Q to lowest terms; returns the gcd.
NTL::ZZ reduire(NTL::ZZ& P, NTL::ZZ& Q);
// Number of decimal digits of |v| (0 for 0).
long nombreDeChiffres(const NTL::ZZ& v);

}  // namespace harmo
