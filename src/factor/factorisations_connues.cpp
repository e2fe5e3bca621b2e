// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/factorisations_connues.h"

#include "commun/cache.h"
#include "commun/decimal.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace harmo {

namespace {

const char* const entete = "harmoniques factorisation 1";
constexpr std::size_t tailleMaximale = 1 << 20;  // far above any text of a number the program factors

}  // namespace

std::string texteDeLaFactorisation(const NTL::ZZ& n, const std::vector<FacteurPremier>& premiers) {
    std::string t = std::string(entete) + "\n" + enDecimal(n) + "\n";
    for (const FacteurPremier& f : premiers) t += enDecimal(f.p) + " " + std::to_string(f.e) + "\n";
    return t;
}

std::optional<std::vector<FacteurPremier>> lireLaFactorisation(const NTL::ZZ& n, const std::string& texte) {
    std::istringstream lignes(texte);
    std::string ligne;
    if (!std::getline(lignes, ligne) || ligne != entete) return std::nullopt;
    if (!std::getline(lignes, ligne) || ligne != enDecimal(n)) return std::nullopt;
    std::vector<FacteurPremier> premiers;
    NTL::ZZ produit(1);
    while (std::getline(lignes, ligne)) {
        const std::size_t blanc = ligne.find(' ');
        if (blanc == std::string::npos || blanc == 0 || blanc + 1 >= ligne.size()) return std::nullopt;
        const std::string p = ligne.substr(0, blanc), e = ligne.substr(blanc + 1);
        if (p.size() > 20000 || e.size() > 6 || p.find_first_not_of("0123456789") != std::string::npos ||
            e.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        FacteurPremier f;
        f.p = NTL::conv<NTL::ZZ>(p.c_str());
        f.e = std::stol(e);
        if (f.p < 2 || f.e < 1 || (!premiers.empty() && f.p <= premiers.back().p)) return std::nullopt;
        produit *= NTL::power(f.p, f.e);
        if (produit > n) return std::nullopt;
        premiers.push_back(std::move(f));
    }
    if (produit != n) return std::nullopt;
    return premiers;
}

std::optional<std::vector<FacteurPremier>> factorisationConnue(const NTL::ZZ& n) {
    if (nombreDeChiffres(n) <= chiffresRetenus) return std::nullopt;
    const std::string dossier = dossierDuCache("factorisations");
    const std::optional<std::string> texte = lireDansLeCache(dossier, nomDuNombre(enDecimal(n)), tailleMaximale);
    if (!texte) return std::nullopt;
    std::optional<std::vector<FacteurPremier>> premiers = lireLaFactorisation(n, *texte);
    if (!premiers) return std::nullopt;
    for (const FacteurPremier& f : *premiers)
        if (!premierProuve(f.p)) return std::nullopt;
    return premiers;
}

void retenirLaFactorisation(const NTL::ZZ& n, const std::vector<FacteurPremier>& premiers) {
    if (nombreDeChiffres(n) <= chiffresRetenus) return;
    std::vector<FacteurPremier> tries = premiers;
    std::sort(tries.begin(), tries.end(), [](const FacteurPremier& a, const FacteurPremier& b) { return a.p < b.p; });
    const std::string dossier = dossierDuCache("factorisations");
    if (ecrireDansLeCache(dossier, nomDuNombre(enDecimal(n)), texteDeLaFactorisation(n, tries)))
        bornerLeCache(dossier, tailleDesFactorisationsRetenues);
}

}  // namespace harmo
