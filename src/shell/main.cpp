// SPDX-License-Identifier: GPL-3.0-or-later
// harmoniques: exact and approximate work on harmonic and Kempner sums.
#include "commun/etat.h"
#include "commun/memoire.h"
#include "commun/processeur.h"
#include "commun/suivi.h"
#include "items/menu.h"
#include "shell/console.h"
#include "shell/options.h"
#include "shell/progres_terminal.h"
#include "shell/signaux.h"

#include <memory>

namespace {
harmo::ConsoleStandard* laConsole = nullptr;
void viderLaConsole() {
    if (laConsole) laConsole->vider();
}
}  // namespace

int main(int argc, char** argv) {
    const int option = harmo::traiterOptions(argc, argv);
    if (option >= 0) return option;
    harmo::jeuDInstructions();  // HARMONIQUES_ISA read once, at start
    harmo::economiserLEspaceDAdresses();
    harmo::ConsoleStandard console;
    laConsole = &console;
    harmo::installerSignaux();
    harmo::installerProgresTerminal();
    harmo::installerAvantCalculLong(viderLaConsole);
    auto etat = std::make_unique<harmo::Etat>(console);
    int statut = 1;
    harmo::demarrer(*etat);
    try {
        statut = harmo::menu(*etat);
    } catch (const harmo::FinDeLEntree&) {
        // No answer can come any more: end the line and stop.
        console << "\n";
        statut = 1;
    }
    console.vider();
    return statut;
}
