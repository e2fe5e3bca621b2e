#include "commun/pont_gmp.h"

#include "commun/sortie.h"

#include <NTL/ZZ_limbs.h>

namespace harmo {

VueMpz::VueMpz(const NTL::ZZ& z) {
    long taille = z.size();
    mpz_roinit_n(v_, reinterpret_cast<const mp_limb_t*>(NTL::ZZ_limbs_get(z)),
                 NTL::sign(z) < 0 ? -taille : taille);
}

void versZZ(NTL::ZZ& r, mpz_srcptr v) {
    NTL::ZZ_limbs_set(r, reinterpret_cast<const NTL::ZZ_limb_t*>(mpz_limbs_read(v)),
                      static_cast<long>(mpz_size(v)));
    if (mpz_sgn(v) < 0) NTL::negate(r, r);
}

void diviserExactement(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b) {
    mpz_t q;
    mpz_init(q);
    mpz_divexact(q, VueMpz(a), VueMpz(b));
    versZZ(r, q);
    mpz_clear(q);
}

void pgcdRapide(NTL::ZZ& r, const NTL::ZZ& a, const NTL::ZZ& b) {
    mpz_t g;
    mpz_init(g);
    mpz_gcd(g, VueMpz(a), VueMpz(b));
    versZZ(r, g);
    mpz_clear(g);
}

NTL::ZZ reduire(NTL::ZZ& P, NTL::ZZ& Q) {
    NTL::ZZ g;
    pgcdRapide(g, P, Q);
    if (!NTL::IsOne(g) && !NTL::IsZero(g)) {
        diviserExactement(P, P, g);
        diviserExactement(Q, Q, g);
    }
    return g;
}

long nombreDeChiffres(const NTL::ZZ& v) {
    if (NTL::IsZero(v)) return 0;
    if (NTL::NumBits(v) < 60) {
        unsigned long x = NTL::conv<unsigned long>(NTL::abs(v));
        long n = 0;
        while (x) { x /= 10; ++n; }
        return n;
    }
    VueMpz vue(v);
    long n = static_cast<long>(mpz_sizeinbase(vue, 10));  // exact or one too many
    NTL::ZZ borne;
    NTL::power(borne, 10, n - 1);
    return NTL::abs(v) < borne ? n - 1 : n;
}

}  // namespace harmo
