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

// What a computation says of itself. The task has one clock from its
// first word to its end ("factorisation de P", "somme exacte"); its phase
// changes under it ("crible quadratique sur 74 chiffres", and shorter,
// "crible 74 chiffres", for a narrow line); the share done and the seconds
// left are given where they are known. Whoever shows it chooses what fits.
struct Avancement {
    std::string tache;
    std::string phase;
    std::string phaseCourte;  // empty: the phase itself
    std::string detail;       // "2 premiers trouves"
    double part = -1;         // in [0, 1], or < 0 when not known
    double restant = -1;      // seconds left as the computation estimates them, < 0 when not known
};

// Cheap when nobody listens; callable from any thread. At most five a
// second of one task and phase pass; a new phase always does.
void progres(const Avancement& a);
// "somme exacte" or "somme exacte : fraction irreductible" (task : phase),
// with the share done in [0, 1] (part < 0: not known).
void progres(const std::string& quoi, double part = -1);

// An Avancement as one line of text (no newline in it), and back: the form
// in which a child process hands it to its parent. False on a line that is
// not one.
std::string enLigne(const Avancement& a);
bool depuisLigne(const std::string& ligne, Avancement& a);
// The line of a child's Avancement, passed on to the sink as it is.
void relayerProgres(const std::string& ligne);

// The sink of progress (it receives enLigne's text), and the action to take
// before a long computation (flushing the dialogue's output); both installed
// by the shell.
using Puits = void (*)(const std::string& ligne);
void installerPuits(Puits puits);
using Action = void (*)();
void installerAvantCalculLong(Action action);
// Called before work that may take long: the text printed so far is flushed.
void avantCalculLong();

}  // namespace harmo
