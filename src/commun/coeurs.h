// How many threads the heavy computations may use: the machine's cores.
#pragma once

#include <thread>

namespace harmo {

inline unsigned nombreDeCoeurs() {
    static const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

}  // namespace harmo
