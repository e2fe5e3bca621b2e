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
#include <optional>
#include <string>

namespace harmo {

// mkdir -p, quietly: the folders of the path made where absent, mode 0700.
bool creerDossiers(const std::string& chemin);

// The folder sous (one name, no '/') of the cache, made if absent; empty when
// there can be none.
std::string dossierDuCache(const std::string& sous);

// The whole content of the regular file nom of the folder, owned by the user
// and of at most maximum bytes; nothing otherwise.
std::optional<std::string> lireDansLeCache(const std::string& dossier, const std::string& nom, std::size_t maximum);

// Writes contenu as the file nom of the folder, replacing it whole; false
// when it could not be done (the folder as it was).
bool ecrireDansLeCache(const std::string& dossier, const std::string& nom, const std::string& contenu);

// Drops the oldest files of the folder (by their time of last change) until
// they take at most octets bytes together.
void bornerLeCache(const std::string& dossier, double octets);

}  // namespace harmo
