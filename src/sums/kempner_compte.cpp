// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/kempner_compte.h"

#include "commun/decimal.h"
#include "sums/parite.h"
#include "sums/sequence.h"

#include <array>
#include <string>

namespace harmo {

namespace {

// The sequence's automaton, reading the digits of n from the most significant one.
class Automate {
public:
    explicit Automate(const std::vector<long>& s) : m_(static_cast<int>(s.size())), t_(automateDeSequence(s)) {}
    int m() const { return m_; }
    int suivant(int q, int d) const { return t_[q][d]; }

private:
    int m_;
    std::vector<std::array<int, 10>> t_;
};

// Digits of X, most significant first (X >= 1).
std::vector<int> chiffres(const ZZ& X) {
    std::string t = enDecimal(X);
    std::vector<int> c(t.size());
    for (std::size_t k = 0; k < t.size(); ++k) c[k] = t[k] - '0';
    return c;
}

// possible[k][q]: some string of k digits read from state q avoids the
// sequence and ends with a digit of the parity (k = 0: nothing to place).
std::vector<std::vector<char>> possibles(const Automate& a, std::size_t longueur, long parite) {
    std::vector<std::vector<char>> p(longueur + 1, std::vector<char>(a.m() + 1, 0));
    for (int q = 0; q < a.m(); ++q) p[0][q] = 1;
    for (std::size_t k = 1; k <= longueur; ++k)
        for (int q = 0; q < a.m(); ++q)
            for (int d = 0; d < 10 && !p[k][q]; ++d) {
                int r = a.suivant(q, d);
                if (r != a.m() && (k > 1 || dernierChiffrePermis(d, parite)) && p[k - 1][r]) p[k][q] = 1;
            }
    return p;
}

}  // namespace

ZZ compterSansSequence(const ZZ& X, const std::vector<long>& sequence, long parite) {
    ZZ total(0);
    if (X < 1 || sequence.empty()) return total;
    Automate a(sequence);
    const int m = a.m();
    std::vector<int> D = chiffres(X);
    const std::size_t L = D.size();
    // States after each prefix of X (m once the sequence has appeared).
    std::vector<int> etat(L + 1, 0);
    for (std::size_t i = 0; i < L; ++i) etat[i + 1] = etat[i] == m ? m : a.suivant(etat[i], D[i]);

    // g[q]: strings of k free digits from state q that avoid the sequence and
    // end with the parity; rolled over k = 0 .. L - 1.
    std::vector<ZZ> g(m + 1), h(m + 1);
    for (int q = 0; q < m; ++q) g[q] = 1;
    for (std::size_t k = 0; k < L; ++k) {
        // Numbers of k + 1 digits, all below X when k + 1 < L.
        if (k + 1 < L)
            for (int d = 1; d <= 9; ++d) {
                int r = a.suivant(0, d);
                if (r != m && (k > 0 || dernierChiffrePermis(d, parite))) total += g[r];
            }
        // L-digit numbers that follow X up to position i = L - 1 - k and are smaller there.
        const std::size_t i = L - 1 - k;
        if (etat[i] != m)
            for (int d = (i == 0 ? 1 : 0); d < D[i]; ++d) {
                int r = a.suivant(etat[i], d);
                if (r != m && (k > 0 || dernierChiffrePermis(d, parite))) total += g[r];
            }
        if (k + 1 == L) break;
        for (int q = 0; q < m; ++q) {
            NTL::clear(h[q]);
            for (int d = 0; d < 10; ++d) {
                int r = a.suivant(q, d);
                if (r != m && (k > 0 || dernierChiffrePermis(d, parite))) h[q] += g[r];
            }
        }
        g.swap(h);
    }
    if (etat[L] != m && dernierChiffrePermis(D[L - 1], parite)) total += 1;  // X itself
    return total;
}

bool plusGrandSansSequence(const ZZ& X, const std::vector<long>& sequence, long parite, ZZ& n) {
    if (X < 1 || sequence.empty()) return false;
    Automate a(sequence);
    const int m = a.m();
    std::vector<int> D = chiffres(X);
    const std::size_t L = D.size();
    std::vector<std::vector<char>> p = possibles(a, L, parite);
    std::vector<int> etat(L + 1, 0);
    for (std::size_t i = 0; i < L; ++i) etat[i + 1] = etat[i] == m ? m : a.suivant(etat[i], D[i]);

    // The largest completion of `reste` free digits from state q, appended to t.
    auto completer = [&](std::string& t, int q, std::size_t reste) {
        for (; reste > 0; --reste)
            for (int d = 9; d >= 0; --d) {
                int r = a.suivant(q, d);
                if (r != m && (reste > 1 || dernierChiffrePermis(d, parite)) && p[reste - 1][r]) {
                    t.push_back(static_cast<char>('0' + d));
                    q = r;
                    break;
                }
            }
    };
    std::string t;
    if (etat[L] != m && dernierChiffrePermis(D[L - 1], parite)) {
        n = X;
        return true;
    }
    // Follow X as far as possible, then a smaller digit, then the largest completion.
    for (std::size_t i = L; i-- > 0;) {
        if (etat[i] == m) continue;
        const std::size_t reste = L - 1 - i;
        for (int d = D[i] - 1; d >= (i == 0 ? 1 : 0); --d) {
            int r = a.suivant(etat[i], d);
            if (r == m || (reste == 0 && !dernierChiffrePermis(d, parite)) || !p[reste][r]) continue;
            t.clear();
            for (std::size_t k = 0; k < i; ++k) t.push_back(static_cast<char>('0' + D[k]));
            t.push_back(static_cast<char>('0' + d));
            completer(t, r, reste);
            n = NTL::conv<ZZ>(t.c_str());
            return true;
        }
    }
    // Otherwise the largest number with one digit less.
    for (std::size_t longueur = L - 1; longueur >= 1; --longueur) {
        for (int d = 9; d >= 1; --d) {
            int r = a.suivant(0, d);
            if (r == m || (longueur == 1 && !dernierChiffrePermis(d, parite)) || !p[longueur - 1][r]) continue;
            t.assign(1, static_cast<char>('0' + d));
            completer(t, r, longueur - 1);
            n = NTL::conv<ZZ>(t.c_str());
            return true;
        }
    }
    return false;
}

}  // namespace harmo
