#include "sums/sequence.h"

namespace harmo {

bool sequenceTrouvee(Etat& e, const ZZ& n) {
    const std::vector<long>& ch = e.ch;
    const long chn = e.chn;
    e.N2 = n;
    e.TN = 0;
    while (e.N2 > 0) {
        e.N2 /= 10;
        ++e.TN;
    }
    e.N2 = n;
    e.j = 0;
    while (e.j < chn && !NTL::IsZero(e.N2) && chn - e.j <= e.TN) {
        e.reste2 = NTL::DivRem(e.N2, e.N2, 10);
        --e.TN;
        e.k1 = e.j;
        if (ch[chn - e.j] == e.reste2) {
            ++e.j;
            continue;
        }
        // Fall back to the longest shorter match that the new digit extends.
        e.j = 0;
        for (long jp = e.k1; jp >= 1; --jp) {
            if (e.reste2 != ch[chn - jp + 1]) continue;
            e.stop = 0;
            for (e.t1 = 1; e.t1 <= jp - 1; ++e.t1)
                if (ch[chn - e.k1 + e.t1] != ch[chn - jp + 1 + e.t1]) {
                    e.stop = 1;
                    break;
                }
            if (e.stop == 0) {
                e.j = jp;
                break;
            }
        }
    }
    return e.j >= chn;
}

std::vector<std::array<int, 10>> automateDeSequence(const std::vector<long>& s) {
    const int m = static_cast<int>(s.size());
    std::vector<int> repli(m + 1, 0);  // failure function
    for (int q = 1; q < m; ++q) {
        int k = repli[q];
        while (k > 0 && s[k] != s[q]) k = repli[k];
        repli[q + 1] = (s[k] == s[q]) ? k + 1 : 0;
    }
    std::vector<std::array<int, 10>> t(m + 1);
    for (int q = 0; q <= m; ++q)
        for (int d = 0; d < 10; ++d) {
            if (q == m)
                t[q][d] = m;
            else if (s[q] == d)
                t[q][d] = q + 1;
            else
                t[q][d] = q == 0 ? 0 : t[repli[q]][d];
        }
    return t;
}

// The digits are read from the units upward, so the automaton matches the
// sequence reversed.
SequenceChiffres::SequenceChiffres(const std::vector<long>& chiffres)
    : longueur_(static_cast<int>(chiffres.size())),
      transition_(automateDeSequence(std::vector<long>(chiffres.rbegin(), chiffres.rend()))) {}

}  // namespace harmo
