// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/ecriture_rr.h"

#include "commun/decimal.h"

#include <mpfr.h>

#include <sstream>

namespace harmo {

std::string enTexteNTL(const NTL::RR& v) {
    std::ostringstream os;
    os << v;
    return os.str();
}

namespace {

// floor(m log10 2) for |m| < 2^22 and floor(m log2 10) for 0 < m < 2^21,
// from a 128-bit value: exact, since m log10 2 is at least 1e-7 from an
// integer there while the 128-bit product is within 1e-30 of it.
long plancherLog(long m, bool log2De10) {
    mpfr_t x;
    mpfr_init2(x, 128);
    if (log2De10) {
        mpfr_set_ui(x, 10, MPFR_RNDN);
        mpfr_log2(x, x, MPFR_RNDN);
    } else {
        mpfr_set_ui(x, 2, MPFR_RNDN);
        mpfr_log10(x, x, MPFR_RNDN);
    }
    mpfr_mul_si(x, x, m, MPFR_RNDN);
    const long r = mpfr_get_si(x, MPFR_RNDD);
    mpfr_clear(x);
    return r;
}

long Lg2(const NTL::RR& x) { return NTL::NumBits(x.mantissa()) + x.exponent(); }

}  // namespace

std::string enTexte(const NTL::RR& a) {
    if (NTL::IsZero(a)) return "0";
    const long OP = NTL::RR::OutputPrecision();
    const long lg2 = Lg2(a);
    if (OP >= (1L << 21) || lg2 >= (1L << 22) || lg2 <= -(1L << 22)) return enTexteNTL(a);

    NTL::RRPush garde;
    const long new_p = plancherLog(OP, true) + 20;
    const long log_10_a = plancherLog(lg2, false);
    NTL::RR::SetPrecision(new_p);

    NTL::RR b, c, d;
    NTL::abs(b, a);
    long k = OP - log_10_a;
    NTL::power(c, NTL::to_RR(10), OP);
    NTL::power(d, NTL::to_RR(10), log_10_a);
    NTL::div(b, b, d);
    NTL::mul(b, b, c);
    while (b < c) {
        NTL::mul(b, b, 10);
        k++;
    }
    while (b >= c) {
        NTL::div(b, b, 10);
        k--;
    }
    NTL::add(b, b, 0.5);
    k = -k;
    NTL::ZZ B;
    NTL::conv(B, b);

    std::string chiffres = enDecimal(B);  // B > 0
    long len = static_cast<long>(chiffres.size());
    long i = len - 1;
    while (chiffres[i] == '0') i--;
    k += len - 1 - i;
    len = i + 1;
    chiffres.resize(static_cast<std::size_t>(len));

    std::string s;
    if (a < 0) s.push_back('-');
    if (k > 3 || k < -len - 3) {
        s += "0.";
        s += chiffres;
        s += "e";
        s += std::to_string(k + len);
    } else if (k >= 0) {
        s += chiffres;
        s.append(static_cast<std::size_t>(k), '0');
    } else if (k <= -len) {
        s += "0.";
        s.append(static_cast<std::size_t>(-len - k), '0');
        s += chiffres;
    } else {
        s.append(chiffres, 0, static_cast<std::size_t>(len + k));
        s.push_back('.');
        s.append(chiffres, static_cast<std::size_t>(len + k), std::string::npos);
    }
    return s;
}

}  // namespace harmo
