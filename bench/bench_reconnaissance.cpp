// Times the term-by-term recognition and the fast one on the same fraction.
// usage: bench_reconnaissance P Q parity [literal|fast]
#include "fraction/reconnaissance.h"

#include "oracles/reconnaissance_terme_a_terme.h"

#include <chrono>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    NTL::ZZ P = NTL::conv<NTL::ZZ>(argv[1]), Q = NTL::conv<NTL::ZZ>(argv[2]);
    long parite = std::atol(argv[3]);
    auto t0 = std::chrono::steady_clock::now();
    harmo::Reconnaissance r = std::strcmp(argv[4], "literal") == 0
                                  ? reconnaissanceTermeATerme(P, Q, parite)
                                  : harmo::reconnaissanceRapide(P, Q, parite);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::cout << argv[4] << " " << argv[1] << "/" << argv[2] << " parity " << parite << ": N = " << r.N
              << ", " << s << " s\n";
    return 0;
}
