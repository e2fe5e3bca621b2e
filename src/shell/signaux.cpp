// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/signaux.h"

#include "commun/suivi.h"
#include "shell/progres_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

namespace harmo {

namespace {

// The state. Written by the main thread, read by the handlers.
std::atomic<int> enAttente{0};        // at a question
std::atomic<int> editee{0};           // the editor holds the terminal
std::atomic<int> questionInterrompue{0};
std::atomic<int> suspensionDemandee{0};
std::atomic<int> redimensionnee{0};
bool entreeTty = false;
termios modesDeDepart{};  // of standard input, when it is a terminal
termios modesDeCalcul{};  // the same without echo
int tube[2] = {-1, -1};   // the handlers' wake-up

void reveiller() {
    const int e = errno;  // a handler keeps errno as it was
    if (tube[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(tube[1], &c, 1);  // a full pipe is awake enough
    }
    errno = e;
}

void modesDuCalcul() {
    if (entreeTty) ::tcsetattr(0, TCSANOW, &modesDeCalcul);
}

// The default action of sig, now, after the terminal is given back: the end
// of the program, or its suspension (then the return, at SIGCONT).
void actionParDefaut(int sig) {
    restaurerTerminal();
    std::signal(sig, SIG_DFL);
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, sig);
    ::sigprocmask(SIG_UNBLOCK, &s, nullptr);
    ::raise(sig);
}

// Keys typed ahead during a computation, taken from the terminal before a
// stop (the shell would read them as its own) and given to the next question.
char touchesGardees[4096];
std::atomic<int> nombreGardees{0};

extern "C" void surInterruption(int) {
    if (enAttente.load() && entreeTty) {
        // At a question on a terminal: the reader drops the line and asks again.
        questionInterrompue.store(1);
        reveiller();
        return;
    }
    if (enAttente.load() || interruptionDemandee.load()) {
        actionParDefaut(SIGINT);
        return;
    }
    if (entreeTty) ::tcflush(0, TCIFLUSH);  // what the terminal did before NOFLSH: the keys typed ahead go,
    nombreGardees.store(0);                 // those a stop kept with them
    interruptionDemandee.store(1);
}

extern "C" void surFin(int sig) {
    effacerLeProgres();
    actionParDefaut(sig);
}

void installer(int sig, void (*gestionnaire)(int)) {
    struct sigaction action {};
    action.sa_handler = gestionnaire;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a wait wakes up at once
    ::sigaction(sig, &action, nullptr);
}

extern "C" void surSuspension(int);


// In a handler: what the terminal holds, partial line included.
void garderLesTouchesTapees() {
    if (!entreeTty) return;
    termios sansAttente = modesDeCalcul;
    sansAttente.c_lflag &= static_cast<tcflag_t>(~ICANON);
    sansAttente.c_cc[VMIN] = 0;
    sansAttente.c_cc[VTIME] = 0;
    if (::tcsetattr(0, TCSANOW, &sansAttente) != 0) return;
    int n = nombreGardees.load();
    while (n < static_cast<int>(sizeof touchesGardees)) {
        const ssize_t lus = ::read(0, touchesGardees + n, sizeof touchesGardees - static_cast<std::size_t>(n));
        if (lus <= 0) break;
        n += static_cast<int>(lus);
    }
    nombreGardees.store(n);
}

// Stops the process now: the terminal given back, the default action, and
// on return (SIGCONT) the handler and the modes of the current phase again.
void suspendreMaintenant() {
    const int e = errno;
    const bool enCalcul = !enAttente.load();
    if (enCalcul) {
        effacerLeProgres();
        garderLesTouchesTapees();
    }
    actionParDefaut(SIGTSTP);  // stopped here until SIGCONT (ignored in an orphaned process group)
    installer(SIGTSTP, surSuspension);
    if (enCalcul) {
        modesDuCalcul();
        apresUneSuspension();
    }
    errno = e;
}

extern "C" void surSuspension(int) {
    if (enAttente.load() && editee.load()) {
        // The editor gives its terminal back and redraws itself.
        suspensionDemandee.store(1);
        reveiller();
        return;
    }
    suspendreMaintenant();
}

extern "C" void surRedimension(int) {
    redimensionnee.store(1);
    reveiller();
}

}  // namespace

void installerSignaux() {
    entreeTty = ::isatty(0) == 1 && ::tcgetattr(0, &modesDeDepart) == 0;
    if (entreeTty) {
        modesDeCalcul = modesDeDepart;
        modesDeCalcul.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOCTL));
        // Ctrl-Z keeps the keys typed ahead (the stop takes them, see
        // garderLesTouchesTapees); Ctrl-C still drops them (surInterruption).
        modesDeCalcul.c_lflag |= NOFLSH;
    }
    if (tube[0] < 0 && ::pipe2(tube, O_CLOEXEC | O_NONBLOCK) != 0) tube[0] = tube[1] = -1;
    installer(SIGINT, surInterruption);
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT, SIGABRT}) installer(sig, surFin);
    installer(SIGTSTP, surSuspension);
    installer(SIGWINCH, surRedimension);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    std::atexit(restaurerTerminal);
    modesDuCalcul();
}

void restaurerTerminal() {
    if (entreeTty) ::tcsetattr(0, TCSANOW, &modesDeDepart);
}

AttenteDeReponse::AttenteDeReponse() {
    // Marked first, then checked: a request that came while the prompt was
    // being written ends the program, as at the prompt itself, and one that
    // comes between the two is seen by the handler.
    finDeCalcul();
    restaurerTerminal();
    enAttente.store(1);
    if (interruptionDemandee.load()) {
        if (!entreeTty) actionParDefaut(SIGINT);
        // On a terminal it stands for a Ctrl-C at this question.
        interruptionDemandee.store(0);
        questionInterrompue.store(1);
        reveiller();
    }
}

AttenteDeReponse::~AttenteDeReponse() {
    enAttente.store(0);
    modesDuCalcul();
    debutDeCalcul();
}

QuestionEditee::QuestionEditee() { editee.store(1); }

QuestionEditee::~QuestionEditee() { editee.store(0); }

bool interruptionDeQuestion() { return questionInterrompue.exchange(0) != 0; }

void interruptionTraitee() { interruptionDemandee.store(0); }

int descripteurDesSignaux() { return tube[0]; }

Evenements evenements() {
    char vide[64];
    while (tube[0] >= 0 && ::read(tube[0], vide, sizeof vide) > 0) {
    }
    Evenements e;
    e.interruption = interruptionDeQuestion();
    e.suspension = suspensionDemandee.exchange(0) != 0;
    e.redimension = redimensionnee.exchange(0) != 0;
    return e;
}

bool redimensionPrise() { return redimensionnee.exchange(0) != 0; }

std::string touchesTapeesAvant() {
    const int n = nombreGardees.load();
    std::string t(touchesGardees, static_cast<std::size_t>(n));
    nombreGardees.store(0);
    return t;
}

void suspendre() { suspendreMaintenant(); }

}  // namespace harmo
