// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/decimal.h"

#include "commun/coeurs.h"
#include "commun/pont_gmp.h"

#include <algorithm>
#include <atomic>
#include <future>

namespace harmo {

std::string enDecimal(const NTL::ZZ& v) {
    if (NTL::IsZero(v)) return "0";
    VueMpz vue(v);
    std::string texte(mpz_sizeinbase(vue, 10) + 2, '\0');
    mpz_get_str(texte.data(), 10, vue);
    texte.resize(std::char_traits<char>::length(texte.c_str()));
    return texte;
}

std::vector<std::string> enDecimal(const std::vector<const NTL::ZZ*>& v) {
    std::vector<std::string> textes(v.size());
    long bits = 0;
    for (const NTL::ZZ* z : v) bits += NTL::NumBits(*z);
    if (bits < (1L << 20) || nombreDeCoeurs() < 2) {
        for (std::size_t k = 0; k < v.size(); ++k) textes[k] = enDecimal(*v[k]);
        return textes;
    }
    // The largest first, each to the thread that is free first.
    std::vector<std::size_t> ordre(v.size());
    for (std::size_t k = 0; k < v.size(); ++k) ordre[k] = k;
    std::sort(ordre.begin(), ordre.end(), [&](std::size_t a, std::size_t b) { return NTL::NumBits(*v[a]) > NTL::NumBits(*v[b]); });
    std::atomic<std::size_t> suivant{0};
    auto travail = [&] {
        for (std::size_t k; (k = suivant++) < ordre.size();) textes[ordre[k]] = enDecimal(*v[ordre[k]]);
    };
    std::vector<std::future<void>> autres;
    for (unsigned c = 1; c < nombreDeCoeurs(); ++c) autres.push_back(enParallele(travail));
    travail();
    for (auto& a : autres) a.get();
    return textes;
}

NTL::ZZ depuisDecimal(const std::string& chiffres) {
    Mpz v;
    mpz_set_str(v, chiffres.c_str(), 10);
    NTL::ZZ r;
    versZZ(r, v);
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
