// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/signaux.h"

#include "commun/suivi.h"
#include "shell/progres_terminal.h"

#include <unistd.h>

#include <csignal>

namespace harmo {

namespace {

std::atomic<int> enAttente{0};
std::atomic<int> questionInterrompue{0};
bool entreeTerminal = false;

void finirCommeLeSysteme() {
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
}

extern "C" void surInterruption(int) {
    if (enAttente.load() && entreeTerminal) {
        // At a question on a terminal: the reader drops the line and asks again.
        questionInterrompue.store(1);
        return;
    }
    if (enAttente.load() || interruptionDemandee.load()) {
        finirCommeLeSysteme();
        return;
    }
    interruptionDemandee.store(1);
}

}  // namespace

void installerSignaux() {
    entreeTerminal = ::isatty(0) == 1;
    struct sigaction action {};
    action.sa_handler = surInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a wait in poll() wakes up at once
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // A file grown past its size limit is a closed output: the write fails
    // (EFBIG) and the console ends the program with status 1.
    std::signal(SIGXFSZ, SIG_IGN);
}

AttenteDeReponse::AttenteDeReponse() {
    // Marked first, then checked: a request that came while the prompt was
    // being written ends the program, as at the prompt itself, and one that
    // comes between the two is seen by the handler.
    finDeCalcul();
    enAttente.store(1);
    if (interruptionDemandee.load()) {
        if (!entreeTerminal) finirCommeLeSysteme();
        // On a terminal it stands for a Ctrl-C at this question.
        interruptionDemandee.store(0);
        questionInterrompue.store(1);
    }
}

AttenteDeReponse::~AttenteDeReponse() {
    enAttente.store(0);
    debutDeCalcul();
}

bool interruptionDeQuestion() { return questionInterrompue.exchange(0) != 0; }

void interruptionTraitee() { interruptionDemandee.store(0); }

}  // namespace harmo
