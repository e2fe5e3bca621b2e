#include "shell/console.h"

#include "commun/decimal.h"
#include "commun/ecriture_rr.h"
#include "shell/progres_terminal.h"
#include "shell/signaux.h"

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

ConsoleStandard::ConsoleStandard() { sortie_.reserve(1 << 16); }

ConsoleStandard::~ConsoleStandard() { vider(); }

void ConsoleStandard::ecrire(std::string_view texte) {
    sortie_.append(texte);
    if (sortie_.size() >= (1 << 20)) vider();
}

void ConsoleStandard::vider() {
    if (sortie_.empty()) return;
    effacerProgres();
    const char* p = sortie_.data();
    std::size_t reste = sortie_.size();
    while (reste > 0) {
        ssize_t n = ::write(1, p, reste);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::_Exit(1);  // nobody reads the dialogue any more (EPIPE, EBADF): the end
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
    sortie_.clear();
}

void ConsoleStandard::allerALaFin() {
    if (::lseek(0, 0, SEEK_END) >= 0) {
        // A regular file: what was still to be read is skipped.
        debut_ = fin_ = 0;
    }
    finAtteinte_ = false;
}

int ConsoleStandard::lireOctet() {
    if (debut_ == fin_) {
        if (finAtteinte_) return -1;
        for (;;) {
            ssize_t n = ::read(0, tampon_, sizeof tampon_);
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
    return static_cast<unsigned char>(tampon_[debut_++]);
}

bool ConsoleStandard::lireJeton(std::string& jeton, bool& trop_long) {
    AttenteDeReponse attente;  // Ctrl-C now ends the program
    jeton.clear();
    trop_long = false;
    int c;
    do {
        c = lireOctet();
        if (c < 0) return false;
    } while (blanc(c));
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
