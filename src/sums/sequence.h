// SPDX-License-Identifier: GPL-3.0-or-later
// Does the decimal writing of n contain a given run of digits?
//
// The digits of n are read from the units upward and drive the matching
// automaton (Knuth-Morris-Pratt) of the sequence read backward: one table
// step per digit, and the answer as soon as the whole sequence has matched.
#pragma once

#include <NTL/ZZ.h>

#include <array>
#include <cstdint>
#include <vector>

namespace harmo {

// Matching automaton of a digit sequence s (KMP): after reading digits,
// state q is the length of the longest end of them that begins s; state
// s.size() means s has been read, and stays.
std::vector<std::array<int, 10>> automateDeSequence(const std::vector<long>& s);

class SequenceChiffres {
public:
    // chiffres: the sequence, most significant digit first (0 to 9 digits).
    // The empty sequence is found in every n.
    explicit SequenceChiffres(const std::vector<long>& chiffres);
    bool trouvee(std::uint64_t n) const {
        if (longueur_ == 0) return true;
        int etat = 0;
        while (n != 0) {
            etat = transition_[etat][n % 10];
            if (etat == longueur_) return true;
            n /= 10;
        }
        return false;
    }
    bool trouvee(const NTL::ZZ& n) const;

private:
    int longueur_;
    std::vector<std::array<int, 10>> transition_;
};

}  // namespace harmo
