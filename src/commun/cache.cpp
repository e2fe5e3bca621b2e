// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

namespace harmo {

namespace {

// A folder of the user's that no one else may write in.
bool dossierSur(const std::string& chemin) {
    struct stat s{};
    if (::lstat(chemin.c_str(), &s) != 0 || !S_ISDIR(s.st_mode)) return false;
    return s.st_uid == ::geteuid() && (s.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool creerSiAbsent(const std::string& chemin) {
    if (::mkdir(chemin.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return dossierSur(chemin);
}

bool nomPermis(const std::string& nom) {
    return !nom.empty() && nom.find('/') == std::string::npos && nom != "." && nom != ".." && nom[0] != '.';
}

}  // namespace

bool creerDossiers(const std::string& chemin) {
    for (std::size_t i = 1; i <= chemin.size(); ++i)
        if (i == chemin.size() || chemin[i] == '/')
            if (::mkdir(chemin.substr(0, i).c_str(), 0700) != 0 && errno != EEXIST) return false;
    return true;
}

std::string dossierDuCache(const std::string& sous) {
    if (!nomPermis(sous)) return "";
    const char* reglage = std::getenv("HARMONIQUES_CACHE");
    if (reglage && std::string(reglage) == "non") return "";
    std::string racine;
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') {
        racine = cache;
    } else {
        const char* maison = std::getenv("HOME");
        if (!maison || maison[0] != '/') return "";
        racine = std::string(maison) + "/.cache";
    }
    if (!creerDossiers(racine)) return "";
    const std::string programme = racine + "/harmoniques";
    const std::string dossier = programme + "/" + sous;
    if (!creerSiAbsent(programme) || !creerSiAbsent(dossier)) return "";
    return dossier;
}

std::optional<std::string> lireDansLeCache(const std::string& dossier, const std::string& nom, std::size_t maximum) {
    if (dossier.empty() || !nomPermis(nom)) return std::nullopt;
    const int fd = ::open((dossier + "/" + nom).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat s{};
    std::optional<std::string> contenu;
    if (::fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_uid == ::geteuid() &&
        static_cast<std::size_t>(s.st_size) <= maximum) {
        std::string t(static_cast<std::size_t>(s.st_size), '\0');
        std::size_t lus = 0;
        while (lus < t.size()) {
            const ssize_t n = ::read(fd, &t[lus], t.size() - lus);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            lus += static_cast<std::size_t>(n);
        }
        if (lus == t.size()) contenu = std::move(t);
    }
    ::close(fd);
    return contenu;
}

bool ecrireDansLeCache(const std::string& dossier, const std::string& nom, const std::string& contenu) {
    if (dossier.empty() || !nomPermis(nom)) return false;
    std::random_device alea;
    const std::string temporaire = dossier + "/." + nom + "." + std::to_string(::getpid()) + "." + std::to_string(alea());
    const int fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t ecrits = 0;
    while (ecrits < contenu.size()) {
        const ssize_t n = ::write(fd, contenu.data() + ecrits, contenu.size() - ecrits);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        ecrits += static_cast<std::size_t>(n);
    }
    const bool entier = ecrits == contenu.size();
    const bool ferme = ::close(fd) == 0;
    if (!entier || !ferme || ::rename(temporaire.c_str(), (dossier + "/" + nom).c_str()) != 0) {
        ::unlink(temporaire.c_str());
        return false;
    }
    return true;
}

void bornerLeCache(const std::string& dossier, double octets) {
    if (dossier.empty()) return;
    DIR* d = ::opendir(dossier.c_str());
    if (!d) return;
    struct Fichier {
        std::string nom;
        long long date;
        double taille;
    };
    std::vector<Fichier> fichiers;
    double total = 0;
    while (const dirent* e = ::readdir(d)) {
        struct stat s{};
        if (::fstatat(::dirfd(d), e->d_name, &s, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(s.st_mode)) continue;
        fichiers.push_back({e->d_name, static_cast<long long>(s.st_mtim.tv_sec) * 1000000000LL + s.st_mtim.tv_nsec,
                            static_cast<double>(s.st_size)});
        total += static_cast<double>(s.st_size);
    }
    if (total > octets) {
        std::sort(fichiers.begin(), fichiers.end(), [](const Fichier& a, const Fichier& b) { return a.date < b.date; });
        for (const Fichier& f : fichiers) {
            if (total <= octets) break;
            if (::unlinkat(::dirfd(d), f.nom.c_str(), 0) == 0) total -= f.taille;
        }
    }
    ::closedir(d);
}

}  // namespace harmo
