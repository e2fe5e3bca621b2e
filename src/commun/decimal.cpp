#include "commun/decimal.h"

#include "commun/pont_gmp.h"

namespace harmo {

std::string enDecimal(const NTL::ZZ& v) {
    if (NTL::IsZero(v)) return "0";
    VueMpz vue(v);
    std::string texte(mpz_sizeinbase(vue, 10) + 2, '\0');
    mpz_get_str(texte.data(), 10, vue);
    texte.resize(std::char_traits<char>::length(texte.c_str()));
    return texte;
}

NTL::ZZ depuisDecimal(const std::string& chiffres) {
    mpz_t v;
    mpz_init(v);
    mpz_set_str(v, chiffres.c_str(), 10);
    NTL::ZZ r;
    versZZ(r, v);
    mpz_clear(v);
    return r;
}

long nombreDeChiffres(const NTL::ZZ& v) {
    if (NTL::IsZero(v)) return 0;
    if (NTL::NumBits(v) < 60) {
        unsigned long x = NTL::conv<unsigned long>(NTL::abs(v));
        long n = 0;
        while (x) {
            x /= 10;
            ++n;
        }
        return n;
    }
    VueMpz vue(v);
    long n = static_cast<long>(mpz_sizeinbase(vue, 10));  // exact or one too many
    NTL::ZZ borne;
    NTL::power(borne, 10, n - 1);
    return NTL::abs(v) < borne ? n - 1 : n;
}

}  // namespace harmo
