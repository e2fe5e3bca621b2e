// SPDX-License-Identifier: GPL-3.0-or-later
// The fast writing of RR values against NTL's own operator<<, the reference:
// the same bytes for random mantissas and exponents, every layout, ties,
// exact decimals, negative values and output precisions up to 200,000.
#include "commun/ecriture_rr.h"

#include "precisions.h"

#include <gtest/gtest.h>

#include <random>

using NTL::RR;
using NTL::ZZ;
using namespace harmo;

namespace {

RR auHasard(std::mt19937_64& alea, long bits, long exposant) {
    ZZ m = NTL::RandomBits_ZZ(bits) | 1;
    RR x;
    NTL::MakeRRPrec(x, m, exposant, bits);
    if (alea() % 3 == 0) NTL::negate(x, x);
    return x;
}

void memeTexte(const RR& x) { ASSERT_EQ(enTexte(x), enTexteNTL(x)) << "output precision " << RR::OutputPrecision(); }

}  // namespace

TEST(EcritureRR, ValeursAuHasard) {
    PrecisionsGardees garde;
    std::mt19937_64 alea(99);
    NTL::SetSeed(ZZ(99));
    for (int essai = 0; essai < 3000; ++essai) {
        const long op = essai % 5 == 0 ? 1 + static_cast<long>(alea() % 3) : 1 + static_cast<long>(alea() % 120);
        RR::SetOutputPrecision(op);
        const long bits = 1 + static_cast<long>(alea() % 600);
        long exposant;
        switch (essai % 4) {
            case 0: exposant = -bits + static_cast<long>(alea() % 40) - 20; break;  // around 1
            case 1: exposant = static_cast<long>(alea() % 4000) - 2000; break;
            case 2: exposant = static_cast<long>(alea() % 6000000) - 3000000; break;  // about 10^+-900000
            default: exposant = -bits + static_cast<long>(alea() % 30) - 15 + 10 * static_cast<long>(alea() % 3); break;
        }
        RR::SetPrecision(bits);
        memeTexte(auHasard(alea, bits, exposant));
    }
}

TEST(EcritureRR, DispositionsDecimalesEtEgalites) {
    PrecisionsGardees garde;
    RR::SetPrecision(300);
    for (long op : {1L, 2L, 3L, 5L, 10L, 17L, 40L, 100L}) {
        RR::SetOutputPrecision(op);
        // Exact decimals, integers with trailing zeros, the layouts around
        // 10^3 and 10^-3 of the digits, and values halfway between two
        // outputs (0.125 at 2 digits, 2.5 at 1 digit, ...).
        for (const char* t : {"1.5", "0.1", "0.125", "2.5", "0.5", "1", "10", "1000", "10000", "123456789",
                              "0.001", "0.0001", "0.00012345", "1234.5", "99999", "9.5", "0.95", "0.995",
                              "1e-30", "7e40", "2.9289682539682539683", "-0.125", "-1.5", "-123456.789"}) {
            memeTexte(NTL::conv<RR>(t));
            memeTexte(NTL::conv<RR>(t) / 3);
        }
        for (long n = 1; n <= 2000; n += 37) memeTexte(NTL::conv<RR>(1) / n);
    }
}

TEST(EcritureRR, GrandesPrecisionsDeSortie) {
    PrecisionsGardees garde;
    std::mt19937_64 alea(5);
    NTL::SetSeed(ZZ(5));
    // NTL writes these one division by 10 per digit: seconds at 200,000.
    for (long op : {1000L, 20000L, 50000L, 200000L}) {
        RR::SetOutputPrecision(op);
        const long bits = op * 3 + 300;
        RR::SetPrecision(bits);
        memeTexte(auHasard(alea, bits, -bits + 5));
        if (op <= 50000) {
            memeTexte(NTL::conv<RR>("1.5"));
            memeTexte(NTL::conv<RR>(1) / 7);
            memeTexte(auHasard(alea, bits, 400000));
        }
    }
}
