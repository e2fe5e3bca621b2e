// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/suivi.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace harmo {

std::atomic<int> interruptionDemandee{0};

namespace {
std::atomic<Puits> puitsInstalle{nullptr};
std::atomic<Action> actionAvant{nullptr};
std::mutex verrou;
std::chrono::steady_clock::time_point dernier;
std::string dernierQuoi;
}  // namespace

void installerPuits(Puits puits) { puitsInstalle.store(puits); }
void installerAvantCalculLong(Action action) { actionAvant.store(action); }

void avantCalculLong() {
    if (Action a = actionAvant.load()) a();
}

namespace {

constexpr char separateur = '\x1f';  // ASCII's unit separator: never in a text of the program

std::string nombre(double x) {
    char t[32];
    std::snprintf(t, sizeof t, "%.6g", x);
    return t;
}

}  // namespace

std::string enLigne(const Avancement& a) {
    std::string l;
    for (const std::string* champ : {&a.tache, &a.phase, &a.phaseCourte, &a.detail}) {
        for (char c : *champ) l.push_back(c == '\n' || c == separateur ? ' ' : c);
        l.push_back(separateur);
    }
    return l + nombre(a.part) + separateur + nombre(a.restant);
}

bool depuisLigne(const std::string& ligne, Avancement& a) {
    std::vector<std::string> champs(1);
    for (char c : ligne) {
        if (c == separateur)
            champs.emplace_back();
        else
            champs.back().push_back(c);
    }
    if (champs.size() != 6) return false;
    char* fin = nullptr;
    const double part = std::strtod(champs[4].c_str(), &fin);
    if (fin == champs[4].c_str() || *fin != '\0') return false;
    const double restant = std::strtod(champs[5].c_str(), &fin);
    if (fin == champs[5].c_str() || *fin != '\0') return false;
    a.tache = std::move(champs[0]);
    a.phase = std::move(champs[1]);
    a.phaseCourte = std::move(champs[2]);
    a.detail = std::move(champs[3]);
    a.part = std::isfinite(part) ? std::min(part, 1.0) : -1;
    a.restant = std::isfinite(restant) ? restant : -1;
    return true;
}

namespace {

// At most five updates a second of one task and phase; a new one always
// passes, its line made then (ligne, when the line comes already made).
// The sink is called under the lock: one at a time, so that the frames of
// two threads never mix in a child's pipe.
void transmettre(Puits puits, const Avancement& a, const std::string* ligne) {
    const std::string cle = a.tache + separateur + a.phase;
    const auto maintenant = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> garde(verrou);
    if (cle == dernierQuoi && maintenant - dernier < std::chrono::milliseconds(200)) return;
    dernier = maintenant;
    dernierQuoi = cle;
    puits(ligne ? *ligne : enLigne(a));
}

}  // namespace

void progres(const Avancement& a) {
    Puits puits = puitsInstalle.load();
    if (!puits) return;
    transmettre(puits, a, nullptr);
}

void progres(const std::string& quoi, double part) {
    if (!puitsInstalle.load()) return;
    Avancement a;
    const std::size_t deuxPoints = quoi.find(" : ");
    a.tache = quoi.substr(0, deuxPoints);
    if (deuxPoints != std::string::npos) a.phase = quoi.substr(deuxPoints + 3);
    a.part = part;
    progres(a);
}

void relayerProgres(const std::string& ligne) {
    Puits puits = puitsInstalle.load();
    if (!puits) return;
    Avancement a;
    if (!depuisLigne(ligne, a)) return;
    transmettre(puits, a, &ligne);
}

}  // namespace harmo
