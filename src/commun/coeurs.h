// SPDX-License-Identifier: GPL-3.0-or-later
// How many threads the heavy computations may use: the machine's cores; and
// how they start one.
#pragma once

#include <future>
#include <system_error>
#include <thread>

namespace harmo {

inline unsigned nombreDeCoeurs() {
    static const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

// f(a...) on another thread, or, when no thread can be started (a process
// limit), on the one that asks for the result: the same work, on one core.
template <class F, class... A>
auto enParallele(const F& f, const A&... a) {
    try {
        return std::async(std::launch::async, f, a...);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, f, a...);
    }
}

}  // namespace harmo
