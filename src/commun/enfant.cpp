// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/enfant.h"

#include "commun/suivi.h"

#include <flint/flint.h>
#include <gmp.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <new>
#include <vector>

namespace harmo {

namespace {

int canalDuFils = -1;  // in the child: the pipe to the parent

void progresVersLePere(const std::string& texte) {
    if (canalDuFils >= 0) Canal(canalDuFils).ecrireTrame('P', texte.data(), texte.size());
}

// Closes a descriptor and reaps a child on every way out.
struct Fils {
    pid_t pid = -1;
    int fd = -1;
    ~Fils() {
        if (fd >= 0) ::close(fd);
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            int statut;
            while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
            }
        }
    }
};

std::string raisonSysteme(const char* quoi, int erreur) { return std::string(quoi) + " (" + std::strerror(erreur) + ")"; }

// The failure of a computation that ran out of memory.
const EchecDuCalcul sansMemoire{true, "memoire insuffisante"};

// In the child, an allocation that GMP or FLINT cannot satisfy ends the child
// with a failure for memory, instead of the library's abort.
void memoireEpuisee() {
    if (canalDuFils >= 0) Canal(canalDuFils).ecrireTrame('E', "memoire", 7);
    ::_exit(1);
}
void* allouer(std::size_t n) {
    void* p = std::malloc(n);
    if (!p && n) memoireEpuisee();
    return p;
}
void* reallouer(void* p, std::size_t n) {
    void* q = std::realloc(p, n);
    if (!q && n) memoireEpuisee();
    return q;
}
void* reallouerGmp(void* p, std::size_t, std::size_t n) { return reallouer(p, n); }
void* allouerZero(std::size_t n, std::size_t t) {
    void* p = std::calloc(n, t);
    if (!p && n && t) memoireEpuisee();
    return p;
}
void libererGmp(void* p, std::size_t) { std::free(p); }
void memoireSurveillee() {
    mp_set_memory_functions(allouer, reallouerGmp, libererGmp);
    __flint_set_memory_functions(allouer, allouerZero, reallouer, std::free);
}

}  // namespace

Resultat calculerAPart(const std::function<void(Canal&)>& travail, bool enPlace, const SurMorceau& surMorceau) {
    avantCalculLong();
    verifierInterruption();
    if (enPlace) {
        std::string donnees;
        Canal canal(donnees, &surMorceau);
        try {
            travail(canal);
        } catch (const std::bad_alloc&) {
            throw sansMemoire;
        }
        verifierInterruption();  // an interrupt during the last step that checks none
        return Resultat(std::move(donnees));
    }
    int tube[2];
    if (::pipe(tube) != 0) throw EchecDuCalcul{false, raisonSysteme("impossible d'ouvrir un tube", errno)};
    Fils fils;
    const pid_t parent = ::getpid();
    fils.pid = ::fork();
    if (fils.pid < 0) {
        const int erreur = errno;
        ::close(tube[0]);
        ::close(tube[1]);
        fils.pid = -1;
        throw EchecDuCalcul{erreur == ENOMEM, raisonSysteme("impossible de creer un processus", erreur)};
    }
    if (fils.pid == 0) {
        // The child: Ctrl-C is the parent's business; results and progress
        // go into the pipe.
        std::signal(SIGINT, SIG_IGN);
        // The terminal and its signals are the parent's too.
        for (int sig : {SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGTSTP, SIGWINCH}) std::signal(sig, SIG_DFL);
        // Ended with the parent, however it ends (a closed terminal, a kill).
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(1);
        const int rien = ::open("/dev/null", O_WRONLY);  // the dialogue's output is the parent's alone
        if (rien >= 0) {
            ::dup2(rien, 1);
            ::dup2(rien, 2);
            ::close(rien);
        }
        ::close(tube[0]);
        canalDuFils = tube[1];
        memoireSurveillee();
        installerPuits(progresVersLePere);
        installerAvantCalculLong(nullptr);
        Canal canal(tube[1]);
        try {
            travail(canal);
            canal.ecrireTrame('F', nullptr, 0);
            ::_exit(0);
        } catch (const std::bad_alloc&) {
            canal.ecrireTrame('E', "memoire", 7);
        } catch (const std::exception& x) {
            const std::string quoi = x.what();
            canal.ecrireTrame('E', quoi.data(), quoi.size());
        } catch (...) {
            canal.ecrireTrame('E', "echec", 5);
        }
        ::_exit(1);
    }
    ::close(tube[1]);
    fils.fd = tube[0];

    // Frames as they come: a header of nine bytes, then the bytes of the
    // frame; those of data frames go straight to the result.
    std::string donnees, tete, texte;
    bool fini = false, echec = false, dansLeCorps = false;
    char type = 0;
    std::uint64_t reste = 0;
    auto finDeTrame = [&] {
        if (type == 'P') {
            relayerProgres(texte);
        } else if (type == 'M') {
            if (surMorceau) {
                Resultat m(texte);
                surMorceau(m);
            }
        } else if (type == 'F') {
            fini = true;
        } else if (type == 'E') {
            echec = true;
        }
    };
    std::vector<char> tampon(1 << 16);  // on the heap: small stacks stay enough
    char* const bloc = tampon.data();
    bool tue = false;
    for (;;) {
        if (!tue && interruptionDemandee.load()) {
            // Killed at once; what it wrote before is still read, up to the
            // end of the pipe, for the parts already sent.
            ::kill(fils.pid, SIGKILL);
            tue = true;
        }
        pollfd p{fils.fd, POLLIN, 0};
        const int r = ::poll(&p, 1, 100);
        if (r < 0 && errno != EINTR) throw EchecDuCalcul{false, raisonSysteme("lecture du calcul impossible", errno)};
        if (r <= 0) continue;
        const ssize_t lus = ::read(fils.fd, bloc, tampon.size());
        if (lus < 0 && errno == EINTR) continue;
        if (lus <= 0) break;  // the child closed its end
        const char* c = bloc;
        std::size_t n = static_cast<std::size_t>(lus);
        while (n > 0) {
            if (!dansLeCorps) {
                const std::size_t k = std::min<std::size_t>(9 - tete.size(), n);
                tete.append(c, k);
                c += k;
                n -= k;
                if (tete.size() < 9) break;
                type = tete[0];
                std::memcpy(&reste, tete.data() + 1, 8);
                tete.clear();
                texte.clear();
                if (reste == 0)
                    finDeTrame();
                else
                    dansLeCorps = true;
                continue;
            }
            const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(reste, n));
            (type == 'D' ? donnees : texte).append(c, k);
            c += k;
            n -= k;
            reste -= k;
            if (reste == 0) {
                dansLeCorps = false;
                finDeTrame();
            }
        }
    }
    int statut = 0;
    while (::waitpid(fils.pid, &statut, 0) < 0 && errno == EINTR) {
    }
    fils.pid = -1;
    if (interruptionDemandee.load()) throw CalculInterrompu{};
    // The text of an 'E' frame is its reason.
    if (echec) {
        if (texte == "memoire") throw sansMemoire;
        throw EchecDuCalcul{false, "echec du calcul (" + texte + ")"};
    }
    if (WIFSIGNALED(statut)) {
        // SIGKILL from outside: the kernel's answer to a machine out of memory.
        const int s = WTERMSIG(statut);
        if (s == SIGKILL) throw sansMemoire;
        throw EchecDuCalcul{false, "le calcul s'est arrete sur le signal " + std::to_string(s) + " (" + ::strsignal(s) + ")"};
    }
    if (!fini || !WIFEXITED(statut) || WEXITSTATUS(statut) != 0)
        throw EchecDuCalcul{false, "le calcul s'est arrete sans resultat (statut " + std::to_string(WEXITSTATUS(statut)) + ")"};
    return Resultat(std::move(donnees));
}

}  // namespace harmo
