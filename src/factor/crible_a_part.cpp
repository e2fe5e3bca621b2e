// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/crible_a_part.h"

#include "commun/decimal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

namespace harmo {

CribleAPart::CribleAPart(const NTL::ZZ& n) {
    int tube[2];
    if (::pipe(tube) != 0) return;
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) {
        ::close(tube[0]);
        ::close(tube[1]);
        return;
    }
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);
        ::close(tube[0]);
        // The primes, one "p e" line each, then the end of the pipe.
        std::string texte;
        for (const FacteurPremier& x : factoriserParPari(n)) texte += enDecimal(x.p) + " " + std::to_string(x.e) + "\n";
        texte += "fin\n";
        const char* p = texte.data();
        std::size_t reste = texte.size();
        while (reste > 0) {
            const ssize_t k = ::write(tube[1], p, reste);
            if (k < 0 && errno == EINTR) continue;
            if (k <= 0) ::_exit(1);
            p += k;
            reste -= static_cast<std::size_t>(k);
        }
        ::_exit(0);
    }
    ::close(tube[1]);
    fd_ = tube[0];
    ::fcntl(fd_, F_SETFL, O_NONBLOCK);
}

CribleAPart::~CribleAPart() {
    if (fd_ >= 0) ::close(fd_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

bool CribleAPart::fini(std::vector<FacteurPremier>& f, bool& ok) {
    if (pid_ <= 0) {
        ok = false;
        return true;
    }
    char bloc[4096];
    for (;;) {
        const ssize_t k = ::read(fd_, bloc, sizeof bloc);
        if (k > 0) {
            recu_.append(bloc, static_cast<std::size_t>(k));
            continue;
        }
        if (k < 0 && errno == EINTR) continue;
        if (k < 0) return false;  // nothing more yet
        break;                    // the end of the pipe: the process is over
    }
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    f.clear();
    ok = recu_.size() >= 4 && recu_.compare(recu_.size() - 4, 4, "fin\n") == 0;
    if (!ok) return true;
    std::istringstream lignes(recu_);
    std::string p;
    long e = 0;
    while (lignes >> p && p != "fin" && lignes >> e) f.push_back(FacteurPremier{depuisDecimal(p), e});
    return true;
}

}  // namespace harmo
