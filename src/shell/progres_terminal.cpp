// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/progres_terminal.h"

#include "commun/suivi.h"
#include "shell/curseur.h"
#include "shell/ligne_d_avancement.h"

#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <ctime>
#include <mutex>
#include <thread>

namespace harmo {

namespace {

long long maintenant() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ecrire(const std::string& t) {
    const char* p = t.data();
    std::size_t reste = t.size();
    while (reste > 0) {
        ssize_t n = ::write(2, p, reste);
        if (n <= 0) return;  // standard error gone: no progress, nothing else
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
}

int largeurDuTerminal() {
    winsize w{};
    return ::ioctl(2, TIOCGWINSZ, &w) == 0 && w.ws_col > 0 ? w.ws_col : 80;
}

// Read by the signal handlers: a progress text stands on the screen; the
// program has come back from a suspension.
std::atomic<int> texteALEcran{0};
std::atomic<int> reprise{0};
// A handler about to stop or end the program has the screen: nothing is
// drawn from then on, and it waits for a drawing under way to be written.
std::atomic<int> suspendu{0};
std::atomic<int> dessinEnCours{0};
bool horlogeEnMarche = false;

// A progress text out, unless a handler has the screen.
bool ecrireHorsSuspension(const std::string& t) {
    dessinEnCours.store(1);
    const bool libre = !suspendu.load();
    if (libre) {
        ecrire(t);
        texteALEcran.store(1);  // before the drawing ends: a handler waiting on it erases the text
    }
    dessinEnCours.store(0);
    return libre;
}

// Never destroyed: the clock's thread may still look at it when the program ends.
struct Affichage {
    bool terminal = false;
    bool dialogueAuTerminal = false;  // standard output is a terminal too: its text is followed
    std::mutex verrou;
    std::condition_variable reveil;
    bool enCalcul = false;
    long long debut = 0, dernierDessin = 0;
    long long debutTache = 0, debutPhase = 0;
    Avancement avancement;  // the last one received in this computation
    bool recu = false;
    bool affiche = false;    // a progress text stands on the screen
    Curseur curseur;         // at the end of the dialogue
    std::string derniereLigne;  // the dialogue's text since its last newline

    // With the lock held. The text stands after the dialogue's last text,
    // on the same line, never to its last column (no wrap, no scroll), or on
    // the line below when the figures have no room after the dialogue; the
    // cursor goes back to the end of the dialogue, and what is below it (the
    // text drawn before, whatever the terminal made of it) is erased first.
    // When the column is not known for sure, nothing is drawn.
    void dessiner() {
        const long long t = maintenant();
        if (!terminal || !enCalcul || t - debut < 1000) return;
        Avancement a = avancement;
        if (!recu) a.tache = "calcul en cours";  // a step that says nothing
        const double restant = a.restant >= 0 ? a.restant : resteAuRythme(a.part, (t - debutPhase) / 1000.0);
        curseur.nouvelleLargeur(largeurDuTerminal());
        if (!curseur.sur || curseur.auBord) {
            effacer();
            return;
        }
        const int apresLeDialogue = curseur.largeur - curseur.colonne - 3;
        Avancement figures;
        figures.part = a.part;
        const int chiffresSeuls = static_cast<int>(ligneDAvancement(figures, t - debutTache, restant, 1 << 20).size());
        const bool dessous = curseur.colonne > 0 && chiffresSeuls > apresLeDialogue;
        const std::string ligne =
            ligneDAvancement(a, t - debutTache, restant, dessous ? curseur.largeur - 3 : apresLeDialogue);
        if (ligne.empty()) {
            effacer();
            return;
        }
        const std::string texte = dessous ? "\033[J\n  " + ligne + "\033[A\r\033[" + std::to_string(curseur.colonne) + "C"
                                          : "\033[J  " + ligne + "\033[" + std::to_string(ligne.size() + 2) + "D";
        if (!ecrireHorsSuspension(texte)) return;
        affiche = true;
        dernierDessin = t;
    }
    void effacer() {
        if (!affiche) return;
        ecrire("\033[J");
        affiche = false;
        texteALEcran.store(0);
    }
    // Back from a suspension: the shell has written its lines, the cursor
    // stands at the start of one; the dialogue's line is written again so
    // that what follows comes after its text.
    void reprendre() {
        if (!dialogueAuTerminal || !enCalcul) return;
        affiche = false;
        texteALEcran.store(0);
        ecrire("\r\033[J" + derniereLigne);
        curseur.nouvelleLargeur(largeurDuTerminal());
        curseur.debutDeLigne();
        for (char c : derniereLigne) curseur.ecrire(c);
    }
};

Affichage& affichage() {
    static Affichage* a = new Affichage;
    return *a;
}

void recevoir(const std::string& ligne) {
    Affichage& a = affichage();
    if (!a.terminal) return;
    Avancement recu;
    if (!depuisLigne(ligne, recu)) return;
    std::lock_guard<std::mutex> garde(a.verrou);
    if (!a.enCalcul) return;
    const long long t = maintenant();
    // One clock per task, from the start of the computation for the first;
    // the pace of a phase from its own start.
    if (a.recu && recu.tache != a.avancement.tache) a.debutTache = a.debutPhase = t;
    if (!a.recu || recu.phase != a.avancement.phase) a.debutPhase = t;
    a.avancement = std::move(recu);
    a.recu = true;
    // The clock draws, in a thread that no handler interrupts; without it, here.
    if (!horlogeEnMarche && t - a.dernierDessin >= 200) a.dessiner();
}

// Redraws every quarter of a second while a computation lasts: a text sent
// before the first second shows when it has passed, and the time runs on.
void horloge() {
    Affichage& a = affichage();
    std::unique_lock<std::mutex> verrou(a.verrou);
    for (;;) {
        a.reveil.wait_for(verrou, std::chrono::milliseconds(250));
        if (reprise.exchange(0)) a.reprendre();
        if (a.enCalcul) a.dessiner();
    }
}

}  // namespace

void installerProgresTerminal() {
    Affichage& a = affichage();
    a.terminal = ::isatty(2) == 1;
    a.dialogueAuTerminal = ::isatty(1) == 1;
    a.curseur.largeur = largeurDuTerminal();
    installerPuits(recevoir);
    if (!a.terminal) return;
    // The clock's thread takes no signal: a handler never runs in the middle
    // of its drawing.
    sigset_t tous, avant;
    sigfillset(&tous);
    ::pthread_sigmask(SIG_SETMASK, &tous, &avant);
    try {
        std::thread(horloge).detach();
        horlogeEnMarche = true;
    } catch (...) {
        // No thread to be had: the texts still show as they come.
    }
    ::pthread_sigmask(SIG_SETMASK, &avant, nullptr);
}

void debutDeCalcul() {
    Affichage& a = affichage();
    std::lock_guard<std::mutex> garde(a.verrou);
    a.enCalcul = true;
    a.debut = a.debutTache = a.debutPhase = maintenant();
    a.avancement = Avancement{};
    a.recu = false;
    // Without the dialogue on the terminal, the answer's echo ended a line.
    if (!a.dialogueAuTerminal) a.curseur.debutDeLigne();
}

void curseurEnDebutDeLigne() {
    Affichage& a = affichage();
    std::lock_guard<std::mutex> garde(a.verrou);
    a.curseur.debutDeLigne();
    a.derniereLigne.clear();
}

void finDeCalcul() {
    Affichage& a = affichage();
    std::lock_guard<std::mutex> garde(a.verrou);
    a.effacer();
    a.enCalcul = false;
    a.recu = false;
}

PauseDuProgres::PauseDuProgres() {
    Affichage& a = affichage();
    a.verrou.lock();
    a.effacer();
}

PauseDuProgres::~PauseDuProgres() { affichage().verrou.unlock(); }

void PauseDuProgres::ecrit(std::string_view texte, const std::string& derniereLigne) {
    Affichage& a = affichage();
    if (!a.terminal) return;
    a.curseur.nouvelleLargeur(largeurDuTerminal());
    for (char c : texte) a.curseur.ecrire(c);
    a.derniereLigne = derniereLigne;
}

void effacerLeProgres() {
    suspendu.store(1);
    const timespec milli{0, 1000000};
    for (int i = 0; i < 200 && dessinEnCours.load(); ++i) ::nanosleep(&milli, nullptr);
    if (texteALEcran.load()) {
        [[maybe_unused]] const ssize_t n = ::write(2, "\033[J", 3);
    }
}

void apresUneSuspension() {
    suspendu.store(0);
    reprise.store(1);
}

}  // namespace harmo
