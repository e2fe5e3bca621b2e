// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/rho.h"

#include <algorithm>
#include <numeric>

namespace harmo {

namespace {

using u128 = unsigned __int128;

// Arithmetic mod n on residues times R = 2^64: x y / R mod n by
// Montgomery's reduction, with ninv = -1/n mod 2^64. For n < 2^63 the sum
// t + m n stays below 2^128.
struct Montgomery {
    std::uint64_t n, ninv;
    explicit Montgomery(std::uint64_t m) : n(m), ninv(0 - inverseModulo2p64(m)) {}
    std::uint64_t reduire(u128 t) const {
        const std::uint64_t m = static_cast<std::uint64_t>(t) * ninv;
        const std::uint64_t r = static_cast<std::uint64_t>((t + static_cast<u128>(m) * n) >> 64);
        return r >= n ? r - n : r;
    }
    std::uint64_t mul(std::uint64_t a, std::uint64_t b) const { return reduire(static_cast<u128>(a) * b); }
    std::uint64_t un() const { return static_cast<std::uint64_t>((static_cast<u128>(1) << 64) % n); }
};

}  // namespace

std::uint64_t inverseModulo2p64(std::uint64_t p) {
    std::uint64_t inv = p;  // 1/p mod 2^3, then Newton: 6, 12, 24, 48, 96 bits
    for (int k = 0; k < 5; ++k) inv *= 2 - p * inv;
    return inv;
}

bool premierProbableBase2(std::uint64_t n) {
    const Montgomery m(n);
    const std::uint64_t un = m.un();
    std::uint64_t x = un;
    const std::uint64_t e = n - 1;
    for (int b = 63 - __builtin_clzll(e); b >= 0; --b) {
        x = m.mul(x, x);
        if ((e >> b) & 1) {
            x += x;  // times 2, in Montgomery form as outside it
            if (x >= n) x -= n;
        }
    }
    return x == un;
}

std::uint64_t facteurParRho(std::uint64_t n, std::uint64_t maxPas) {
    const Montgomery m(n);
    constexpr std::uint64_t lot = 64;  // differences multiplied before a gcd
    for (std::uint64_t c = 1; c <= 3; ++c) {
        auto f = [&](std::uint64_t v) {
            const std::uint64_t w = m.mul(v, v) + c;
            return w >= n ? w - n : w;
        };
        std::uint64_t y = 2, x = 2, ys = 2, q = m.un(), g = 1, pas = 0;
        for (std::uint64_t r = 1; g == 1 && pas <= maxPas; r *= 2) {
            x = y;
            for (std::uint64_t i = 0; i < r; ++i) y = f(y);
            for (std::uint64_t k = 0; k < r && g == 1; k += lot) {
                ys = y;
                const std::uint64_t fin = std::min(lot, r - k);
                for (std::uint64_t i = 0; i < fin; ++i) {
                    y = f(y);
                    q = m.mul(q, x > y ? x - y : y - x);
                }
                g = std::gcd(q, n);
                pas += fin;
            }
        }
        if (g == n) {  // the batch went past the factor: again, one step at a time
            do {
                ys = f(ys);
                g = std::gcd(x > ys ? x - ys : ys - x, n);
            } while (g == 1);
        }
        if (g > 1 && g < n) return g;
    }
    return 0;
}

}  // namespace harmo
