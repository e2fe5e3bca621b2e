// SPDX-License-Identifier: GPL-3.0-or-later
#include "euler/constante.h"

#include "commun/pont_mpfr.h"
#include "euler/repli_decimal.h"

namespace harmo {

int CstE(Etat& e) {
    RR::SetPrecision(e.p0 + 200);
    e.l4 = nChiffresE - 1;
    e.l3 = e.l3 + 1;  // the number of decimals to use
    // Horner from the last decimal wanted back to the first: cst = (cst + d) / 10,
    // each addition and division rounded to nearest at the current precision,
    // as RR does them. Decimals past the stored ones are 0 and leave cst = 0
    // exactly, so only the stored ones are folded.
    const long L = e.l3 < nChiffresE ? e.l3 : nChiffresE;
    Mpfr cst(RR::precision());
    if (L > 0)
        replierDecimales(cst, chiffresE, L);
    else
        mpfr_set_zero(cst, 1);
    if (e.l3 > 0) e.l3 = 0;
    versRR(e.cst, cst);
    return 1;
}

}  // namespace harmo
