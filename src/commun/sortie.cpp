#include "commun/sortie.h"

#include "commun/pont_gmp.h"

#include <sstream>

namespace harmo {

std::string enDecimal(const NTL::ZZ& v) {
    if (NTL::IsZero(v)) return "0";
    VueMpz vue(v);
    std::string texte(mpz_sizeinbase(vue, 10) + 2, '\0');
    mpz_get_str(texte.data(), 10, vue);
    texte.resize(std::char_traits<char>::length(texte.c_str()));
    return texte;
}

std::string enTexte(const NTL::RR& v) {
    std::ostringstream os;
    os << v;
    return os.str();
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

}  // namespace harmo
