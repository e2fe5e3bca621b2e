// Does the decimal writing of n contain a given run of digits?
#pragma once

#include "shell/etat.h"

#include <array>
#include <cstdint>
#include <vector>

namespace harmo {

// The scan on ZZ, one digit at a time from the units upward with the match
// state kept in e.j and its fall-back search; uses N2, TN, j, k1, reste2, t1
// and stop. Returns whether the sequence ch[1..chn] occurs in n.
bool sequenceTrouvee(Etat& e, const ZZ& n);

// Matching automaton of a digit sequence s (KMP): after reading digits,
// state q is the length of the longest end of them that begins s; state
// s.size() means s has been read, and stays.
std::vector<std::array<int, 10>> automateDeSequence(const std::vector<long>& s);

// The same test on machine integers: the digits of n from the units upward
// drive an automaton of the reversed sequence.
class SequenceChiffres {
public:
    // chiffres: the sequence, most significant digit first (0 to 9 digits).
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

private:
    int longueur_;
    std::vector<std::array<int, 10>> transition_;
};

}  // namespace harmo
