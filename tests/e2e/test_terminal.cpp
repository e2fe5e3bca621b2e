// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a pseudo-terminal, as a person runs it: editing and
// history, Ctrl-C at a question, the terminal's modes on every exit, Ctrl-Z
// and fg, resizes, and a progress line that leaves nothing on the screen
// (a small terminal model renders what the program wrote).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <utmp.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Horloge = std::chrono::steady_clock;

double depuis(Horloge::time_point t0) { return std::chrono::duration<double>(Horloge::now() - t0).count(); }

// The program on a pseudo-terminal: every stream on the terminal, keys
// typed on its master side. With groupeAPart, it runs as a shell runs a job:
// in a process group of its own, in the foreground, its parent beside it
// (Ctrl-Z can stop such a group, not an orphaned one).
class Terminal {
public:
    explicit Terminal(const std::string& etat, int colonnes = 200, bool groupeAPart = false) {
        winsize w{};
        w.ws_col = static_cast<unsigned short>(colonnes);
        w.ws_row = 40;
        int esclave = -1;
        EXPECT_EQ(::openpty(&maitre_, &esclave, nullptr, nullptr, &w), 0);
        ::tcgetattr(esclave, &modesDeDepart);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(maitre_);
            ::login_tty(esclave);
            ::setenv("XDG_STATE_HOME", etat.c_str(), 1);
            ::setenv("XDG_CACHE_HOME", etat.c_str(), 1);  // every run computes from nothing
            ::setenv("TERM", "xterm", 1);
            if (groupeAPart) {
                std::signal(SIGTTOU, SIG_IGN);
                const pid_t p = ::fork();
                if (p == 0) {
                    ::setpgid(0, 0);
                    ::tcsetpgrp(0, ::getpid());
                    std::signal(SIGTTOU, SIG_DFL);
                    ::execl(HARMONIQUES, HARMONIQUES, static_cast<char*>(nullptr));
                    ::_exit(127);
                }
                int s = 0;
                while (::waitpid(p, &s, 0) < 0) {
                }
                ::_exit(WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s));
            }
            ::execl(HARMONIQUES, HARMONIQUES, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        esclave_ = esclave;  // kept open: the terminal's modes stay readable after the end
    }
    ~Terminal() {
        if (pid_ > 0) {
            const pid_t p = programme();
            if (p > 0 && p != pid_) ::kill(p, SIGKILL);
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(maitre_);
        ::close(esclave_);
    }
    // The program's process (the child, or its child with groupeAPart).
    pid_t programme() const {
        std::ifstream f("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/children");
        pid_t enfant = 0;
        return f >> enfant ? enfant : pid_;
    }
    // What a shell writes on the terminal while the program is stopped.
    void ecrireCommeLeShell(const std::string& texte) {
        ASSERT_EQ(::write(esclave_, texte.data(), texte.size()), static_cast<ssize_t>(texte.size()));
    }
    void taper(const std::string& touches) {
        for (char c : touches) {
            ASSERT_EQ(::write(maitre_, &c, 1), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // Reads until the screen's bytes hold texte past position depuis.
    bool attendre(const std::string& texte, double secondes, std::size_t depuis = 0) {
        const auto fin = Horloge::now() + std::chrono::duration<double>(secondes);
        while (ecran.find(texte, depuis) == std::string::npos) {
            if (Horloge::now() > fin) return false;
            lire(50);
        }
        return true;
    }
    void lire(int ms) {
        pollfd p{maitre_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return;
        char bloc[65536];
        const ssize_t n = ::read(maitre_, bloc, sizeof bloc);
        if (n > 0) ecran.append(bloc, static_cast<std::size_t>(n));
    }
    int statut(double secondes = 20) {
        const auto fin = Horloge::now() + std::chrono::duration<double>(secondes);
        int s = -1;
        while (Horloge::now() < fin) {
            lire(50);
            if (::waitpid(pid_, &s, WNOHANG) == pid_) {
                pid_ = -1;
                return s;
            }
        }
        return -1;
    }
    void redimensionner(int colonnes) {
        winsize w{};
        w.ws_col = static_cast<unsigned short>(colonnes);
        w.ws_row = 40;
        ::ioctl(maitre_, TIOCSWINSZ, &w);  // the kernel sends SIGWINCH to the foreground
    }
    termios modes() const {
        termios t{};
        ::tcgetattr(esclave_, &t);
        return t;
    }
    std::string ecran;
    termios modesDeDepart{};

private:
    pid_t pid_ = -1;
    int maitre_ = -1, esclave_ = -1;
};

bool memesModes(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag;
}

// The state letter of a process in /proc ('\0' when it is gone).
char etatDe(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string ligne;
    if (!std::getline(f, ligne)) return '\0';
    return ligne.size() > ligne.rfind(')') + 2 ? ligne[ligne.rfind(')') + 2] : '\0';
}

// What a person sees: the bytes rendered on a screen of the given width
// (cursor moves, erasures, wraps and scrolls as xterm does them; other
// sequences ignored), the lines that scrolled off kept above.
std::vector<std::string> rendu(const std::string& octets, int largeur, int hauteur = 40) {
    std::vector<std::string> histoire, ecran(static_cast<std::size_t>(hauteur), std::string());
    int l = 0, c = 0;
    bool auBord = false;
    int sl = 0, sc = 0;
    auto ligne = [&]() -> std::string& {
        std::string& s = ecran[static_cast<std::size_t>(l)];
        if (static_cast<int>(s.size()) < largeur) s.resize(static_cast<std::size_t>(largeur), ' ');
        return s;
    };
    auto descendre = [&] {
        if (++l == hauteur) {
            histoire.push_back(ecran.front());
            ecran.erase(ecran.begin());
            ecran.emplace_back();
            l = hauteur - 1;
        }
    };
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const char x = octets[i];
        if (x == '\033' && i + 1 < octets.size()) {
            const char y = octets[i + 1];
            if (y == '7' || y == '8') {
                if (y == '7') sl = l, sc = c; else l = sl, c = sc;
                auBord = false;
                ++i;
                continue;
            }
            if (y != '[') { ++i; continue; }
            std::size_t j = i + 2;
            std::string param;
            while (j < octets.size() && !(octets[j] >= '@' && octets[j] <= '~')) param += octets[j++];
            const char fin = j < octets.size() ? octets[j] : 0;
            const int n = param.empty() || param[0] == '?' ? 1 : std::max(1, std::atoi(param.c_str()));
            const int n0 = param.empty() ? 0 : std::atoi(param.c_str());
            switch (fin) {
                case 'D': c = std::max(0, c - n); auBord = false; break;
                case 'C': c = std::min(largeur - 1, c + n); auBord = false; break;
                case 'A': l = std::max(0, l - n); break;
                case 'B': l = std::min(hauteur - 1, l + n); break;
                case 'G': c = std::min(largeur - 1, n - 1); break;
                case 'K': ligne().replace(static_cast<std::size_t>(c), std::string::npos, static_cast<std::size_t>(largeur - c), ' '); break;
                case 'J':
                    if (n0 == 0) {
                        ligne().replace(static_cast<std::size_t>(c), std::string::npos, static_cast<std::size_t>(largeur - c), ' ');
                        for (int k = l + 1; k < hauteur; ++k) ecran[static_cast<std::size_t>(k)].clear();
                    }
                    break;
                default: break;
            }
            i = j;
            continue;
        }
        if (x == '\r') { c = 0; auBord = false; continue; }
        if (x == '\n') { descendre(); auBord = false; continue; }
        if (x == '\b') { c = std::max(0, c - 1); auBord = false; continue; }
        if (x == '\t') { c = std::min(largeur - 1, (c / 8 + 1) * 8); continue; }
        if (x == '\a' || static_cast<unsigned char>(x) < 32) continue;
        if (auBord) { c = 0; descendre(); auBord = false; }
        ligne()[static_cast<std::size_t>(c)] = x;
        if (c == largeur - 1) auBord = true; else ++c;
    }
    for (std::string& s : ecran) histoire.push_back(s);
    for (std::string& s : histoire) s.erase(s.find_last_not_of(' ') + 1);
    return histoire;
}

struct DossierTemporaire {
    DossierTemporaire() {
        char modele[] = "/tmp/harmoniques-etat-XXXXXX";
        chemin = ::mkdtemp(modele);
    }
    ~DossierTemporaire() { std::system(("rm -rf '" + chemin + "'").c_str()); }
    std::string chemin;
};

// The last keys of a dialogue: the program ends as at the menu's 0 (status 1).
void terminer(Terminal& t, const std::string& touches) {
    t.taper(touches);
    const int s = t.statut();
    EXPECT_TRUE(WIFEXITED(s) && WEXITSTATUS(s) == 1) << s;
}

const std::string menuChoix = "Quel est votre choix ? : ";

// Item 1 with the answers given, up to the factorisation of P: the
// position of "P = " on the screen's bytes (npos when it did not come).
std::size_t jusquALaFactorisation(Terminal& t, const std::string& reponses) {
    if (!t.attendre(menuChoix, 10)) return std::string::npos;
    t.taper(reponses + "\r");
    if (!t.attendre("P = ", 30)) return std::string::npos;
    return t.ecran.find("P = ");
}

}  // namespace

TEST(Terminal, EditionEtHistoriqueEntreDeuxSeances) {
    DossierTemporaire etat;
    {
        Terminal t(etat.chemin);
        ASSERT_TRUE(t.attendre(menuChoix, 10));
        // 105, Left, Backspace: 15.
        t.taper("1\r0\r105\x1b[D\x7f\r2\r1\r");
        ASSERT_TRUE(t.attendre("de dernier terme  1/15  comporte 15  termes.", 10)) << t.ecran;
        t.taper("0\r0\r");
        const std::size_t avant = t.ecran.size();
        ASSERT_TRUE(t.attendre(menuChoix, 10, avant));
        // Up brings back the last line, "0": the program ends.
        terminer(t, "\x1b[A\r");
    }
    std::ifstream f(etat.chemin + "/harmoniques/historique");
    std::stringstream lignes;
    lignes << f.rdbuf();
    EXPECT_EQ(lignes.str(), "1\n0\n15\n2\n1\n0\n0\n0\n");
    // A new run: the first Up finds the last line of the one before.
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    terminer(t, "\x1b[A\r");
}

TEST(Terminal, SansHistoriquePossibleRienNeChange) {
    Terminal t("/proc/harmoniques-impossible");
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("3\r");
    ASSERT_TRUE(t.attendre("LA PREMIERE PARTIE", 10));
    terminer(t, "0\r");
}

TEST(Terminal, CtrlCAUneQuestionLaReposeEtCtrlDTermine) {
    DossierTemporaire etat;
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1\r0\r");
    ASSERT_TRUE(t.attendre("Valeur de N  ? :  ", 10));
    const std::size_t avant = t.ecran.size();
    t.taper("12\x03");
    // The question again, on a new line; the session goes on.
    ASSERT_TRUE(t.attendre("Valeur de N  ? :  ", 10, avant)) << t.ecran.substr(avant);
    EXPECT_LT(t.ecran.find('\n', avant), t.ecran.find("Valeur de N  ? :  ", avant));
    t.taper("7\r2\r1\r");
    ASSERT_TRUE(t.attendre("de dernier terme  1/7  comporte 7  termes.", 10)) << t.ecran.substr(avant);
    t.taper("0\r0\r");
    ASSERT_TRUE(t.attendre(menuChoix, 10, avant));
    terminer(t, "\x04");
}

TEST(Terminal, UneFactorisationHorsDePorteeLeDitEtCtrlCGardeLesFacteurs) {
    // The numerator of the sum without 42 up to 1000 (432 digits) leaves a
    // composite of more than 400 digits: the progress line says it is beyond
    // reach of the sieve, and ECM's level, within two seconds; Ctrl-C then
    // gives what was found, Q, and the
    // continuation question.
    DossierTemporaire etat;
    Terminal t(etat.chemin);
    const std::size_t p = jusquALaFactorisation(t, "1 0 1000 1 2 4 2 3 5 10 1 1");
    ASSERT_NE(p, std::string::npos);
    const auto t0 = Horloge::now();
    ASSERT_TRUE(t.attendre(" chiffres) ; Ctrl-C garde les facteurs trouves, 2 premiers trouves, 1 s", 5, p)) << t.ecran.substr(p);
    EXPECT_NE(t.ecran.find("chiffres, hors de portee du crible, ECM (facteurs de ", p), std::string::npos);
    EXPECT_LT(std::chrono::duration<double>(Horloge::now() - t0).count(), 2.0);
    EXPECT_NE(t.ecran.find("factorisation de P : reste compose de 4", p), std::string::npos);
    t.taper("\x03");
    ASSERT_TRUE(t.attendre("chiffres non factorises]", 5, p));
    ASSERT_TRUE(t.attendre("Q =   (2)^", 5, p));
    ASSERT_TRUE(t.attendre("Voulez vous continuer pour une plus grande valeur de N ?", 5, p));
    EXPECT_EQ(t.ecran.find("Calcul interrompu.", p), std::string::npos);
    terminer(t, "\x04");
}

TEST(Terminal, LesModesReviennentQuoiQuiTermineLeProgramme) {
    // A signal at a question (the editor's modes), and the end of the
    // dialogue after a computation (no echo then): the modes of the start,
    // and the same status as the signal gives.
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT}) {
        DossierTemporaire etat;
        Terminal t(etat.chemin);
        ASSERT_TRUE(t.attendre(menuChoix, 10));
        t.taper("1\r0\r12");
        ASSERT_TRUE(t.attendre("Valeur de N  ? :  12", 10));
        ::kill(t.programme(), sig);
        const int s = t.statut();
        EXPECT_TRUE(WIFSIGNALED(s) && WTERMSIG(s) == sig) << sig << " " << s;
        EXPECT_TRUE(memesModes(t.modes(), t.modesDeDepart)) << sig;
    }
    DossierTemporaire etat;
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("3\r");
    ASSERT_TRUE(t.attendre("LA PREMIERE PARTIE", 10));
    terminer(t, "0\r");
    EXPECT_TRUE(memesModes(t.modes(), t.modesDeDepart));
}

TEST(Terminal, CtrlZPuisFgRedessineLaQuestion) {
    // Ctrl-Z at a question stops the program with the terminal as it was;
    // SIGCONT (fg) draws the question and the line again, and editing goes
    // on: 12, Left, Backspace, 5 is 52.
    DossierTemporaire etat;
    Terminal t(etat.chemin, 200, true);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1\r0\r12");
    ASSERT_TRUE(t.attendre("Valeur de N  ? :  12", 10));
    const pid_t p = t.programme();
    t.taper("\x1a");
    const auto t0 = Horloge::now();
    while (etatDe(p) != 'T' && depuis(t0) < 5) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(etatDe(p), 'T');
    EXPECT_TRUE(memesModes(t.modes(), t.modesDeDepart));
    const std::size_t avant = t.ecran.size();
    ::kill(p, SIGCONT);
    ASSERT_TRUE(t.attendre("Valeur de N  ? :  12", 5, avant)) << t.ecran.substr(avant);
    t.taper("\x1b[D\x7f" "5\r2\r1\r");
    ASSERT_TRUE(t.attendre("de dernier terme  1/52  comporte 52  termes.", 10)) << t.ecran.substr(avant);
    terminer(t, "0\r0\r0\r");
}

TEST(Terminal, LeCribleMontreSaPartEtLeTempsRestantSurUnEcranEtroit) {
    // H(170)'s 74-digit cofactor goes to the sieve. At 60 and 80 columns,
    // after "P =   ", the share and the time left show, the line never
    // reaches the last column; Ctrl-C then keeps what was found.
    for (int largeur : {60, 80}) {
        DossierTemporaire etat;
        Terminal t(etat.chemin, largeur);
        const std::size_t p = jusquALaFactorisation(t, "1 0 170 2 3 5 10 1 1");
        ASSERT_NE(p, std::string::npos);
        if (!t.attendre(", encore ", 90, p)) {
            // The sieve was over before its time left was known (a fast machine).
            ASSERT_NE(t.ecran.find("Q = ", p), std::string::npos) << t.ecran.substr(p);
        } else {
            t.lire(100);
            const std::vector<std::string> lignes = rendu(t.ecran, largeur);
            bool vu = false;
            for (const std::string& l : lignes) {
                if (l.find("P =   ") == std::string::npos) continue;
                EXPECT_LT(l.size(), static_cast<std::size_t>(largeur)) << l;  // the dialogue's text is the full lines
                if (l.find(" %, ") != std::string::npos && l.find(", encore ") != std::string::npos) vu = true;
            }
            EXPECT_TRUE(vu) << largeur;
            t.taper("\x03");
        }
        ASSERT_TRUE(t.attendre("Voulez vous continuer pour une plus grande valeur de N ?", 90, p));
        terminer(t, "0\r0\r0\r");
    }
}

namespace {

// Ctrl-Z, the lines a shell writes while the program is stopped, then fg
// (SIGCONT to the whole group), until attendu comes past avant.
void ctrlZPuisFg(Terminal& t, const std::string& attendu, std::size_t avant) {
    const pid_t prog = t.programme();
    t.taper("\x1a");
    const auto t0 = Horloge::now();
    while (etatDe(prog) != 'T' && depuis(t0) < 5) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(etatDe(prog), 'T');
    t.lire(100);
    t.ecrireCommeLeShell("^Z\r\n[1]+  Stoppe                 harmoniques\r\n$ fg\r\nharmoniques\r\n");
    ::kill(-prog, SIGCONT);
    EXPECT_TRUE(t.attendre(attendu, 60, avant)) << t.ecran.substr(avant);
    t.lire(200);
}

// The rendered screen's lines after the shell's "harmoniques" (none when
// it is not there).
std::vector<std::string> lignesApresFg(const Terminal& t) {
    const std::vector<std::string> lignes = rendu(t.ecran, 200);
    std::size_t fg = lignes.size();
    for (std::size_t i = 0; i < lignes.size(); ++i)
        if (lignes[i] == "harmoniques") fg = i;
    return fg < lignes.size() ? std::vector<std::string>(lignes.begin() + static_cast<std::ptrdiff_t>(fg) + 1, lignes.end())
                              : std::vector<std::string>{};
}

}  // namespace

TEST(Terminal, CtrlZPuisFgPendantUneFactorisationGardeLeDialogue) {
    // Stopped while the numerator of the sum without 42 up to 1000 is
    // factored (its last part is beyond reach), then continued: the
    // progress text has gone before the stop, the dialogue's line comes
    // again, and what Ctrl-C keeps follows it on that line.
    DossierTemporaire etat;
    Terminal t(etat.chemin, 200, true);
    const std::size_t p = jusquALaFactorisation(t, "1 0 1000 1 2 4 2 3 5 10 1 1");
    ASSERT_NE(p, std::string::npos);
    ASSERT_TRUE(t.attendre("2 premiers trouves", 10, p));
    ctrlZPuisFg(t, "2 premiers trouves", t.ecran.size());
    t.taper("\x03");
    ASSERT_TRUE(t.attendre("Voulez vous continuer pour une plus grande valeur de N ?", 30, p)) << t.ecran.substr(p);
    const std::vector<std::string> apres = lignesApresFg(t);
    ASSERT_FALSE(apres.empty());
    EXPECT_EQ(apres[0].rfind("         P =   (", 0), 0u) << apres[0];
    EXPECT_NE(apres[0].find(" chiffres non factorises]"), std::string::npos) << apres[0];
    for (const std::string& l : rendu(t.ecran, 200)) EXPECT_EQ(l.find("factorisation de P"), std::string::npos) << l;
    terminer(t, "0\r0\r0\r");
}

TEST(Terminal, CtrlZPuisFgPendantUneSommeExacteGardeLesTouchesTapees) {
    // Exact H(10^7) (seconds), a key typed ahead, then Ctrl-Z and fg: the
    // dialogue's line comes again after the shell's lines, the sum follows,
    // and the key comes with the next question.
    DossierTemporaire etat;
    Terminal t(etat.chemin, 200, true);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1 0 10000000 2 3 10 1000\r");
    ASSERT_TRUE(t.attendre(" %, ", 30));
    t.taper("0");  // typed ahead: the answer to the question after the sum
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ctrlZPuisFg(t, "Voulez vous afficher la fraction P/Q simplifiee ,   Oui[1] / Non[0] ? : 0", t.ecran.size());
    const std::vector<std::string> apres = lignesApresFg(t);
    ASSERT_FALSE(apres.empty());
    EXPECT_EQ(apres[0].rfind("         Nombre de termes dans un paquet  ? :", 0), 0u) << apres[0];
    for (const std::string& l : apres) EXPECT_EQ(l.find(" %, "), std::string::npos) << l;
    terminer(t, "\r0\r0\r0\r");
}

TEST(Terminal, UnSignalDeFinNeLaissePasLAvancementALEcran) {
    // SIGTERM, SIGHUP, SIGQUIT during a factorisation whose progress shows:
    // the program ends by that signal and the screen holds no progress text.
    for (int sig : {SIGTERM, SIGHUP, SIGQUIT}) {
        DossierTemporaire etat;
        Terminal t(etat.chemin, 200, true);
        const std::size_t p = jusquALaFactorisation(t, "1 0 170 2 3 5 10 1 1");
        ASSERT_NE(p, std::string::npos);
        ASSERT_TRUE(t.attendre("factorisation de P", 30, p));
        ::kill(t.programme(), sig);
        t.lire(500);
        for (const std::string& l : rendu(t.ecran, 200))
            EXPECT_EQ(l.find("factorisation de P"), std::string::npos) << sig << ": " << l;
    }
}

TEST(Terminal, UnFilsDeFactorisationTueGardeLesPremiersTrouves) {
    // The factorisation's child killed (SIGKILL, as the kernel does when
    // memory runs out) once it has handed over two primes of the numerator
    // of the sum without 42 up to 1000: those primes are shown, the cofactor
    // left by its size, the reason, then Q and the continuation question.
    DossierTemporaire etat;
    Terminal t(etat.chemin, 200, true);
    const std::size_t p = jusquALaFactorisation(t, "1 0 1000 1 2 4 2 3 5 10 1 1");
    ASSERT_NE(p, std::string::npos);
    ASSERT_TRUE(t.attendre("2 premiers trouves", 10, p));
    std::ifstream enfants("/proc/" + std::to_string(t.programme()) + "/task/" + std::to_string(t.programme()) + "/children");
    pid_t fils = 0;
    ASSERT_TRUE(enfants >> fils);
    ::kill(fils, SIGKILL);
    ASSERT_TRUE(t.attendre("Voulez vous continuer pour une plus grande valeur de N ?", 30, p)) << t.ecran.substr(p);
    const std::string fin = t.ecran.substr(t.ecran.find("\033[J  (", p) + 3);
    EXPECT_EQ(fin.rfind("  (", 0), 0u) << fin;
    EXPECT_NE(fin.find(") X (", 0), std::string::npos) << fin;
    EXPECT_NE(fin.find(") X [4"), std::string::npos) << fin;
    EXPECT_NE(fin.find(" chiffres non factorises] \r\n \t Factorisation arretee : memoire insuffisante. \r\n"),
              std::string::npos) << fin;
    EXPECT_NE(fin.find("Q =   (2)^"), std::string::npos) << fin;
    EXPECT_EQ(fin.find("Calcul impossible"), std::string::npos) << fin;
    terminer(t, "0\r0\r0\r");
}

TEST(Terminal, UnRedimensionnementPendantLeCalculDessineLaQuestionUneFois) {
    // Keys typed ahead during exact H(10^7), the window from 100 to 80
    // columns meanwhile: the next question (81 columns on its line) is drawn
    // once, the keys after it.
    DossierTemporaire etat;
    Terminal t(etat.chemin, 100);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1 0 10000000 2 3 10 1000\r");
    ASSERT_TRUE(t.attendre(" %, ", 30));
    t.taper("0 0");
    t.redimensionner(80);
    ASSERT_TRUE(t.attendre("Voulez vous afficher la fraction P/Q simplifiee", 120));
    t.lire(500);
    int questions = 0;
    for (const std::string& l : rendu(t.ecran, 80))
        if (l.find("Voulez vous afficher la fraction") != std::string::npos) ++questions;
    EXPECT_EQ(questions, 1) << t.ecran;
    terminer(t, "\r0\r0\r0\r");
}

TEST(Terminal, UnRedimensionnementALaQuestion) {
    // 123 typed, the window from 200 to 60 columns, then Ctrl-A 9: 9123.
    DossierTemporaire etat;
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1\r0\r123");
    ASSERT_TRUE(t.attendre("Valeur de N  ? :  123", 10));
    t.redimensionner(60);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    t.taper("\x01" "9\r2\r1\r");
    ASSERT_TRUE(t.attendre("de dernier terme  1/9123  comporte 9123  termes.", 10)) << t.ecran;
    terminer(t, "0\r0\r0\r");
}

TEST(Terminal, AucunCtrlCNEstPerduAUneQuestion) {
    // SIGINT at random instants at a question: asked again every time.
    DossierTemporaire etat;
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1\r0\r");
    const std::string question = "Valeur de N  ? :  ";
    ASSERT_TRUE(t.attendre(question, 10));
    std::mt19937 alea(5);
    double pire = 0;
    for (int k = 0; k < 30; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(alea() % 60));
        const std::size_t avant = t.ecran.size();
        const auto t0 = Horloge::now();
        ::kill(t.programme(), SIGINT);
        ASSERT_TRUE(t.attendre(question, 5, avant)) << k;
        pire = std::max(pire, depuis(t0));
    }
    EXPECT_LT(pire, 0.5);
    terminer(t, "7\r2\r1\r0\r0\r0\r");
}

TEST(Terminal, LAvancementSeVoitPourToutCalculDePlusDUneSeconde) {
    // Level 2 by digamma at 100,000 digits, in a child process.
    DossierTemporaire etat;
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1 0 1000000000000000 2 2 100000\r");
    const auto t0 = Horloge::now();
    ASSERT_TRUE(t.attendre("valeur approchee : somme harmonique par digamma, 1 s", 10)) << t.ecran;
    EXPECT_LT(depuis(t0), 2.5);
}

TEST(Terminal, LAvancementNeLaisseRienALEcran) {
    // 120 columns: answers typed ahead on one line, the last question's line
    // long (97 characters), a level-2 sum of some seconds with its progress,
    // keys typed meanwhile, then a shrink of the window while the progress
    // shows. Rendered, the screen holds no progress text, and the keys typed
    // ahead come with the next question.
    DossierTemporaire etat;
    Terminal t(etat.chemin, 120);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1\r");
    ASSERT_TRUE(t.attendre("Indifferente (cas normal) [0] : ", 10));
    t.taper("0 500000 1 2 4 2 2 20000\r");
    // 20 columns after the question: the share and the time spent, no words.
    ASSERT_TRUE(t.attendre(" %, 1 s", 10));
    t.taper("0 0");
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const std::size_t avantRedim = t.ecran.size();
    t.redimensionner(110);
    ASSERT_TRUE(t.attendre(" %, ", 10, avantRedim));
    ASSERT_TRUE(t.attendre("Voulez vous continuer pour une plus grande valeur de N ? Oui [1] , Non [0] : 0 0", 60));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    t.lire(50);
    // Width 120 until the shrink, 110 after: rendered at 110, the screen
    // after the shrink (xterm does not reflow) is that of the bytes.
    const std::vector<std::string> lignes = rendu(t.ecran, 120);
    int questions = 0;
    for (const std::string& l : lignes) {
        EXPECT_EQ(l.find("somme terme"), std::string::npos) << l;
        EXPECT_EQ(l.find(" %"), std::string::npos) << l;
        if (l.find("Voulez vous continuer") != std::string::npos) ++questions;
    }
    EXPECT_EQ(questions, 1);
    EXPECT_NE(lignes.size(), 0u);
}

TEST(Terminal, UnHistoriqueQuiEstUnTubeNommeNeBloquePas) {
    DossierTemporaire etat;
    ::mkdir((etat.chemin + "/harmoniques").c_str(), 0700);
    ASSERT_EQ(::mkfifo((etat.chemin + "/harmoniques/historique").c_str(), 0600), 0);
    Terminal t(etat.chemin);
    ASSERT_TRUE(t.attendre(menuChoix, 10));
    t.taper("1\r0\r7\r2\r1\r");
    ASSERT_TRUE(t.attendre("de dernier terme  1/7  comporte 7  termes.", 10));
    terminer(t, "0\r0\r0\r");
}
