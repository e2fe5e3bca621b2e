// log, exp and pow of RR values at a given precision: NTL's own against the
// MPFR route used by the program.
#include "commun/transcendantes.h"

#include <NTL/RR.h>

#include <chrono>
#include <iostream>

namespace {
template <class F>
double mesure(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}
}  // namespace

int main(int argc, char** argv) {
    long bits = argc > 1 ? std::atol(argv[1]) : 100000;
    NTL::RR::SetPrecision(bits);
    NTL::RR x = NTL::sqrt(NTL::conv<NTL::RR>(2)) + 1000, y = NTL::conv<NTL::RR>(-21) / 7, r1, r2;
    std::cout << "at " << bits << " bits (seconds):      NTL      MPFR\n";
    double a = mesure([&] { r1 = NTL::log(x); }), b = mesure([&] { r2 = harmo::logR(x); });
    std::cout << "  log                       " << a << "  " << b << (r1 == r2 ? "  (same value)" : "  (values differ)") << "\n";
    a = mesure([&] { r1 = NTL::exp(y); });
    b = mesure([&] { r2 = harmo::expR(y); });
    std::cout << "  exp                       " << a << "  " << b << (r1 == r2 ? "  (same value)" : "  (values differ)") << "\n";
    a = mesure([&] { r1 = NTL::pow(x, y); });
    b = mesure([&] { r2 = harmo::powR(x, y); });
    std::cout << "  pow                       " << a << "  " << b << (r1 == r2 ? "  (same value)" : "  (values differ)") << "\n";
    return 0;
}
