// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/progres_terminal.h"

#include "commun/suivi.h"

#include <sys/ioctl.h>
#include <unistd.h>

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

// Never destroyed: the clock's thread may still look at it when the program ends.
struct Affichage {
    bool terminal = false;
    std::mutex verrou;
    std::condition_variable reveil;
    bool enCalcul = false;
    long long debut = 0, dernierDessin = 0;
    std::string texte;     // the last one received in this computation
    bool affiche = false;  // a progress text stands on the screen
    int colonne = 0;       // of the cursor, on the dialogue's line

    // With the lock held.
    void dessiner() {
        const long long t = maintenant();
        if (!terminal || !enCalcul || texte.empty() || t - debut < 1000) return;
        std::string ligne = texte;
        if (ligne.find('%') == std::string::npos) ligne += ", " + duree(t - debut);
        winsize w{};
        const int largeur = ::ioctl(2, TIOCGWINSZ, &w) == 0 && w.ws_col > 0 ? w.ws_col : 80;
        const int place = largeur - colonne - 3;  // never to the last column: no wrap, no scroll
        if (place < 8) return;
        if (static_cast<int>(ligne.size()) > place) ligne.resize(static_cast<std::size_t>(place));
        // Saved cursor, the text, the rest of the line cleared, cursor back.
        ecrire("\0337  " + ligne + "\033[K\0338");
        affiche = true;
        dernierDessin = t;
    }
    void effacer() {
        if (!affiche) return;
        ecrire("\033[K");
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
        if (a.enCalcul && !a.texte.empty()) a.dessiner();
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
    a.colonne = 0;
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
    for (char c : texte) {
        if (c == '\n' || c == '\r')
            a.colonne = 0;
        else if (c == '\t')
            a.colonne = (a.colonne / 8 + 1) * 8;
        else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++a.colonne;
    }
}

}  // namespace harmo
