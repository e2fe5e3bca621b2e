// SPDX-License-Identifier: GPL-3.0-or-later
// The program's cache folder, $XDG_CACHE_HOME/harmoniques/ (by default
// ~/.cache/harmoniques/), written as a careful program writes where another
// user might reach: the folder made with mode 0700 when absent, and used only
// when it belongs to the user and no one else may write in it; each file
// created new (O_EXCL, mode 0600) under a name of its own, then renamed into
// place when whole, so that two sessions at once or a write cut halfway cost
// nothing; no symbolic link followed when a file is read. HARMONIQUES_CACHE=non
// in the environment turns the cache off; when XDG_CACHE_HOME is set, it
// alone is used (no other place when it cannot be). Anything that goes
// wrong (no home, a read-only or full disk, a file size limit) only means no
// cache: nothing is said, the computation runs as without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace harmo {

// mkdir -p, quietly: the folders of the path made where absent, mode 0700.
bool creerDossiers(const std::string& chemin);

// The folder sous (one name, no '/') of the cache, made if absent; empty when
// there can be none.
std::string dossierDuCache(const std::string& sous);

// The whole content of the regular file nom of the folder, owned by the user
// and of at most maximum bytes; nothing otherwise.
std::optional<std::string> lireDansLeCache(const std::string& dossier, const std::string& nom, std::size_t maximum);

// The regular file nom of the folder, owned by the user, opened for reading
// without following a link; -1 otherwise.
int ouvrirDansLeCache(const std::string& dossier, const std::string& nom);

// Writes contenu as the file nom of the folder, replacing it whole; false
// when it could not be done (the folder as it was).
bool ecrireDansLeCache(const std::string& dossier, const std::string& nom, const std::string& contenu);

// Drops the oldest files of the folder (by their time of last change) until
// they take at most octets bytes together.
void bornerLeCache(const std::string& dossier, double octets);

// A name for a number's file, from its decimal text: FNV-1a of the digits,
// in hexadecimal, then their count.
std::string nomDuNombre(const std::string& decimal);

// A file that one session writes a piece at a time (a journal), holding a
// lock on it (flock) as long as the file is open, so that another session
// can tell it from the file of a session that has ended. Created new
// (O_EXCL, mode 0600, no link followed) under a temporary name, it is
// renamed to nom once its first piece is whole; later pieces are appended.
// A piece cut short by a crash is a last line cut short: whoever reads the
// file back checks every line.
class FichierTenu {
public:
    FichierTenu(std::string dossier, std::string nom) : dossier_(std::move(dossier)), nom_(std::move(nom)) {}
    ~FichierTenu();
    FichierTenu(const FichierTenu&) = delete;
    FichierTenu& operator=(const FichierTenu&) = delete;

    // false when the bytes could not all be written: the file is then
    // given up (closed, and left as far as it was written).
    bool ajouter(const std::string& octets);
    // The file removed (a journal no longer needed).
    void effacer();

private:
    std::string dossier_, nom_;
    int fd_ = -1;
    bool abandonne_ = false;
};

// The files of the folder whose name begins with prefixe (temporary ones
// aside), whether another session holds each (FichierTenu), and the
// temporary files of ended sessions older than a minute removed.
struct FichierDuCache {
    std::string nom;
    bool tenu = false;
};
std::vector<FichierDuCache> fichiersDuCache(const std::string& dossier, const std::string& prefixe);

// Removes the file nom of the folder, unless a living session holds it.
void effacerSiLibre(const std::string& dossier, const std::string& nom);

}  // namespace harmo
