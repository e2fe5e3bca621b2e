// SPDX-License-Identifier: GPL-3.0-or-later
#include "commun/cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

// A name of its own for a temporary file of the folder.
std::string nomTemporaire(const std::string& dossier, const std::string& nom) {
    std::random_device alea;
    return dossier + "/." + nom + "." + std::to_string(::getpid()) + "." + std::to_string(alea());
}

bool toutEcrire(int fd, const std::string& octets) {
    std::size_t ecrits = 0;
    while (ecrits < octets.size()) {
        const ssize_t n = ::write(fd, octets.data() + ecrits, octets.size() - ecrits);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        ecrits += static_cast<std::size_t>(n);
    }
    return true;
}

// The file nom of the folder, opened without following a link, with the
// lock taken (then true) or found held by another session (false). -1
// when it cannot be opened.
int ouvrirSiLibre(int dossier, const char* nom, bool& libre) {
    const int fd = ::openat(dossier, nom, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) libre = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    return fd;
}

bool estTenu(int dossier, const char* nom) {
    bool libre = true;
    const int fd = ouvrirSiLibre(dossier, nom, libre);
    if (fd >= 0) ::close(fd);
    return !libre;
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

int ouvrirDansLeCache(const std::string& dossier, const std::string& nom) {
    if (dossier.empty() || !nomPermis(nom)) return -1;
    const int fd = ::open((dossier + "/" + nom).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat s{};
    if (::fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_uid == ::geteuid()) return fd;
    ::close(fd);
    return -1;
}

std::optional<std::string> lireDansLeCache(const std::string& dossier, const std::string& nom, std::size_t maximum) {
    const int fd = ouvrirDansLeCache(dossier, nom);
    if (fd < 0) return std::nullopt;
    struct stat s{};
    std::optional<std::string> contenu;
    if (::fstat(fd, &s) == 0 && static_cast<std::size_t>(s.st_size) <= maximum) {
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
    const std::string temporaire = nomTemporaire(dossier, nom);
    const int fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool entier = toutEcrire(fd, contenu);
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

std::string nomDuNombre(const std::string& decimal) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (char c : decimal) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ull;
    }
    char t[40];
    std::snprintf(t, sizeof t, "%016llx-%zu", static_cast<unsigned long long>(h), decimal.size());
    return t;
}

FichierTenu::~FichierTenu() {
    if (fd_ >= 0) ::close(fd_);
}

bool FichierTenu::ajouter(const std::string& octets) {
    if (abandonne_ || dossier_.empty() || !nomPermis(nom_)) return false;
    if (fd_ >= 0) {
        if (toutEcrire(fd_, octets)) return true;
    } else {
        // The first piece under a temporary name, locked from the start,
        // then the name: no one sees the file unheld or half written.
        const std::string temporaire = nomTemporaire(dossier_, nom_);
        fd_ = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0 && toutEcrire(fd_, octets) &&
            ::rename(temporaire.c_str(), (dossier_ + "/" + nom_).c_str()) == 0)
            return true;
        if (fd_ >= 0) ::unlink(temporaire.c_str());
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    abandonne_ = true;
    return false;
}

void FichierTenu::effacer() {
    if (fd_ >= 0) {
        ::unlink((dossier_ + "/" + nom_).c_str());
        ::close(fd_);
        fd_ = -1;
    }
    abandonne_ = true;
}

std::vector<FichierDuCache> fichiersDuCache(const std::string& dossier, const std::string& prefixe) {
    std::vector<FichierDuCache> trouves;
    if (dossier.empty()) return trouves;
    DIR* d = ::opendir(dossier.c_str());
    if (!d) return trouves;
    const std::string temporaire = "." + prefixe;
    const std::time_t avant = std::time(nullptr) - 60;
    while (const dirent* e = ::readdir(d)) {
        const std::string nom = e->d_name;
        struct stat s{};
        if (::fstatat(::dirfd(d), e->d_name, &s, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(s.st_mode)) continue;
        if (nom.compare(0, temporaire.size(), temporaire) == 0) {
            if (s.st_mtime < avant && !estTenu(::dirfd(d), e->d_name)) ::unlinkat(::dirfd(d), e->d_name, 0);
        } else if (nom.compare(0, prefixe.size(), prefixe) == 0 && s.st_uid == ::geteuid()) {
            trouves.push_back({nom, estTenu(::dirfd(d), e->d_name)});
        }
    }
    ::closedir(d);
    std::sort(trouves.begin(), trouves.end(), [](const FichierDuCache& a, const FichierDuCache& b) { return a.nom < b.nom; });
    return trouves;
}

void effacerSiLibre(const std::string& dossier, const std::string& nom) {
    if (dossier.empty() || !nomPermis(nom)) return;
    const int d = ::open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d < 0) return;
    bool libre = false;
    const int fd = ouvrirSiLibre(d, nom.c_str(), libre);
    if (fd >= 0) {
        if (libre) ::unlinkat(d, nom.c_str(), 0);
        ::close(fd);
    }
    ::close(d);
}

}  // namespace harmo
