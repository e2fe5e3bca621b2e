// SPDX-License-Identifier: GPL-3.0-or-later
// The one-word splitter of the sieve's cofactors, against FLINT's own
// primality proof and factorisation (an independent computation).
#include "factor/rho.h"

#include <flint/ulong_extras.h>
#include <gtest/gtest.h>

#include <random>

using namespace harmo;

namespace {

std::uint64_t premierDe(std::mt19937_64& alea, int bits) {
    return n_nextprime((std::uint64_t{1} << (bits - 1)) + alea() % (std::uint64_t{1} << (bits - 2)), 1);
}

}  // namespace

// Primes pass; odd composites fail, but for the pseudoprimes to base 2
// below 30000 (OEIS A001567: 341 = 11 * 31, 561, ...), which the sieve sets
// aside with the primes; then at random up to 2^63.
TEST(Rho, LeTestDeFermatEnBase2) {
    for (std::uint64_t n = 3; n < 30000; n += 2) {
        const bool pseudo = n == 341 || n == 561 || n == 645 || n == 1105 || n == 1387 || n == 1729 || n == 1905 ||
                            n == 2047 || n == 2465 || n == 2701 || n == 2821 || n == 3277 || n == 4033 || n == 4369 ||
                            n == 4371 || n == 4681 || n == 5461 || n == 6601 || n == 7957 || n == 8321 || n == 8481 ||
                            n == 8911 || n == 10261 || n == 10585 || n == 11305 || n == 12801 || n == 13741 ||
                            n == 13747 || n == 13981 || n == 14491 || n == 15709 || n == 15841 || n == 16705 ||
                            n == 18705 || n == 18721 || n == 19951 || n == 23001 || n == 23377 || n == 25761 || n == 29341;
        ASSERT_EQ(premierProbableBase2(n), n_is_prime(n) || pseudo) << n;
    }
    std::mt19937_64 alea(3);
    for (int k = 0; k < 2000; ++k) {
        const std::uint64_t n = (alea() >> 1) | 1;  // below 2^63
        ASSERT_EQ(premierProbableBase2(n), static_cast<bool>(n_is_prime(n))) << n;
    }
    EXPECT_TRUE(premierProbableBase2(9223372036854775783ull));  // the largest prime below 2^63
}

// Products of two primes as the sieve leaves them (20 to 31 bits each),
// of three, and squares of primes: a proper factor every time.
TEST(Rho, ScindeLesCofacteurs) {
    std::mt19937_64 alea(7);
    for (int k = 0; k < 3000; ++k) {
        const int bitsA = 20 + static_cast<int>(alea() % 12), bitsB = 20 + static_cast<int>(alea() % 12);
        const std::uint64_t a = premierDe(alea, bitsA), b = premierDe(alea, bitsB);
        const std::uint64_t n = a * b;
        const std::uint64_t d = facteurParRho(n);
        ASSERT_TRUE(d == a || d == b) << n << " = " << a << " * " << b << ", got " << d;
    }
    for (int k = 0; k < 300; ++k) {
        const std::uint64_t n = premierDe(alea, 14) * premierDe(alea, 17) * premierDe(alea, 20);
        const std::uint64_t d = facteurParRho(n);
        ASSERT_TRUE(d > 1 && d < n && n % d == 0) << n;
    }
    for (const std::uint64_t q : {3ull, 1000003ull, 2147483647ull}) EXPECT_EQ(facteurParRho(q * q), q);
    for (const std::uint64_t n : {9ull, 15ull, 21ull, 25ull, 35ull}) {
        const std::uint64_t d = facteurParRho(n);
        EXPECT_TRUE(d > 1 && d < n && n % d == 0) << n;
    }
}
