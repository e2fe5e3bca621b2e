// SPDX-License-Identifier: GPL-3.0-or-later
// What long computations tell the outside while they run: whether they must
// stop (an interrupt request), and how far they are (progress).
//
// Both are process-wide. The flag is raised by the interrupt handler (see
// shell/signaux.h) and read by verifierInterruption() at the computations'
// check points, which then throw CalculInterrompu; the stack unwinds to the
// menu, dropping the partial results. Progress goes to a sink that the shell
// installs (the terminal line, or the pipe of a child process).
#pragma once

#include <atomic>
#include <string>

namespace harmo {

struct CalculInterrompu {};

// Set by the interrupt handler, cleared when the menu has taken it.
extern std::atomic<int> interruptionDemandee;

inline void verifierInterruption() {
    if (interruptionDemandee.load(std::memory_order_relaxed)) throw CalculInterrompu{};
}

// "somme exacte : 37 %" (part in [0, 1]) or "factorisation de P : cofacteur
// de 74 chiffres" (part < 0). Cheap when nobody listens; callable from any
// thread.
void progres(const std::string& quoi, double part = -1);

// The sink of progress, and the action to take before a long computation
// (flushing the dialogue's output); both installed by the shell.
using Puits = void (*)(const std::string& texte);
void installerPuits(Puits puits);
using Action = void (*)();
void installerAvantCalculLong(Action action);
// Called before work that may take long: the text printed so far is flushed.
void avantCalculLong();

}  // namespace harmo
