#include "euler/constante.h"

#include "commun/pont_mpfr.h"

namespace harmo {

int CstE(Etat& e) {
    RR::SetPrecision(e.p0 + 200);
    e.l4 = nChiffresE - 1;
    e.l3 = e.l3 + 1;  // the number of decimals to use
    // Horner from the last decimal wanted back to the first: cst = (cst + d) / 10,
    // each addition and division rounded to nearest at the current precision,
    // step by step as RR does them, on an MPFR value that needs no allocation
    // per step. Decimals past the stored ones are 0 and leave cst = 0 exactly.
    long k = e.l3 < nChiffresE ? e.l3 : nChiffresE;
    Mpfr cst(RR::precision());
    mpfr_set_zero(cst, 1);
    for (; k > 0; --k) {
        const unsigned long chiffre = static_cast<unsigned long>(chiffresE[k - 1] - '0');
        mpfr_add_ui(cst, cst, chiffre, MPFR_RNDN);
        mpfr_div_ui(cst, cst, 10, MPFR_RNDN);
    }
    if (e.l3 > 0) e.l3 = 0;
    versRR(e.cst, cst);
    return 1;
}

}  // namespace harmo
