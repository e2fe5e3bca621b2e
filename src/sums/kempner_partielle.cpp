// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/kempner_partielle.h"

#include "commun/decimal.h"
#include "commun/suivi.h"
#include "sums/parite.h"
#include "sums/sequence.h"

#include <string>

namespace harmo {

namespace {

const long chiffresPrefixe = 4;  // prefixes of 4 digits: a >= 1000
const long debutPrefixes = 1000, finPrefixes = 9999;

long largeurDe(long prec) { return static_cast<long>(prec / 9.9) + 4; }  // J + 2

// The coefficients C(j, i) P(j - i) of one transition s -> t, P(e) the sum
// of d^e over its digits: for j = 0 .. J + 1, the j + 1 values i = 0 .. j,
// as exact balls; row j starts at j (j + 1) / 2.
struct Transition {
    int s, t;
    VecteurArb coefficients;
};

}  // namespace

bool KempnerPartielle::permis(int d) const { return dernierChiffrePermis(d, parite_); }

// The state after the digits, read from the first (L_, the sequence seen,
// absorbs).
int KempnerPartielle::etatDe(std::string_view chiffres) const {
    int s = 0;
    for (char c : chiffres) {
        if (s == L_) break;
        s = etat(s, c - '0');
    }
    return s;
}

KempnerPartielle::KempnerPartielle(const std::vector<long>& sequence, long parite, long chiffresMax, long prec)
    : L_(static_cast<int>(sequence.size())), parite_(parite), kmax_(std::max<long>(chiffresMax - chiffresPrefixe, 1)),
      prec_(prec), J_(largeurDe(prec) - 2), transition_(automateDeSequence(sequence)),
      moments_((kmax_ + 1) * L_ * largeurDe(prec)), Z_(L_ * largeurDe(prec)), inverses10_(largeurDe(prec)) {
    const long largeur = J_ + 2;
    for (long j = 0; j < largeur; ++j) {
        arb_ui_pow_ui(inverses10_ + j, 10, static_cast<unsigned long>(j + 1), prec_);
        arb_inv(inverses10_ + j, inverses10_ + j, prec_);
    }

    // The transitions s -> t between live states, with their digit power sums.
    std::vector<Transition> transitions;
    Fmpz somme, puissance;
    std::vector<Fmpz> binomiaux(static_cast<std::size_t>(largeur));  // row j of Pascal's triangle
    std::vector<Fmpz> sommes(static_cast<std::size_t>(largeur));     // P_st(e)
    for (int s = 0; s < L_; ++s)
        for (int t = 0; t < L_; ++t) {
            std::vector<int> chiffres;
            for (int d = 0; d < 10; ++d)
                if (etat(s, d) == t) chiffres.push_back(d);
            if (chiffres.empty()) continue;
            verifierInterruption();
            for (long e = 0; e < largeur; ++e) {
                fmpz_zero(sommes[e]);
                for (int d : chiffres) {
                    fmpz_set_ui(puissance, static_cast<unsigned long>(d));
                    fmpz_pow_ui(puissance, puissance, static_cast<unsigned long>(e));
                    fmpz_add(sommes[e], sommes[e], puissance);
                }
            }
            transitions.push_back(Transition{s, t, VecteurArb(largeur * (largeur + 1) / 2)});
            Transition& tr = transitions.back();
            for (long j = 0; j < largeur; ++j) {
                if (j % 64 == 63) verifierInterruption();
                // Row j from row j - 1, right to left.
                fmpz_one(binomiaux[j]);
                for (long i = j - 1; i > 0; --i) fmpz_add(binomiaux[i], binomiaux[i], binomiaux[i - 1]);
                for (long i = 0; i <= j; ++i) {
                    fmpz_mul(somme, sommes[j - i], binomiaux[i]);
                    arb_set_fmpz(tr.coefficients + (j * (j + 1) / 2 + i), somme);  // exact
                }
            }
        }

    // nu_1: one digit of E leading to a live state.
    for (int s = 0; s < L_; ++s) {
        arb_ptr v = nu(1, s);
        for (long j = 0; j < largeur; ++j) {
            fmpz_zero(somme);
            for (int d = 0; d < 10; ++d) {
                if (etat(s, d) == L_ || !permis(d)) continue;
                fmpz_set_ui(puissance, static_cast<unsigned long>(d));
                fmpz_pow_ui(puissance, puissance, static_cast<unsigned long>(j));
                fmpz_add(somme, somme, puissance);
            }
            arb_set_fmpz(v + j, somme);
            arb_mul(v + j, v + j, inverses10_ + j, precision(j));
        }
    }
    // nu_k from nu_(k-1), prepending a digit.
    Arb terme;
    for (long k = 2; k <= kmax_; ++k) {
        verifierInterruption();
        progres("somme de Kempner : moments", static_cast<double>(k) / static_cast<double>(kmax_ + 1));
        for (const Transition& tr : transitions) {
            arb_ptr cible = nu(k, tr.s);
            arb_srcptr source = nu(k - 1, tr.t);
            for (long j = 0; j < largeur; ++j) {
                if (j % 64 == 63) verifierInterruption();
                arb_dot(terme, nullptr, 0, source, 1, tr.coefficients + (j * (j + 1) / 2), 1, j + 1, precision(j));
                arb_add(cible + j, cible + j, terme, precision(j));
            }
        }
        for (int s = 0; s < L_; ++s)
            for (long j = 0; j < largeur; ++j) arb_mul(nu(k, s) + j, nu(k, s) + j, inverses10_ + j, precision(j));
    }
    prefixes(Z_, finPrefixes + 1);
}

double KempnerPartielle::cout(const std::vector<long>& sequence, long chiffres, long prec) {
    const double J = prec / 9.9 + 4;
    const double transitions = 3.0 * static_cast<double>(sequence.size()) + 1;
    return static_cast<double>(chiffres) * transitions * J * J / 2 + 9000 * J + 9 * static_cast<double>(chiffres) * J;
}

double KempnerPartielle::octets(const std::vector<long>& sequence, long chiffresMax, long prec) {
    const auto automate = automateDeSequence(sequence);
    const int L = static_cast<int>(sequence.size());
    double transitions = 0;
    for (int s = 0; s < L; ++s)
        for (int t = 0; t < L; ++t)
            for (int d = 0; d < 10; ++d)
                if (automate[s][d] == t) {
                    ++transitions;
                    break;
                }
    const double W = static_cast<double>(largeurDe(prec));
    const double kmax = static_cast<double>(std::max<long>(chiffresMax - chiffresPrefixe, 1));
    // An arb_struct (48 bytes) and its allocation (16); the exact coefficients
    // C(j, i) P(j - i) hold about j + 3.33 (j - i) bits: 0.11 W^3 bytes in all;
    // a moment of index j holds prec - 9.9 j bits, prec / 16 bytes on average.
    const double arb = sizeof(arb_struct) + 16;
    const double coefficients = transitions * (W * W / 2 * arb + 0.11 * W * W * W);
    const double moments = (kmax + 1) * L * W * (arb + static_cast<double>(prec) / 16);
    return coefficients + moments + 2 * L * W * (arb + static_cast<double>(prec) / 8);
}

// Z(s, j) = the sum of (-1)^j a^-(j+1) over the prefixes a of 4 digits in
// state s, a < jusqua.
void KempnerPartielle::prefixes(VecteurArb& Z, long jusqua) {
    const long largeur = J_ + 2;
    Arb inverse, puissance;
    for (long a = debutPrefixes; a < jusqua; ++a) {
        if (a % 1000 == 0) verifierInterruption();
        const int s = etatDe(std::to_string(a));
        if (s == L_) continue;
        arb_set_ui(inverse, static_cast<unsigned long>(a));
        arb_inv(inverse, inverse, prec_);
        arb_set(puissance, inverse);
        for (long j = 0; j < largeur; ++j) {
            if (j % 2 == 0)
                arb_add(Z + (s * largeur + j), Z + (s * largeur + j), puissance, precision(j));
            else
                arb_sub(Z + (s * largeur + j), Z + (s * largeur + j), puissance, precision(j));
            arb_mul(puissance, puissance, inverse, precision(j + 1));
        }
    }
}

// The n from 1 to jusqua (< 10^4), one by one.
void KempnerPartielle::sommeDirecte(arb_t res, long jusqua) {
    Arb t;
    for (long n = 1; n <= jusqua; ++n) {
        if (!permis(static_cast<int>(n % 10))) continue;
        if (etatDe(std::to_string(n)) == L_) continue;
        arb_set_ui(t, static_cast<unsigned long>(n));
        arb_inv(t, t, prec_);
        arb_add(res, res, t, prec_);
    }
}

// The numbers of 4 + k digits whose first four are the prefixes summed in Z:
// sum over s and j of nu_k(s, j) Z(s, j), the tail as radius.
void KempnerPartielle::blocsAgreges(arb_t res, long k, const VecteurArb& Z) {
    const long largeur = J_ + 2;
    Arb t, queue;
    for (int s = 0; s < L_; ++s) {
        arb_dot(t, nullptr, 0, nu(k, s), 1, Z + s * largeur, 1, J_ + 1, prec_);
        arb_add(res, res, t, prec_);
        arb_mul(queue, nu(k, s) + J_ + 1, Z + (s * largeur + J_ + 1), prec_);
        arb_add_error(res, queue);
    }
}

// The numbers a 10^k + r, r in T_k(s).
void KempnerPartielle::bloc(arb_t res, const fmpz_t a, long k, int s) {
    const long largeur = J_ + 2;
    VecteurArb puissances(largeur);
    Arb inverse, t;
    arb_set_round_fmpz(inverse, a, prec_ + 10);
    arb_inv(inverse, inverse, prec_);
    arb_set(puissances.get(), inverse);
    for (long j = 1; j < largeur; ++j) arb_mul(puissances + j, puissances + (j - 1), inverse, precision(j));
    for (long j = 1; j < largeur; j += 2) arb_neg(puissances + j, puissances + j);
    arb_dot(t, nullptr, 0, nu(k, s), 1, puissances.get(), 1, J_ + 1, prec_);
    arb_add(res, res, t, prec_);
    arb_mul(t, nu(k, s) + J_ + 1, puissances + (J_ + 1), prec_);
    arb_add_error(res, t);
}

void KempnerPartielle::somme(arb_t res, const NTL::ZZ& X) {
    arb_zero(res);
    if (X < 1) return;
    const std::string chiffres = enDecimal(X);
    const long K = static_cast<long>(chiffres.size());
    if (K <= chiffresPrefixe) {
        sommeDirecte(res, NTL::conv<long>(X));
        return;
    }
    sommeDirecte(res, finPrefixes);
    // The full lengths 5 .. K - 1.
    for (long k = 1; k < K - chiffresPrefixe; ++k) blocsAgreges(res, k, Z_);
    // Length K, the prefixes of four digits below X's first four.
    const long tete = std::stol(chiffres.substr(0, chiffresPrefixe));
    {
        VecteurArb Zp(L_ * (J_ + 2));
        prefixes(Zp, tete);
        blocsAgreges(res, K - chiffresPrefixe, Zp);
    }

    // Along X's digits: the prefix so far, then one block per smaller digit.
    int s = etatDe(std::string_view(chiffres).substr(0, chiffresPrefixe));
    Fmpz prefixe, a;
    Arb inverse;
    fmpz_set_ui(prefixe, static_cast<unsigned long>(tete));
    for (long i = chiffresPrefixe; i < K && s != L_; ++i) {
        if (i % 64 == 0) verifierInterruption();
        const int Di = chiffres[i] - '0';
        const long k = K - 1 - i;
        for (int d = 0; d < Di; ++d) {
            const int t = etat(s, d);
            if (t == L_) continue;
            fmpz_mul_ui(a, prefixe, 10);
            fmpz_add_ui(a, a, static_cast<unsigned long>(d));
            if (k == 0) {
                if (!permis(d)) continue;
                arb_set_round_fmpz(inverse, a, prec_ + 10);
                arb_inv(inverse, inverse, prec_);
                arb_add(res, res, inverse, prec_);
            } else {
                bloc(res, a, k, t);
            }
        }
        s = etat(s, Di);
        fmpz_mul_ui(prefixe, prefixe, 10);
        fmpz_add_ui(prefixe, prefixe, static_cast<unsigned long>(Di));
    }
    // X itself.
    if (s != L_ && permis(chiffres[K - 1] - '0')) {
        arb_set_round_fmpz(inverse, prefixe, prec_ + 10);
        arb_inv(inverse, inverse, prec_);
        arb_add(res, res, inverse, prec_);
    }
}

}  // namespace harmo
