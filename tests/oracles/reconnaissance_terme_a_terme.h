// SPDX-License-Identifier: GPL-3.0-or-later
// Harmonic fraction recognition done literally, the oracle of the fast route:
// subtract 1/1, 1/2, ... (or the odd, or the even terms) one at a time,
// reducing after every step, until the remainder is no longer positive; then
// undo the last step. Time grows like e^x: only for small values.
#pragma once

#include "fraction/reconnaissance.h"
#include "sums/parite.h"

inline harmo::Reconnaissance reconnaissanceTermeATerme(const NTL::ZZ& P0, const NTL::ZZ& Q0, long parite) {
    using NTL::ZZ;
    harmo::Reconnaissance r;
    const long z = harmo::pasDesCandidats[parite];
    ZZ P = P0, Q = Q0, N = harmo::avantLePremierCandidat(parite), i(0), g;
    while (P > 0) {
        N += z;
        P = N * P - Q;
        Q = N * Q;
        ++i;
        if (P > 0) {
            g = NTL::GCD(P, Q);
            P /= g;
            Q /= g;
        }
    }
    if (NTL::IsZero(P)) {
        r.harmonique = true;
        r.i = i;
        r.N = N;
        return r;
    }
    --i;
    P = P * N + Q;
    Q = Q * N;
    N -= z;
    g = NTL::GCD(P, Q);
    r.Pr = P / g;
    r.Qr = Q / g;
    ZZ P3 = P0 * r.Qr - Q0 * r.Pr, Q3 = r.Qr * Q0;
    g = NTL::GCD(P3, Q3);
    r.Ph = P3 / g;
    r.Qh = Q3 / g;
    r.i = i;
    r.N = N;
    return r;
}
