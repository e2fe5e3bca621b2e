// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/suivi.h"

#include <chrono>
#include <cmath>
#include <mutex>

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

void progres(const std::string& quoi, double part) {
    Puits puits = puitsInstalle.load();
    if (!puits) return;
    // At most five updates a second of one thing; a new one always passes.
    const auto maintenant = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> garde(verrou);
    if (quoi == dernierQuoi && maintenant - dernier < std::chrono::milliseconds(200)) return;
    dernier = maintenant;
    dernierQuoi = quoi;
    if (part >= 0) {
        const int pourcent = static_cast<int>(std::floor(std::min(part, 1.0) * 100));
        puits(quoi + " : " + std::to_string(pourcent) + " %");
    } else {
        puits(quoi);
    }
}

}  // namespace harmo
