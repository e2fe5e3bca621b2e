// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/processeur.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace harmo {

JeuDInstructions jeuDuProcesseur() {
#if defined(__x86_64__) && defined(__GNUC__)
    static const JeuDInstructions jeu = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
            return JeuDInstructions::avx512;
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return JeuDInstructions::avx2;
        return JeuDInstructions::generique;
    }();
    return jeu;
#else
    return JeuDInstructions::generique;
#endif
}

namespace {

// The set read from a value of HARMONIQUES_ISA; none when unknown.
std::optional<JeuDInstructions> jeuNomme(const std::string& nom) {
    for (const JeuDInstructions j : {JeuDInstructions::generique, JeuDInstructions::avx2, JeuDInstructions::avx512})
        if (nom == nomDuJeu(j)) return j;
    return std::nullopt;
}

}  // namespace

JeuDInstructions jeuDInstructions() {
    static const JeuDInstructions jeu = [] {
        const JeuDInstructions processeur = jeuDuProcesseur();
        const char* v = std::getenv("HARMONIQUES_ISA");
        if (v == nullptr || *v == '\0') return processeur;
        const std::optional<JeuDInstructions> demande = jeuNomme(v);
        if (!demande) {
            std::fprintf(stderr, "harmoniques : HARMONIQUES_ISA=%s inconnu (avx512, avx2 ou generic), ignore\n", v);
            return processeur;
        }
        return std::min(processeur, *demande);
    }();
    return jeu;
}

const char* nomDuJeu(JeuDInstructions jeu) {
    switch (jeu) {
        case JeuDInstructions::avx512: return "avx512";
        case JeuDInstructions::avx2: return "avx2";
        default: return "generic";
    }
}

}  // namespace harmo
