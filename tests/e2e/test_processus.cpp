// SPDX-License-Identifier: GPL-3.0-or-later
// The real program as a process: Ctrl-C during a computation and at a prompt,
// progress on a terminal and not on a pipe, a closed output. The program's
// path comes from the build (HARMONIQUES).
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Horloge = std::chrono::steady_clock;

// The program with its standard input and output on pipes, and its standard
// error on a pipe or on a pseudo-terminal.
class Programme {
public:
    // avantExec runs in the child before the program starts (limits, user);
    // executable, the program to run (the build's by default).
    explicit Programme(bool erreurSurTerminal = false, const std::function<void()>& avantExec = {},
                       const std::string& executable = HARMONIQUES) {
        // A cache of its own: every run computes from nothing.
        char modele[] = "/tmp/harmoniques-cache-XXXXXX";
        if (::mkdtemp(modele)) cache_ = modele;
        int entree[2], sortie[2], erreur[2] = {-1, -1};
        EXPECT_EQ(::pipe(entree), 0);
        EXPECT_EQ(::pipe(sortie), 0);
        int maitre = -1, esclave = -1;
        if (erreurSurTerminal)
            EXPECT_EQ(::openpty(&maitre, &esclave, nullptr, nullptr, nullptr), 0);
        else
            EXPECT_EQ(::pipe(erreur), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(entree[0], 0);
            ::dup2(sortie[1], 1);
            ::dup2(erreurSurTerminal ? esclave : erreur[1], 2);
            for (int fd = 3; fd < 256; ++fd) ::close(fd);
            if (!cache_.empty()) ::setenv("XDG_CACHE_HOME", cache_.c_str(), 1);
            if (avantExec) avantExec();
            ::execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(entree[0]);
        ::close(sortie[1]);
        entree_ = entree[1];
        sortie_ = sortie[0];
        if (erreurSurTerminal) {
            ::close(esclave);
            erreur_ = maitre;
        } else {
            ::close(erreur[1]);
            erreur_ = erreur[0];
        }
    }
    ~Programme() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            attendreFin();
        }
        for (int fd : {entree_, sortie_, erreur_})
            if (fd >= 0) ::close(fd);
        std::error_code erreur;
        if (!cache_.empty()) std::filesystem::remove_all(cache_, erreur);
    }
    void ecrire(const std::string& t) { ASSERT_EQ(::write(entree_, t.data(), t.size()), static_cast<ssize_t>(t.size())); }
    void fermerEntree() {
        ::close(entree_);
        entree_ = -1;
    }
    void signal(int s) { ::kill(pid_, s); }
    pid_t pid() const { return pid_; }
    const std::string& cache() const { return cache_; }
    // Reads until the output holds texte (true) or the delay passes.
    bool attendre(const std::string& texte, double secondes) {
        const auto fin = Horloge::now() + std::chrono::duration<double>(secondes);
        while (sortie.find(texte) == std::string::npos) {
            if (Horloge::now() > fin) return false;
            if (!lire(50)) return sortie.find(texte) != std::string::npos;
        }
        return true;
    }
    // One wait of at most ms for output; false once the output has ended.
    bool lireUnPeu(int ms) { return lire(ms); }
    // Reads everything until the end, then the exit status (waitpid's); a
    // program still running after the delay is killed.
    int attendreFin(double secondes = 120) {
        const auto fin = Horloge::now() + std::chrono::duration<double>(secondes);
        while (lire(100))
            if (Horloge::now() > fin) {
                ADD_FAILURE() << "the program did not end";
                ::kill(pid_, SIGKILL);
                break;
            }
        int statut = 0;
        if (pid_ > 0) ::waitpid(pid_, &statut, 0);
        pid_ = -1;
        return statut;
    }
    std::string sortie, erreur;

private:
    // One poll of both outputs; false at the end of standard output.
    bool lire(int ms) {
        pollfd p[2] = {{sortie_, POLLIN, 0}, {erreur_, POLLIN, 0}};
        if (::poll(p, 2, ms) <= 0) return true;
        char bloc[65536];
        if (p[1].revents & (POLLIN | POLLHUP)) {
            ssize_t n = ::read(erreur_, bloc, sizeof bloc);
            if (n > 0) erreur.append(bloc, static_cast<std::size_t>(n));
        }
        if (p[0].revents & (POLLIN | POLLHUP)) {
            ssize_t n = ::read(sortie_, bloc, sizeof bloc);
            if (n <= 0) return false;
            sortie.append(bloc, static_cast<std::size_t>(n));
        }
        return true;
    }
    pid_t pid_ = -1;
    int entree_ = -1, sortie_ = -1, erreur_ = -1;
    std::string cache_;
};

const std::string interrompu = " \n \n \t Calcul interrompu. \n";
const std::string choix = "\n \n \n \t Quel est votre choix ? : ";

// The state letter and the parent of a process in /proc ('\0' when it is gone).
char etatDe(pid_t pid, pid_t* parent = nullptr) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string ligne;
    if (!std::getline(f, ligne)) return '\0';
    std::istringstream reste(ligne.substr(ligne.rfind(')') + 2));
    char etat = '\0';
    long pere = 0;
    reste >> etat >> pere;
    if (parent) *parent = static_cast<pid_t>(pere);
    return etat;
}

std::vector<pid_t> enfantsDe(pid_t pere) {
    std::vector<pid_t> r;
    DIR* d = ::opendir("/proc");
    while (dirent* e = d ? ::readdir(d) : nullptr) {
        const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
        pid_t p = 0;
        if (pid > 0 && etatDe(pid, &p) != '\0' && p == pere) r.push_back(pid);
    }
    if (d) ::closedir(d);
    return r;
}

// True when every process of pids has ended (gone, or a zombie) within the delay.
bool finisDansLes(const std::vector<pid_t>& pids, double secondes) {
    const auto fin = Horloge::now() + std::chrono::duration<double>(secondes);
    for (;;) {
        bool vivant = false;
        for (pid_t q : pids) {
            const char e = etatDe(q);
            vivant = vivant || (e != '\0' && e != 'Z');
        }
        if (!vivant) return true;
        if (Horloge::now() > fin) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

TEST(Processus, LeCalculDUnFilsSArreteAvecLeProgramme) {
    // A factorisation beyond reach runs in a child; the program killed, the
    // child must not go on for hours.
    Programme p;
    p.ecrire("1 0 300 2 3 5 10 1 1\n");
    ASSERT_TRUE(p.attendre("\n \n \t P = ", 60));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::vector<pid_t> fils = enfantsDe(p.pid());
    ASSERT_EQ(fils.size(), 1u);
    p.signal(SIGKILL);
    p.attendreFin();
    EXPECT_TRUE(finisDansLes(fils, 5)) << etatDe(fils[0]);
}

const std::string continuer = "\n \n \n \t Voulez vous continuer pour une plus grande valeur de N ? Oui [1] , Non [0] : ";

// What follows the first time texte is written (all of it when it is not).
std::string apresLaPremiere(const std::string& tout, const std::string& texte) {
    const std::size_t i = tout.find(texte);
    return i == std::string::npos ? tout : tout.substr(i + texte.size());
}

TEST(Processus, CtrlCPendantUneFactorisationGardeLaSomme) {
    // H(186): P is a composite of 81 digits that takes seconds at least.
    // Interrupted, P's factorisation says what is left, Q's follows in full,
    // and the continuation to 187 prints what it prints without the interrupt.
    const std::string qDe186 = "\n \n \t Q =   (2)^7 X (3)^3 X (5)^3 X (7)^2 X (11)^2 X (13)^2 X (17) X (19) X (23) X (29) X (31) X (37) X (41) X (43) X (47) X (53) X (59) X (61) X (67) X (71) X (73) X (79) X (83) X (89) X (97) X (101) X (103) X (107) X (109) X (113) X (127) X (131) X (137) X (139) X (149) X (151) X (157) X (163) X (167) X (173) X (179) X (181)";
    const std::string suite = "1 187 1 1 0 0 0 0\n";
    Programme p;
    p.ecrire("1 0 186 2 3 20 1 1 1\n");
    ASSERT_TRUE(p.attendre("\n \n \t P = ", 60));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto t0 = Horloge::now();
    p.signal(SIGINT);
    ASSERT_TRUE(p.attendre(continuer, 10));
    EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 1.0);
    EXPECT_NE(p.sortie.find("\n \n \t P =   [81 chiffres non factorises]" + qDe186 + continuer), std::string::npos)
        << apresLaPremiere(p.sortie, "P = ");
    EXPECT_EQ(p.sortie.find("interrompu"), std::string::npos);
    p.ecrire(suite);
    int statut = p.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1);

    Programme sans;
    sans.ecrire("1 0 186 2 3 20 1 1 0 " + suite);
    statut = sans.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1);
    EXPECT_EQ(apresLaPremiere(p.sortie, continuer), apresLaPremiere(sans.sortie, continuer));
}

TEST(Processus, UneContinuationInterrompueRevientASaQuestion) {
    // H(10^6), then on to 10^8 (a minute of work) interrupted after a second,
    // then on to 2 10^6: the same bytes as H(2 10^6) asked after H(10^6).
    const std::string debut = "1 0 1000000 2 3 20 1000 1 0 ", fin = "1 2000000 1000 1 0 0 0 0\n";
    Programme p;
    p.ecrire(debut + "1 100000000 1000\n");
    ASSERT_TRUE(p.attendre("Nouvelle valeur de N  ? :  ", 60));
    ASSERT_TRUE(p.attendre("Nombre de termes dans un paquet  ? :  ", 10));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto t0 = Horloge::now();
    p.signal(SIGINT);
    ASSERT_TRUE(p.attendre(interrompu + continuer, 10));
    EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 1.0);
    p.ecrire(fin);
    int statut = p.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1);

    Programme sans;
    sans.ecrire(debut + fin);
    statut = sans.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1);
    const std::size_t question = sans.sortie.find(continuer);
    ASSERT_NE(question, std::string::npos);
    EXPECT_EQ(p.sortie.substr(0, question), sans.sortie.substr(0, question));
    EXPECT_EQ(apresLaPremiere(p.sortie, interrompu), sans.sortie.substr(question));
    EXPECT_NE(sans.sortie.find("H(2000000) = P/Q  =  "), std::string::npos);
}

// The threads of a process, from /proc.
std::size_t filsDExecution(pid_t pid) {
    std::size_t n = 0;
    if (DIR* d = ::opendir(("/proc/" + std::to_string(pid) + "/task").c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
    }
    return n;
}

// H(170)'s factorisation asked of p, up to its sieve: the factorisation's
// process (after trial division), once it runs two threads or more (after
// a few ECM curves), or after half a minute.
std::vector<pid_t> jusquAuCribleDe170(Programme& p) {
    p.ecrire("1 0 170 2 3 20 10 1 1\n");
    if (!p.attendre("\n \n \t P = ", 60)) return {};
    const auto debut = Horloge::now();
    std::vector<pid_t> fils;
    while ((fils = enfantsDe(p.pid())).empty() && Horloge::now() - debut < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (fils.size() != 1) return fils;
    while (filsDExecution(fils[0]) < 2 && Horloge::now() - debut < std::chrono::seconds(30))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return fils;
}

TEST(Processus, LeCribleSArreteAvecLaFactorisation) {
    // H(170): P leaves a composite of 74 digits; after a few ECM curves the
    // sieve runs on threads of the factorisation's process. Ctrl-C: the
    // partial form within a second, and that process gone with its threads.
    Programme p;
    const std::vector<pid_t> fils = jusquAuCribleDe170(p);
    ASSERT_EQ(fils.size(), 1u);
    ASSERT_GE(filsDExecution(fils[0]), 2u) << "no sieving thread";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto t0 = Horloge::now();
    p.signal(SIGINT);
    ASSERT_TRUE(p.attendre(" chiffres non factorises]", 10));
    EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 1.0);
    EXPECT_TRUE(finisDansLes(fils, 5));
    p.ecrire("0 0 0\n");
    const int statut = p.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
}

TEST(Processus, CtrlCPendantUneSommeExacteEtEncoreApres) {
    // Level 3 with 2 * 10^8 terms, interrupted; then a small sum, whose
    // factorisation extends the prime list again, and the same value as
    // without the interruption.
    Programme p;
    p.ecrire("1 0 200000000 2 3 10 1000\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    p.signal(SIGINT);
    ASSERT_TRUE(p.attendre(interrompu, 10));
    ASSERT_TRUE(p.attendre(choix, 10));
    p.ecrire("1 0 10 2 3 20 3 1 1 0 0 0\n");
    const int statut = p.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1);
    EXPECT_NE(p.sortie.find("H(10) = P/Q  =  7381 / 2520 . "), std::string::npos);
    EXPECT_NE(p.sortie.find("P =   (11)^2 X (61)"), std::string::npos);
    EXPECT_NE(p.sortie.find("valeur approchee  =  2.9289682539682539683"), std::string::npos);
}

TEST(Processus, CtrlCAUneQuestionTermineLeProgramme) {
    Programme p;
    ASSERT_TRUE(p.attendre(choix, 10));
    p.signal(SIGINT);
    const int statut = p.attendreFin();
    EXPECT_TRUE(WIFSIGNALED(statut) && WTERMSIG(statut) == SIGINT);
}

TEST(Processus, ProgresSurUnTerminalSeulement) {
    // H(6 * 10^6) at level 3 takes more than a second: a progress line on a
    // terminal, nothing on a pipe, and the same standard output either way.
    const std::string reponses = "1 0 6000000 2 3 10 1000 0 0 0 0\n";
    Programme terminal(true), tube(false);
    terminal.ecrire(reponses);
    tube.ecrire(reponses);
    terminal.attendreFin();
    tube.attendreFin();
    EXPECT_NE(terminal.erreur.find("somme exacte"), std::string::npos) << terminal.erreur;
    EXPECT_NE(terminal.erreur.find("\033[J  "), std::string::npos);
    EXPECT_NE(terminal.erreur.find(" %, "), std::string::npos);
    EXPECT_NE(terminal.erreur.find(" s\033["), std::string::npos);  // then the cursor back to the end of the dialogue
    EXPECT_EQ(tube.erreur, "");
    EXPECT_EQ(terminal.sortie, tube.sortie);
}

// The program's exit status when its standard output is a pipe nobody reads
// (EPIPE) or is closed (EBADF), its input kept open: it must end at its first
// write instead of reading on. -1 if it still runs after 20 s.
int statutSortieFermee(bool tubeSansLecteur) {
    int entree[2], sortie[2];
    if (::pipe(entree) != 0 || ::pipe(sortie) != 0) return -2;
    if (::write(entree[1], "3 3 3 3 3\n", 10) != 10) return -2;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(entree[0], 0);
        if (tubeSansLecteur)
            ::dup2(sortie[1], 1);
        else
            ::close(1);
        for (int fd = 3; fd < 256; ++fd) ::close(fd);
        ::execl(HARMONIQUES, HARMONIQUES, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(entree[0]);
    ::close(sortie[0]);  // nobody reads
    ::close(sortie[1]);
    int statut = -1;
    const auto fin = Horloge::now() + std::chrono::seconds(20);
    while (Horloge::now() < fin) {
        if (::waitpid(pid, &statut, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        statut = -1;
    }
    if (statut == -1) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ::close(entree[1]);
    return statut;
}

TEST(Processus, SortieFermeeTermineAvecLeStatut1) {
    for (bool tube : {true, false}) {
        const int statut = statutSortieFermee(tube);
        EXPECT_TRUE(statut >= 0 && WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << tube << " " << statut;
    }
}

namespace {

void limiter(int ressource, rlim_t octets) {
    rlimit r{octets, octets};
    ::setrlimit(ressource, &r);
}

const std::string h10 = "H(10) = P/Q  =  7381 / 2520 . ";
const std::string calculH10 = "1 0 10 2 3 20 3 1 0 0 0 0\n";

}  // namespace

TEST(Processus, CtrlCPendantLesEtapesQuiNeGuettentPasRameneLeMenu) {
    // Item 4 at 200,000 decimals (a logarithm of 565,000 bits) and level 2
    // by digamma at 200,000 digits: the request answered within a second,
    // the value never printed, the program still there.
    const std::string grand = "1" + std::string(99998, '0');
    for (const std::string& requete : {"4 " + grand + " 200000\n", "1 0 1" + std::string(30, '0') + " 2 2 200000\n"}) {
        Programme p;
        p.ecrire(requete);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        const auto t0 = Horloge::now();
        p.signal(SIGINT);
        ASSERT_TRUE(p.attendre(interrompu, 10)) << requete.substr(0, 40);
        EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 1.0);
        EXPECT_EQ(p.sortie.find(") =  "), std::string::npos);
        EXPECT_EQ(p.sortie.find("valeur approchee  =  "), std::string::npos);
        ASSERT_TRUE(p.attendre(choix, 10));
        p.ecrire(calculH10);
        const int statut = p.attendreFin();
        EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
        EXPECT_NE(p.sortie.find(h10), std::string::npos);
    }
}

TEST(Processus, SousUnePetiteLimiteDeMemoireRienNAvorte) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory and threads do not live under these limits";
#endif
    // Under 300 MB of address space: Kempner sums at level 2 near 10^99998
    // (their moments grow with the digits of N), with a continuation, and a
    // sum of 1 at level 3 either answer or are refused, and the dialogue goes
    // on. Each stage is answered as the program asks.
    const std::string grand = "1" + std::string(99997, '0');
    const std::string suite = "1" + std::string(99993, '0') + "20001";
    const std::string continuer = "Voulez vous continuer pour une plus grande valeur de N ?";
    const std::string nouveau = "Nouveau calcul ? Oui [1] , Non [0] : ";
    struct Cas {
        std::string requete, continuation;
    };
    for (const Cas& c : {Cas{"1 0 " + grand + " 1 1 9 2 30\n", ""}, Cas{"1 0 " + grand + " 1 9 8 2 9 4 2 3 3 8 4 2 30\n", ""},
                         Cas{"1 1 " + grand + "1 1 2 6 5 2 30\n", "1 " + suite + "\n"}, Cas{"1 0 1 2 3 20 3 1 0\n", ""}}) {
        Programme p(false, [] { limiter(RLIMIT_AS, 300u << 20); });
        p.ecrire(c.requete);
        std::size_t vu = 0;
        // Waits for the next "continue?" or "new calculation?" past what was seen.
        auto suivante = [&]() -> bool {
            const auto fin = Horloge::now() + std::chrono::seconds(300);
            while (Horloge::now() < fin) {
                const std::size_t a = p.sortie.find(continuer, vu), b = p.sortie.find(nouveau, vu);
                if (a != std::string::npos || b != std::string::npos) {
                    const bool estContinuer = a < b;
                    vu = std::min(a, b) + 10;
                    return estContinuer;
                }
                if (!p.lireUnPeu(200)) break;
            }
            ADD_FAILURE() << "no question came";
            return false;
        };
        bool estContinuer = suivante();
        if (estContinuer && !c.continuation.empty()) {
            p.ecrire(c.continuation);
            estContinuer = suivante();
        }
        if (estContinuer) {
            p.ecrire("0\n");
            suivante();
        }
        p.ecrire("0\n" + calculH10);
        const int statut = p.attendreFin(300);
        EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << c.requete.substr(0, 8) << " " << statut;
        EXPECT_NE(p.sortie.find(h10), std::string::npos) << p.sortie.substr(p.sortie.size() > 2000 ? p.sortie.size() - 2000 : 0);
    }
}

TEST(Processus, UneContinuationQuiNeTientPasEstRecalculee) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory does not live under an address-space limit";
#endif
    // Under 300 MB of address space, H(4 10^6) then on to 7.9 10^6: the stage
    // would not fit, the whole sum does; the same value as asked at once.
    const std::string valeur = "dont une valeur approchee  =  16.45958904562992068 ";
    Programme p(false, [] { limiter(RLIMIT_AS, 300u << 20); });
    p.ecrire("1 0 4000000 2 3 20 1000 0 1 7900000 1000 1 0 0 0 0\n");
    const int statut = p.attendreFin(120);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
    EXPECT_NE(p.sortie.find(valeur), std::string::npos) << p.sortie.substr(p.sortie.size() > 3000 ? p.sortie.size() - 3000 : 0);
    EXPECT_EQ(p.sortie.find("depasse"), std::string::npos);
    EXPECT_NE(p.sortie.find("H(7900000) = P/Q  =  "), std::string::npos);
}

TEST(Processus, UneLimiteDeFichierEstUneSortieFermee) {
    // The dialogue into a file of at most 1024 bytes: status 1, no SIGXFSZ.
    char modele[] = "/tmp/harmoniques-fsize-XXXXXX";
    const int fd = ::mkstemp(modele);
    ASSERT_GE(fd, 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int entree = ::open("/dev/null", O_RDONLY);
        ::dup2(entree, 0);
        ::dup2(fd, 1);
        limiter(RLIMIT_FSIZE, 1024);
        ::execl(HARMONIQUES, HARMONIQUES, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    ::close(fd);
    ::unlink(modele);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
}

TEST(Processus, SansProcessusNiThreadLesEchecsSontDits) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory and threads do not live under these limits";
#endif
    // As an ordinary user allowed a single process: threads run on one core
    // (H(10^6) exact), a factorisation that needs a child process stops
    // with the reason, and the dialogue goes on.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    // A copy of the program where that user can run it, wherever the
    // checkout lives (a folder of mode 0700, /root).
    char modele[] = "/tmp/harmoniques-autre-XXXXXX";
    ASSERT_NE(::mkdtemp(modele), nullptr);
    const std::string dossier = modele, copie = dossier + "/harmoniques";
    std::filesystem::copy_file(HARMONIQUES, copie);
    ::chmod(dossier.c_str(), 0755);
    ::chmod(copie.c_str(), 0755);
    Programme p(false, [] {
        if (::chdir("/") != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
        limiter(RLIMIT_NPROC, 1);
    }, copie);
    p.ecrire("1 0 1000000 2 3 10 1000 1 0 0 1 0 300 2 3 5 10 1 1 0 0 " + calculH10);
    const int statut = p.attendreFin(120);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
    EXPECT_NE(p.sortie.find("H(1000000) = P/Q  =  "), std::string::npos);
    EXPECT_NE(p.sortie.find(" chiffres non factorises] \n \t Factorisation arretee : impossible de creer un processus ("),
              std::string::npos);
    EXPECT_NE(p.sortie.find("Q =   (2)^"), std::string::npos);
    EXPECT_NE(p.sortie.find(h10), std::string::npos);
    std::filesystem::remove_all(dossier);
}


// The most threads that one of a process and its descendants has, from /proc.
int threadsAuPlus(pid_t pid) {
    int n = 0;
    std::ifstream statut("/proc/" + std::to_string(pid) + "/status");
    for (std::string ligne; std::getline(statut, ligne);)
        if (ligne.rfind("Threads:", 0) == 0) n = std::stoi(ligne.substr(8));
    std::error_code erreur;
    for (const auto& tache : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", erreur)) {
        std::ifstream enfants(tache.path() / "children");
        for (pid_t enfant = 0; enfants >> enfant;) n = std::max(n, threadsAuPlus(enfant));
    }
    return n;
}

TEST(Processus, SurUnSeulCoeurUnSeulThread) {
    // taskset -c 0: exact H(10^7) (its sum, in a child process, then its
    // reduction) never starts a second thread, in the program or in a child.
    Programme p(false, [] {
        cpu_set_t un;
        CPU_ZERO(&un);
        CPU_SET(0, &un);
        ::sched_setaffinity(0, sizeof un, &un);
    });
    p.ecrire("1 0 10000000 2 3 10 1000 0 0 0 0\n");
    int plus = 0;
    const auto t0 = Horloge::now();
    while (p.lireUnPeu(20)) {
        plus = std::max(plus, threadsAuPlus(p.pid()));
        if (std::chrono::duration<double>(Horloge::now() - t0).count() > 300) break;
    }
    EXPECT_NE(p.sortie.find("de dernier terme  1/10000000  comporte 10000000  termes."), std::string::npos);
    EXPECT_LE(plus, 1);
    p.attendreFin();
}

TEST(Processus, SansLaMemoireDuCribleECMContinueEtLeDit) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory does not live under this limit";
#endif
    // 400 MB of address space: H(170)'s 74-digit cofactor would need more
    // for its sieve than the factorisation may take. The progress says so
    // at once, with the estimate, while ECM goes on; Ctrl-C keeps the
    // dialogue.
    Programme p(true, [] { limiter(RLIMIT_AS, 400u << 20); });
    p.ecrire("1 0 170 2 3 5 10 1 1\n");
    const auto t0 = Horloge::now();
    while (p.erreur.find("sans memoire pour le crible (") == std::string::npos &&
           std::chrono::duration<double>(Horloge::now() - t0).count() < 30)
        p.lireUnPeu(50);
    EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 5) << p.erreur;
    EXPECT_NE(p.erreur.find(" Mo), ECM "), std::string::npos) << p.erreur;
    p.signal(SIGINT);
    EXPECT_TRUE(p.attendre("[74 chiffres non factorises]", 10)) << p.sortie;
    p.ecrire("0 0 0\n");
    p.attendreFin();
}

TEST(Processus, UneFactorisationProuveeEstRetenue) {
    // H(150) factored twice in one session (151^2 by trial division, then
    // a cofactor of 61 digits, 66359 times a prime, for the engine): the
    // second P comes from the cache, with the same bytes; the cache holds
    // one file of mode 0600 in folders of mode 0700.
    Programme p;
    const std::string calcul = "0 150 2 3 5 10 1 1 0 ";  // from the parity to the continuation
    p.ecrire("1 " + calcul + "1 " + calcul + "0\n");
    p.fermerEntree();
    p.attendreFin(100);
    const std::size_t premier = p.sortie.find("P =   ");
    ASSERT_NE(premier, std::string::npos);
    const std::string ligne = p.sortie.substr(premier, p.sortie.find('\n', premier) - premier);
    EXPECT_NE(ligne.find(") X ("), std::string::npos) << ligne;
    EXPECT_NE(p.sortie.find(ligne, premier + 1), std::string::npos);
    const std::string dossier = p.cache() + "/harmoniques/factorisations";
    struct stat s{};
    ASSERT_EQ(::stat(dossier.c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0700u);
    int fichiers = 0;
    for (const auto& f : std::filesystem::directory_iterator(dossier)) {
        ++fichiers;
        ASSERT_EQ(::stat(f.path().c_str(), &s), 0);
        EXPECT_EQ(s.st_mode & 07777, 0600u);
    }
    EXPECT_EQ(fichiers, 1);
}

TEST(Processus, UnCribleInterrompuReprendDansUneAutreSeance) {
    // H(170)'s sieve interrupted after a few seconds leaves its relations in
    // a journal of the cache (mode 0600); another session asked the same
    // goes on from them, gives P in full (P30 X P45, as PARI's factor gives
    // it) and removes the journal.
    Programme p;
    const std::vector<pid_t> fils = jusquAuCribleDe170(p);
    ASSERT_EQ(fils.size(), 1u);
    // The interrupt once the journal holds relations (its first write comes
    // two seconds into the sieve).
    const std::string dossier = p.cache() + "/harmoniques/releves";
    std::vector<std::filesystem::path> journaux;
    struct stat s{};
    const auto debut = Horloge::now();
    while (Horloge::now() - debut < std::chrono::seconds(60)) {
        journaux.clear();
        std::error_code erreur;
        for (const auto& f : std::filesystem::directory_iterator(dossier, erreur))
            if (f.path().filename().string()[0] != '.') journaux.push_back(f.path());
        if (journaux.size() == 1 && ::stat(journaux[0].c_str(), &s) == 0 && s.st_size > 10000) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    p.signal(SIGINT);
    ASSERT_TRUE(p.attendre(" chiffres non factorises]", 10));
    p.ecrire("0 0 0\n");
    p.attendreFin();
    ASSERT_EQ(journaux.size(), 1u);
    ASSERT_EQ(::stat(journaux[0].c_str(), &s), 0);
    EXPECT_EQ(s.st_mode & 07777, 0600u);
    EXPECT_GT(s.st_size, 10000);  // relations, beyond the header

    const std::string partage = p.cache();
    Programme reprise(false, [&] { ::setenv("XDG_CACHE_HOME", partage.c_str(), 1); });
    reprise.ecrire("1 0 170 2 3 20 10 1 1 0 0 0\n");
    reprise.attendreFin(480);  // under Debug, the generic path beside a busy core: 140 s
    EXPECT_NE(reprise.sortie.find("\n \n \t P =   (114373870824538049844014172217) X "
                                  "(693682802042178027329524517990799348376161997)\n"),
              std::string::npos)
        << apresLaPremiere(reprise.sortie, "P = ");
    EXPECT_TRUE(std::filesystem::is_empty(dossier));
}

TEST(Processus, SansCachePossibleRienNeChange) {
    // A cache that cannot be made (its folder under a file), or turned off:
    // the same bytes as with a cache, and nothing on standard error.
    const std::string reponses = "1 0 150 2 3 5 10 1 1 0 0\n";
    Programme avec;
    avec.ecrire(reponses);
    avec.fermerEntree();
    avec.attendreFin(100);
    for (const char* reglage : {"XDG_CACHE_HOME=/dev/null/cache", "HARMONIQUES_CACHE=non"}) {
        const std::string r = reglage;
        Programme sans(false, [r] {
            const std::size_t egal = r.find('=');
            ::setenv(r.substr(0, egal).c_str(), r.substr(egal + 1).c_str(), 1);
        });
        sans.ecrire(reponses);
        sans.fermerEntree();
        sans.attendreFin(100);
        EXPECT_EQ(sans.sortie, avec.sortie) << reglage;
        EXPECT_EQ(sans.erreur, "") << reglage;
    }
    EXPECT_NE(avec.sortie.find("P =   (151)^2 X (66359) X ("), std::string::npos);
}

TEST(Processus, SousUnePetitePileToutRepond) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's stack frames do not live under this limit";
#endif
    // ulimit -s 128: item 1 exact and factorised (a prime of 19 digits, in a
    // child), items 2, 4 and 5.
    Programme p(false, [] { limiter(RLIMIT_STACK, 128u << 10); });
    p.ecrire("1 0 60 2 3 20 10 1 1 0 0 2 0 7381 2520 0 4 1000 10 5 3 10 0\n");
    const int statut = p.attendreFin(120);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
    for (const char* texte : {"P =   (61)^2 X (2207) X (1840798551252069113)", "C'est une somme harmonique de 10 termes.",
                              "H(1000) =  7.485470860", "H(11)  =  3.0198773449  >=  H = 3"})
        EXPECT_NE(p.sortie.find(texte), std::string::npos) << texte;
}

TEST(Processus, LesSommesDeKempnerQuiTiennentSontDonnees) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory does not live under these limits";
#endif
    // Without 42 up to 6 10^6 under 300 MB of data (it takes about 80 MB),
    // and on from 3 10^6 to 6 10^6 under 300 MB of address space (about
    // 120 MB): answered, with the same bytes as without the limits.
    struct Cas {
        std::string reponses;
        int ressource;
    };
    for (const Cas& c : {Cas{"1 0 6000000 1 2 4 2 3 20 1000 0 0 0 0\n", RLIMIT_DATA},
                         Cas{"1 0 3000000 1 2 4 2 3 20 1000 0 1 6000000 1000 0 0 0 0\n", RLIMIT_AS}}) {
        Programme limite(false, [&] { limiter(c.ressource, 300000u << 10); }), libre;
        limite.ecrire(c.reponses);
        libre.ecrire(c.reponses);
        EXPECT_TRUE(WIFEXITED(limite.attendreFin()));
        libre.attendreFin();
        EXPECT_EQ(limite.sortie.find("depasse"), std::string::npos) << c.reponses;
        EXPECT_NE(limite.sortie.find("comporte  5607564  termes."), std::string::npos) << c.reponses;
        EXPECT_EQ(limite.sortie, libre.sortie) << c.reponses;
    }
}

TEST(Processus, UnNiveau2QuiNeTientPasEstRefuseAussitot) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizer's shadow memory does not live under this limit";
#endif
    // H(10^10) at 100,000 digits by digamma needs some 60 MB, and its sum
    // term by term would last days: under 50 MB of data it is refused at
    // once, with the estimate (more than the limit), not the memory left.
    Programme p(false, [] { limiter(RLIMIT_DATA, 50u << 20); });
    const auto t0 = Horloge::now();
    p.ecrire("1 0 10000000000 2 2 100000 0 0 0\n");
    ASSERT_TRUE(p.attendre("Ce calcul depasse les possibilites de la machine : il demanderait environ ", 10));
    EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 2.0);
    const int statut = p.attendreFin();
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 1) << statut;
    const std::string debut = "il demanderait environ ";
    const long mo = std::stol(p.sortie.substr(p.sortie.find(debut) + debut.size()));
    EXPECT_GT(mo, 55);
    EXPECT_LT(mo, 130);
}
