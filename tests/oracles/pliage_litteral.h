// SPDX-License-Identifier: GPL-3.0-or-later
// The packet fold done literally, the oracle of the exact sums: packet 1 takes
// paquet - 1 terms, every later packet paquet terms; each packet is filled
// term by term, and the packets are folded into P/Q one after the other.
#pragma once

#include <NTL/ZZ.h>

#include <vector>

inline void plierParPaquets(NTL::ZZ& P, NTL::ZZ& Q, const std::vector<NTL::ZZ>& gardes, long paquet) {
    std::vector<NTL::ZZ> PS{NTL::ZZ(0)}, QS{NTL::ZZ(1)};
    long maxi = 0;
    for (const NTL::ZZ& n : gardes) {
        if (++maxi == paquet) {
            maxi = 0;
            PS.emplace_back(0);
            QS.emplace_back(1);
        }
        PS.back() = PS.back() * n + QS.back();
        QS.back() = QS.back() * n;
    }
    for (std::size_t s = 0; s < PS.size(); ++s) {
        P = QS[s] * P + PS[s] * Q;
        Q = QS[s] * Q;
    }
}
