// SPDX-License-Identifier: GPL-3.0-or-later
// The factorisation display done literally, the oracle of the display by
// trial division and PARI: trial division by primes found one after the
// other (each odd candidate tried by the known primes up to its root), a
// prime cofactor recognised when p * p > S, then the text.
#pragma once

#include <NTL/ZZ.h>

#include <sstream>
#include <string>
#include <vector>

inline std::string decompLitterale(NTL::ZZ S, std::vector<NTL::ZZ>& premiers) {
    if (premiers.empty()) premiers = {NTL::ZZ(2), NTL::ZZ(3)};
    std::vector<NTL::ZZ> facteurs;
    std::vector<long> exposants;
    std::size_t k = 0;
    while (!NTL::IsOne(S)) {
        if (k == premiers.size()) {  // the next prime
            NTL::ZZ c = premiers.back() + 2;
            for (;;) {
                bool premier = true;
                for (const NTL::ZZ& p : premiers) {
                    if (p * p > c) break;
                    if (NTL::divide(c, p)) {
                        premier = false;
                        break;
                    }
                }
                if (premier) break;
                c += 2;
            }
            premiers.push_back(c);
        }
        const NTL::ZZ p = premiers[k++];
        if (p * p > S) {
            facteurs.push_back(S);
            exposants.push_back(1);
            break;
        }
        long e = 0;
        while (NTL::divide(S, p)) {
            S /= p;
            ++e;
        }
        if (e > 0) {
            facteurs.push_back(p);
            exposants.push_back(e);
        }
    }
    if (facteurs.size() == 1 && exposants[0] == 1) return "  est un nombre premier. ";
    std::ostringstream os;
    os << "  ";
    for (std::size_t t = 0; t < facteurs.size(); ++t) {
        if (t > 0) os << " X ";
        os << "(" << facteurs[t] << ")";
        if (exposants[t] != 1) os << "^" << exposants[t];
    }
    return os.str();
}
