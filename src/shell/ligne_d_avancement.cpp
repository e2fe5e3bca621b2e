// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ligne_d_avancement.h"

#include <cmath>
#include <vector>

namespace harmo {

std::string duree(long long ms) {
    const long long s = std::max(0LL, ms) / 1000;
    if (s < 60) return std::to_string(s) + " s";
    if (s < 3600) {
        const long long sec = s % 60;
        return std::to_string(s / 60) + " min " + (sec < 10 ? "0" : "") + std::to_string(sec) + " s";
    }
    const long long min = s / 60 % 60;
    return std::to_string(s / 3600) + " h " + (min < 10 ? "0" : "") + std::to_string(min) + " min";
}

std::string dureeRestante(double secondes) {
    if (secondes < 55) return std::to_string(std::max(5L, std::lround(secondes / 5) * 5)) + " s";
    const long minutes = std::max(1L, std::lround(secondes / 60));
    if (minutes < 60) return std::to_string(minutes) + " min";
    const long m = minutes % 60;
    return std::to_string(minutes / 60) + " h " + (m < 10 ? "0" : "") + std::to_string(m) + " min";
}

double resteAuRythme(double part, double secondesDeLaPhase) {
    if (part < 0.02 || part >= 1 || secondesDeLaPhase < 3) return -1;
    return secondesDeLaPhase * (1 - part) / part;
}

std::string ligneDAvancement(const Avancement& a, long long ecouleMs, double restant, int place) {
    // The figures by rank, each with its place in the line's order (share,
    // time spent, time left).
    struct Chiffre {
        std::string texte;
        int ordre;
    };
    std::vector<Chiffre> chiffres;
    if (a.part >= 0) chiffres.push_back({std::to_string(static_cast<int>(std::floor(a.part * 100))) + " %", 0});
    if (restant >= 0) chiffres.push_back({"encore " + dureeRestante(restant), 2});
    chiffres.push_back({duree(ecouleMs), 1});

    // The wordings, longest first.
    const std::string& courte = a.phaseCourte.empty() ? a.phase : a.phaseCourte;
    const std::string avecDetail = a.detail.empty() ? "" : ", " + a.detail;
    std::vector<std::string> mots;
    if (a.phase.empty()) {
        mots = {a.tache + avecDetail, a.tache};
    } else {
        mots = {a.tache + " : " + a.phase + avecDetail, a.tache + " : " + a.phase, a.phase + avecDetail, a.phase,
                courte + avecDetail, courte};
    }
    mots.push_back("");

    for (std::size_t n = chiffres.size(); n > 0; --n) {
        std::string figures;
        for (int ordre = 0; ordre < 3; ++ordre)
            for (std::size_t i = 0; i < n; ++i)
                if (chiffres[i].ordre == ordre) figures += (figures.empty() ? "" : ", ") + chiffres[i].texte;
        for (const std::string& m : mots) {
            std::string ligne;
            if (m.empty())
                ligne = figures;
            else
                ligne = m + (m.find(" : ") != std::string::npos ? ", " : " : ") + figures;
            if (static_cast<int>(ligne.size()) <= place) return ligne;
        }
    }
    return "";
}

}  // namespace harmo
