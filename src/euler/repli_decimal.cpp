// SPDX-License-Identifier: GPL-3.0-or-later
#include "euler/repli_decimal.h"

#include "commun/pont_mpfr.h"
#include "commun/suivi.h"

#include <string>
#include <vector>

namespace harmo {

namespace {

// Steps k = de .. 1 (digits chiffres[de-1] .. chiffres[0]) from the value in x.
void replier(mpfr_ptr x, const char* chiffres, long de) {
    for (long k = de; k > 0; --k) {
        if (k % 1024 == 0) {
            verifierInterruption();
            progres("constante d'Euler-Mascheroni", 1 - static_cast<double>(k) / static_cast<double>(de));
        }
        mpfr_add_ui(x, x, static_cast<unsigned long>(chiffres[k - 1] - '0'), MPFR_RNDN);
        mpfr_div_ui(x, x, 10, MPFR_RNDN);
    }
}

const long pasRejoues = 48;
const int candidatsAuPlus = 64;

}  // namespace

void replierPasAPas(mpfr_ptr x, const char* chiffres, long L) {
    mpfr_set_zero(x, 1);
    replier(x, chiffres, L);
}

void replierDecimales(mpfr_ptr x, const char* chiffres, long L) {
    if (L <= 2 * pasRejoues) {
        replierPasAPas(x, chiffres, L);
        return;
    }
    const mpfr_prec_t p = mpfr_get_prec(x);
    const long j = pasRejoues;
    // X_j, the exact tail 0.d_(j+1) ... d_L, to within 2^-(p+60) (relative).
    Mpfr queue(p + 64);
    std::string texte = "0." + std::string(chiffres + j, static_cast<std::size_t>(L - j));
    mpfr_set_str(queue, texte.c_str(), 10, MPFR_RNDN);
    // The fold's x_j lies in [X_j - E, X_j + E], E = 1.45 2^-p plus the
    // conversion's error: 1.5 2^-p covers both.
    Mpfr E(64), bas(p + 64), haut(p + 64);
    mpfr_set_ui_2exp(E, 3, -p - 1, MPFR_RNDU);
    mpfr_sub(bas, queue, E, MPFR_RNDD);
    mpfr_add(haut, queue, E, MPFR_RNDU);
    if (mpfr_sgn(bas.get()) < 0) mpfr_set_zero(bas, 1);

    Mpfr candidat(p), essai(p);
    mpfr_set(candidat, bas, MPFR_RNDU);  // the smallest p-bit number >= bas
    bool aucun = true;
    for (int n = 0; mpfr_lessequal_p(candidat, haut); ++n) {
        if (n == candidatsAuPlus) {
            replierPasAPas(x, chiffres, L);
            return;
        }
        mpfr_set(essai, candidat, MPFR_RNDN);
        replier(essai, chiffres, j);
        if (aucun) {
            mpfr_set(x, essai, MPFR_RNDN);
            aucun = false;
        } else if (!mpfr_equal_p(x, essai)) {
            replierPasAPas(x, chiffres, L);  // the candidates did not collapse
            return;
        }
        if (mpfr_zero_p(candidat))
            mpfr_set_ui_2exp(candidat, 1, mpfr_get_emin(), MPFR_RNDN);  // the next one above 0
        else
            mpfr_nextabove(candidat);
    }
    if (aucun) replierPasAPas(x, chiffres, L);  // no candidate: impossible, but safe
}

}  // namespace harmo
