// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/sequence.h"

#include "commun/decimal.h"

#include <string>

namespace harmo {

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

bool SequenceChiffres::trouvee(const NTL::ZZ& n) const {
    if (longueur_ == 0) return true;
    const std::string texte = enDecimal(n);
    int etat = 0;
    for (auto c = texte.rbegin(); c != texte.rend(); ++c) {
        etat = transition_[etat][*c - '0'];
        if (etat == longueur_) return true;
    }
    return false;
}

}  // namespace harmo
