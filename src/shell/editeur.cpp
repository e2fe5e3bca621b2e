// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/editeur.h"

#include "commun/cache.h"

#include "shell/signaux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <readline/history.h>
#include <readline/readline.h>

namespace harmo {

namespace {

const int lignesGardees = 1000;
std::string historique;  // "" when there is none

bool lue = false, fin = false;
std::string recue;
std::string nonLues;  // keys typed ahead, kept through a stop, not yet read

extern "C" void surLigne(char* ligne) {
    lue = true;
    fin = ligne == nullptr;
    if (ligne) {
        recue = ligne;
        std::free(ligne);
    }
    rl_callback_handler_remove();
}

void garder(const std::string& ligne) {
    if (ligne.find_first_not_of(" \t\n\v\f\r") == std::string::npos) return;  // blanks are not kept
    add_history(ligne.c_str());
    if (historique.empty()) return;
    if (append_history(1, historique.c_str()) == 0) history_truncate_file(historique.c_str(), lignesGardees);
}

}  // namespace

std::string fichierHistorique() {
    const char* etat = std::getenv("XDG_STATE_HOME");
    if (etat && etat[0] == '/') return std::string(etat) + "/harmoniques/historique";
    const char* maison = std::getenv("HOME");
    if (maison && maison[0]) return std::string(maison) + "/.local/state/harmoniques/historique";
    return "";
}

void installerEditeur() {
    rl_readline_name = "harmoniques";
    rl_catch_signals = 0;  // Ctrl-C is the program's (shell/signaux.h)
    rl_catch_sigwinch = 0;  // and resizes (shell/signaux.h)
    rl_bind_key('\t', rl_insert);
    using_history();
    stifle_history(lignesGardees);
    historique = fichierHistorique();
    if (historique.empty()) return;
    const std::string dossier = historique.substr(0, historique.rfind('/'));
    // A regular file or none: a FIFO, a device or a folder there would block
    // the start or make no sense.
    struct stat etat {};
    const bool present = ::stat(historique.c_str(), &etat) == 0;
    const int fd = creerDossiers(dossier) && (!present || S_ISREG(etat.st_mode))
                       ? ::open(historique.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK, 0600)
                       : -1;
    if (fd < 0) {
        historique.clear();
        return;
    }
    ::close(fd);
    read_history(historique.c_str());
}

namespace {

// Ctrl-Z at the question: the terminal as it was before the editor, the
// program suspended; at its return, the editor's modes and the question with
// the line typed so far, redrawn where the cursor now is.
void suspendreLaQuestion() {
    rl_cleanup_after_signal();
    std::fputs("\n", rl_outstream);
    std::fflush(rl_outstream);
    suspendre();
    rl_reset_after_signal();
    rl_forced_update_display();
}

}  // namespace

Lecture lireLigne(const std::string& invite, std::string& ligne) {
    lue = fin = false;
    recue.clear();
    const QuestionEditee editee;
    // A resize during the computation: the editor learns the width before it
    // draws the question, rather than drawing it again after.
    if (redimensionPrise()) rl_reset_screen_size();
    rl_callback_handler_install(invite.c_str(), surLigne);
    // The keys typed ahead that a stop took from the terminal come first.
    nonLues += touchesTapeesAvant();
    while (!lue && !nonLues.empty()) {
        rl_pending_input = static_cast<unsigned char>(nonLues.front());
        nonLues.erase(0, 1);
        rl_callback_read_char();
    }
    while (!lue) {
        // The input and the handlers' pipe together: a signal that comes at
        // any moment wakes this wait up.
        pollfd p[2] = {{0, POLLIN, 0}, {descripteurDesSignaux(), POLLIN, 0}};
        const int r = ::poll(p, p[1].fd >= 0 ? 2 : 1, -1);
        if (r < 0 && errno != EINTR) return Lecture::fin;
        const Evenements e = evenements();
        if (e.interruption) {
            // Ctrl-C: the line goes, the question comes again on a new line.
            rl_free_line_state();
            rl_callback_sigcleanup();
            rl_callback_handler_remove();
            std::fputs("\n", rl_outstream);
            std::fflush(rl_outstream);
            return Lecture::interrompue;
        }
        if (e.suspension) suspendreLaQuestion();
        if (e.redimension) rl_resize_terminal();
        if (r > 0 && (p[0].revents & (POLLIN | POLLHUP | POLLERR))) rl_callback_read_char();
    }
    if (fin) return Lecture::fin;
    ligne = recue;
    garder(ligne);
    return Lecture::ligne;
}

}  // namespace harmo
