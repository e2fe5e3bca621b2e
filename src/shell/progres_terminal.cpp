#include "shell/progres_terminal.h"

#include "commun/suivi.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>

namespace harmo {

namespace {

using Horloge = std::chrono::steady_clock;

bool terminal = false;
std::mutex verrou;
bool ligneAffichee = false;
std::atomic<long long> debut{0};

long long maintenant() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Horloge::now().time_since_epoch()).count();
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

void afficher(const std::string& texte) {
    if (!terminal || maintenant() - debut.load() < 1000) return;
    std::lock_guard<std::mutex> garde(verrou);
    ecrire("\r" + texte + "\033[K");
    ligneAffichee = true;
}

}  // namespace

void installerProgresTerminal() {
    terminal = ::isatty(2) == 1;
    debutDeCalcul();
    installerPuits(afficher);
}

void debutDeCalcul() { debut.store(maintenant()); }

void effacerProgres() {
    if (!terminal) return;
    std::lock_guard<std::mutex> garde(verrou);
    if (!ligneAffichee) return;
    ecrire("\r\033[K");
    ligneAffichee = false;
}

}  // namespace harmo
