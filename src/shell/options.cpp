// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/options.h"

#include <NTL/version.h>

#include "commun/processeur.h"
#include <arb.h>
#include <flint/flint.h>
#include <gmp.h>
#include <mpfr.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>

#include <pari/pari.h>  // last: its macros stay out of the other headers

#ifndef HARMONIQUES_VERSION
#error "HARMONIQUES_VERSION comes from CMake's project version"
#endif

namespace harmo {

namespace {

// False when the text could not be written whole.
bool ecrireTout(int fd, const std::string& t) {
    const char* p = t.data();
    std::size_t reste = t.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, reste);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
    return true;
}

// The text of an option on standard output; when it cannot be written, a
// line on standard error and status 1, as the GNU programs do.
int afficher(const std::string& texte) {
    if (ecrireTout(1, texte)) return 0;
    const int erreur = errno;
    ecrireTout(2, std::string("harmoniques : erreur d'ecriture : ") + std::strerror(erreur) + "\n");
    return 1;
}

std::string versionPari() {
    const long c = paricfg_version_code;
    return std::to_string(c >> 16) + "." + std::to_string((c >> 8) & 255) + "." + std::to_string(c & 255);
}

std::string texteAide() {
    return "Usage : harmoniques [--help | --version]\n"
           "\n"
           "Calcul exact et approche des sommes harmoniques H(N) = 1 + 1/2 + ... + 1/N,\n"
           "dialogue en francais au terminal. Au menu :\n"
           "  1  H(N), ses variantes impaire et paire, et les sommes de Kempner : nombre de\n"
           "     termes, valeur approchee, fraction P/Q reduite et sa factorisation\n"
           "  2  savoir si une fraction P/Q est une somme harmonique, sinon le reste\n"
           "  3  explications\n"
           "  4  H(N) pour tout N par le developpement d'Euler-Mascheroni\n"
           "  5  les deux N consecutifs dont les sommes encadrent une valeur H\n"
           "  0  fin\n"
           "\n"
           "Options :\n"
           "  -h, --help     affiche cette aide et termine\n"
           "  -V, --version  affiche la version du programme et des bibliotheques, et termine\n"
           "\n"
           "Les reponses sont des mots separes par des blancs ; on peut les taper d'avance\n"
           "sur une ligne, ou les donner par un tube :\n"
           "  printf '1 0 10 2 3 20 3 1 1 0 0 0' | harmoniques\n"
           "Un fichier redirige (< fichier) est saute : passer par cat fichier | harmoniques.\n"
           "\n"
           "Ctrl-C arrete l'etape en cours, jamais le travail fait : une factorisation\n"
           "donne les facteurs trouves, une continuation revient a sa question, ailleurs\n"
           "le menu revient ; pendant une question, il la repose si l'entree est un\n"
           "terminal, et termine le programme sinon.\n"
           "\n"
           "Code de retour : 1 a la fin du dialogue (choix 0, fin de l'entree, sortie\n"
           "fermee), 0 apres --help ou --version, 2 pour un argument inconnu, 130 (SIGINT)\n"
           "pour un Ctrl-C a une question quand l'entree n'est pas un terminal.\n"
           "\n"
           "Limites : reponses de 99 999 caracteres au plus ; sommes exactes et valeurs\n"
           "approchees refusees d'avance quand elles ne tiennent pas en memoire ; niveau 2\n"
           "a tout N, 1 000 000 de chiffres au plus ; items 4 et 5 : 200 000 decimales.\n"
           "\n"
           "Environnement : HARMONIQUES_ISA=avx512, avx2 ou generic limite les instructions\n"
           "que le crible quadratique emploie (par defaut, tout ce qu'offre le processeur).\n"
           "\n"
           "Manuel : man harmoniques. Historique des reponses au terminal :\n"
           "$XDG_STATE_HOME/harmoniques/historique (~/.local/state/harmoniques/historique).\n";
}

std::string texteVersion() {
    return std::string("harmoniques ") + HARMONIQUES_VERSION + "\n" + "NTL " + NTL_VERSION + ", GMP " + gmp_version +
           ", MPFR " + mpfr_get_version() + ", FLINT " + flint_version + ", Arb " + arb_version + ", PARI " +
           versionPari() + "\n" + "Instructions du crible : " + nomDuJeu(jeuDInstructions()) + " (processeur : " +
           nomDuJeu(jeuDuProcesseur()) + ")\n" +
           "Licence GPL-3.0-or-later : GNU GPL version 3 ou ulterieure <https://gnu.org/licenses/gpl.html>.\n";
}

}  // namespace

int traiterOptions(int argc, char** argv) {
    if (argc <= 1) return -1;
    auto est = [](const char* a, const char* court, const char* longue) {
        return std::strcmp(a, court) == 0 || std::strcmp(a, longue) == 0;
    };
    const bool aide = est(argv[1], "-h", "--help"), version = est(argv[1], "-V", "--version");
    if (argc == 2 && aide) return afficher(texteAide());
    if (argc == 2 && version) return afficher(texteVersion());
    // The first argument that is not one of ours (after a good option, the next one).
    const char* inconnu = aide || version ? argv[2] : argv[1];
    ecrireTout(2, std::string("harmoniques : argument inconnu : ") + inconnu + " (harmoniques --help pour l'usage)\n");
    return statutOption;
}

}  // namespace harmo
