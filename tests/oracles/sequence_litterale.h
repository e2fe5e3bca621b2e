// SPDX-License-Identifier: GPL-3.0-or-later
// The digit-sequence test done literally, as the oracle of the automaton: the
// digits of n are read from the units upward with a match state j (how many
// digits of the end of the sequence the digits read last begin with), and on
// a mismatch the state falls back to the longest shorter match that the new
// digit extends, candidates tried from the old state downward.
#pragma once

#include <NTL/ZZ.h>

#include <vector>

// ch[1..chn]: the sequence, most significant digit first (ch[0] unused).
inline bool sequenceTrouveeLitterale(const std::vector<long>& ch, long chn, const NTL::ZZ& n) {
    NTL::ZZ N2 = n;
    long TN = 0;
    while (N2 > 0) {
        N2 /= 10;
        ++TN;
    }
    N2 = n;
    long j = 0;
    while (j < chn && !NTL::IsZero(N2) && chn - j <= TN) {
        long reste2 = NTL::DivRem(N2, N2, 10);
        --TN;
        long k1 = j;
        if (ch[chn - j] == reste2) {
            ++j;
            continue;
        }
        j = 0;
        for (long jp = k1; jp >= 1; --jp) {
            if (reste2 != ch[chn - jp + 1]) continue;
            bool stop = false;
            for (long t1 = 1; t1 <= jp - 1; ++t1)
                if (ch[chn - k1 + t1] != ch[chn - jp + 1 + t1]) {
                    stop = true;
                    break;
                }
            if (!stop) {
                j = jp;
                break;
            }
        }
    }
    return j >= chn;
}
