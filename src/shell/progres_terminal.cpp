// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/progres_terminal.h"

#include "commun/suivi.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
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

// Where the terminal's cursor stands, followed through what the dialogue
// writes: its column, and whether it waits at the last column for the next
// character to wrap. Unknown (sur = false) once the width has changed under a
// line that no longer fits, or that wrapped: terminals reflow it, or not,
// each in its own way.
struct Curseur {
    int largeur = 0;
    int colonne = 0;
    bool auBord = false;    // at the last column, the next character wraps
    bool enveloppe = false; // the line has wrapped
    bool sur = true;

    void debutDeLigne() { *this = Curseur{largeur}; }
    void nouvelleLargeur(int l) {
        if (l == largeur) return;
        if (enveloppe || auBord || colonne >= l) sur = false;
        largeur = l;
    }
    void ecrire(char c) {
        if (c == '\n') {
            debutDeLigne();
            return;
        }
        if (c == '\r') {
            colonne = 0;
            auBord = false;
            return;
        }
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) return;  // inside a UTF-8 character
        if (c == '\t') {  // to the next stop, never past the last column
            colonne = std::min((colonne / 8 + 1) * 8, largeur - 1);
            return;
        }
        if (auBord) {
            colonne = 0;
            auBord = false;
            enveloppe = true;
        }
        if (++colonne >= largeur) {
            colonne = largeur - 1;
            auBord = true;
        }
    }
};

int largeurDuTerminal() {
    winsize w{};
    return ::ioctl(2, TIOCGWINSZ, &w) == 0 && w.ws_col > 0 ? w.ws_col : 80;
}

// Never destroyed: the clock's thread may still look at it when the program ends.
struct Affichage {
    bool terminal = false;
    bool dialogueAuTerminal = false;  // standard output is a terminal too: its text is followed
    std::mutex verrou;
    std::condition_variable reveil;
    bool enCalcul = false;
    long long debut = 0, dernierDessin = 0;
    std::string texte;     // the last one received in this computation
    bool affiche = false;  // a progress text stands on the screen
    Curseur curseur;       // at the end of the dialogue

    // With the lock held. The text stands after the dialogue's last text,
    // on the same line, never to its last column (no wrap, no scroll); the
    // cursor goes back to the end of the dialogue, and what is below it
    // (the text drawn before, whatever the terminal made of it) is erased
    // first. When the column is not known for sure, nothing is drawn.
    void dessiner() {
        const long long t = maintenant();
        if (!terminal || !enCalcul || t - debut < 1000) return;
        std::string ligne = texte.empty() ? "calcul en cours" : texte;  // a step that says nothing
        if (ligne.find('%') == std::string::npos) ligne += ", " + duree(t - debut);
        curseur.nouvelleLargeur(largeurDuTerminal());
        const int place = curseur.largeur - curseur.colonne - 3;
        if (!curseur.sur || curseur.auBord || place < 8) {
            effacer();
            return;
        }
        if (static_cast<int>(ligne.size()) > place) ligne.resize(static_cast<std::size_t>(place));
        ecrire("\033[J  " + ligne + "\033[" + std::to_string(ligne.size() + 2) + "D");
        affiche = true;
        dernierDessin = t;
    }
    void effacer() {
        if (!affiche) return;
        ecrire("\033[J");
        affiche = false;
    }
};

Affichage& affichage() {
    static Affichage* a = new Affichage;
    return *a;
}

void recevoir(const std::string& texte) {
    Affichage& a = affichage();
    if (!a.terminal) return;
    std::lock_guard<std::mutex> garde(a.verrou);
    if (!a.enCalcul) return;
    a.texte = texte;
    if (maintenant() - a.dernierDessin >= 200) a.dessiner();
}

// Redraws every quarter of a second while a computation lasts: a text sent
// before the first second shows when it has passed, and the time runs on.
void horloge() {
    Affichage& a = affichage();
    std::unique_lock<std::mutex> verrou(a.verrou);
    for (;;) {
        a.reveil.wait_for(verrou, std::chrono::milliseconds(250));
        if (a.enCalcul) a.dessiner();
    }
}

}  // namespace

std::string duree(long long ms) {
    const long long s = ms / 1000;
    if (s < 60) return std::to_string(s) + " s";
    const long long sec = s % 60;
    return std::to_string(s / 60) + " min " + (sec < 10 ? "0" : "") + std::to_string(sec) + " s";
}

void installerProgresTerminal() {
    Affichage& a = affichage();
    a.terminal = ::isatty(2) == 1;
    a.dialogueAuTerminal = ::isatty(1) == 1;
    a.curseur.largeur = largeurDuTerminal();
    installerPuits(recevoir);
    if (!a.terminal) return;
    try {
        std::thread(horloge).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the texts still show as they come.
    }
}

void debutDeCalcul() {
    Affichage& a = affichage();
    std::lock_guard<std::mutex> garde(a.verrou);
    a.enCalcul = true;
    a.debut = maintenant();
    a.texte.clear();
    // Without the dialogue on the terminal, the answer's echo ended a line.
    if (!a.dialogueAuTerminal) a.curseur.debutDeLigne();
}

void curseurEnDebutDeLigne() {
    Affichage& a = affichage();
    std::lock_guard<std::mutex> garde(a.verrou);
    a.curseur.debutDeLigne();
}

void finDeCalcul() {
    Affichage& a = affichage();
    std::lock_guard<std::mutex> garde(a.verrou);
    a.effacer();
    a.enCalcul = false;
    a.texte.clear();
}

PauseDuProgres::PauseDuProgres() {
    Affichage& a = affichage();
    a.verrou.lock();
    a.effacer();
}

PauseDuProgres::~PauseDuProgres() { affichage().verrou.unlock(); }

void PauseDuProgres::ecrit(std::string_view texte) {
    Affichage& a = affichage();
    if (!a.terminal) return;
    a.curseur.nouvelleLargeur(largeurDuTerminal());
    for (char c : texte) a.curseur.ecrire(c);
}

}  // namespace harmo
