// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/console.h"

#include "commun/decimal.h"
#include "commun/ecriture_rr.h"
#include "shell/editeur.h"
#include "shell/progres_terminal.h"
#include "shell/signaux.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace harmo {

namespace {
// White space as the standard streams see it in the "C" locale.
bool blanc(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

Console& Console::operator<<(long v) {
    ecrire(std::to_string(v));
    return *this;
}

Console& Console::operator<<(double v) {
    std::ostringstream os;
    os << v;
    ecrire(os.str());
    return *this;
}

Console& Console::operator<<(const NTL::ZZ& v) {
    ecrire(enDecimal(v));
    return *this;
}

Console& Console::operator<<(const NTL::RR& v) {
    ecrire(enTexte(v));
    return *this;
}

ConsoleStandard::ConsoleStandard() {
    sortie_.reserve(1 << 16);
    editeur_ = ::isatty(0) == 1 && ::isatty(1) == 1;
    if (editeur_) installerEditeur();
}

ConsoleStandard::~ConsoleStandard() {
    rendreLInvite();
    vider();
}

// A question held for the editor that no line was read for (the input has
// ended): it goes out as written text, before whatever follows.
void ConsoleStandard::rendreLInvite() {
    sortie_.insert(0, invite_);
    invite_.clear();
}

void ConsoleStandard::ecrire(std::string_view texte) {
    if (!invite_.empty()) rendreLInvite();
    sortie_.append(texte);
    if (sortie_.size() >= (1 << 20)) vider();
}

void ConsoleStandard::ecrireSortie(std::string_view texte) {
    PauseDuProgres pause;
    const char* p = texte.data();
    std::size_t reste = texte.size();
    while (reste > 0) {
        ssize_t n = ::write(1, p, reste);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Nobody reads the dialogue any more (EPIPE, EBADF, EFBIG): the end.
            restaurerTerminal();
            std::_Exit(1);
        }
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
    const std::size_t nl = texte.find_last_of('\n');
    if (nl == std::string_view::npos)
        derniereLigne_.append(texte);
    else
        derniereLigne_.assign(texte.substr(nl + 1));
    pause.ecrit(texte, derniereLigne_);
}

void ConsoleStandard::vider() {
    if (sortie_.empty()) return;
    ecrireSortie(sortie_);
    sortie_.clear();
}

void ConsoleStandard::viderAvantLecture() {
    if (!editeur_) {
        vider();
        return;
    }
    // The question's last line is held: the editor shows it as its prompt.
    const std::size_t nl = sortie_.find_last_of('\n');
    const std::size_t debutInvite = nl == std::string::npos ? 0 : nl + 1;
    invite_.assign(sortie_, debutInvite, std::string::npos);
    sortie_.resize(debutInvite);
    vider();
}

void ConsoleStandard::allerALaFin() {
    if (::lseek(0, 0, SEEK_END) >= 0) {
        // A regular file: what was still to be read is skipped.
        debut_ = fin_ = 0;
    }
    finAtteinte_ = false;
}

// Ctrl-C at a question: what was typed goes, the question's last line comes
// again on a new line.
void ConsoleStandard::reposerLaQuestion() {
    debut_ = fin_ = 0;
    ecrireSortie("\n" + derniereLigne_);
}

namespace {

// The prompt with its tabs turned into the spaces they stand for: the line
// editor counts one column per character.
std::string sansTabulations(const std::string& t) {
    std::string r;
    for (char c : t) {
        if (c == '\t')
            r.append(8 - r.size() % 8, ' ');
        else
            r.push_back(c);
    }
    return r;
}

}  // namespace

bool ConsoleStandard::lireLigneEditee() {
    for (;;) {
        const std::string invite = std::move(invite_);
        invite_.clear();
        std::string ligne;
        switch (lireLigne(sansTabulations(invite), ligne)) {
            case Lecture::ligne:
                curseurEnDebutDeLigne();
                derniereLigne_.clear();
                ligne_ = ligne + "\n";
                debut_ = 0;
                fin_ = ligne_.size();
                return true;
            case Lecture::fin:
                derniereLigne_ = invite;
                return false;
            case Lecture::interrompue:
                invite_ = invite.empty() ? derniereLigne_ : invite;
                break;
        }
    }
}

int ConsoleStandard::lireOctet() {
    if (debut_ == fin_) {
        if (finAtteinte_) return -1;
        if (editeur_) {
            if (!lireLigneEditee()) {
                finAtteinte_ = true;
                return -1;
            }
            return static_cast<unsigned char>(ligne_[debut_++]);
        }
        // The keys typed ahead that a stop took from the terminal come first.
        const std::string gardees = touchesTapeesAvant();
        if (!gardees.empty()) {
            const std::size_t n = std::min(gardees.size(), tampon_.size());
            std::copy(gardees.begin(), gardees.begin() + static_cast<std::ptrdiff_t>(n), tampon_.begin());
            debut_ = 0;
            fin_ = n;
            return static_cast<unsigned char>(tampon_[debut_++]);
        }
        for (;;) {
            // The input and the handlers' pipe together: no Ctrl-C is lost
            // between a test and the wait.
            pollfd p[2] = {{0, POLLIN, 0}, {descripteurDesSignaux(), POLLIN, 0}};
            const int r = ::poll(p, p[1].fd >= 0 ? 2 : 1, -1);
            if (evenements().interruption) reposerLaQuestion();
            if (r < 0 && errno != EINTR) {
                finAtteinte_ = true;
                return -1;
            }
            if (r <= 0 || !(p[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = ::read(0, tampon_.data(), tampon_.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                finAtteinte_ = true;
                return -1;
            }
            debut_ = 0;
            fin_ = static_cast<std::size_t>(n);
            break;
        }
    }
    return static_cast<unsigned char>(editeur_ ? ligne_[debut_++] : tampon_[debut_++]);
}

bool ConsoleStandard::lireJeton(std::string& jeton, bool& trop_long) {
    AttenteDeReponse attente;  // Ctrl-C now asks again (a terminal) or ends the program
    jeton.clear();
    trop_long = false;
    int c;
    // (A blank line answered on the editor: the next line has no prompt.)
    do {
        c = lireOctet();
        if (c < 0) return false;
    } while (blanc(c));
    if (!invite_.empty()) {
        // The answer was typed ahead on an earlier line: the question is shown
        // as on a pipe.
        const std::string invite = std::move(invite_);
        invite_.clear();
        ecrireSortie(invite);
    }
    // A Ctrl-C at the question after the line was read is of no use any more.
    interruptionDeQuestion();
    while (c >= 0 && !blanc(c)) {
        if (jeton.size() < maxJeton)
            jeton.push_back(static_cast<char>(c));
        else
            trop_long = true;
        c = lireOctet();
    }
    return true;
}

bool ConsoleScript::lireJeton(std::string& jeton, bool& trop_long) {
    jeton.clear();
    trop_long = false;
    while (pos_ < entree_.size() && blanc(static_cast<unsigned char>(entree_[pos_]))) ++pos_;
    if (pos_ == entree_.size()) return false;
    while (pos_ < entree_.size() && !blanc(static_cast<unsigned char>(entree_[pos_]))) {
        if (jeton.size() < maxJeton)
            jeton.push_back(entree_[pos_]);
        else
            trop_long = true;
        ++pos_;
    }
    return true;
}

}  // namespace harmo
