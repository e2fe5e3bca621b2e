#include "euler/constante.h"

#include "commun/sortie.h"

#include <string>

namespace harmo {

int CstE(Etat& e) {
    RR::SetPrecision(e.p0 + 200);
    e.l4 = nChiffresE - 1;
    const long k = e.l3 + 1;  // decimals wanted
    e.l3 = k > 0 ? 0 : k;
    if (k <= 0) {
        NTL::clear(e.cst);
        return 1;
    }
    // 0.d0 d1 ... d(k-1) = D / 10^k: one exact conversion and one correctly
    // rounded division. Positions past the stored decimals count as 0.
    const long stockes = k < nChiffresE ? k : nChiffresE;
    ZZ D = depuisDecimal(std::string(chiffresE, static_cast<std::size_t>(stockes)));
    ZZ puissance = NTL::power_ZZ(10, stockes);
    RR d, p;
    NTL::ConvPrec(d, D, std::max<long>(NTL::NumBits(D), 1));
    NTL::ConvPrec(p, puissance, NTL::NumBits(puissance));
    NTL::div(e.cst, d, p);
    return 1;
}

}  // namespace harmo
