// SPDX-License-Identifier: GPL-3.0-or-later
// The line editor of the dialogue on a terminal: GNU readline, through its
// callback interface so that Ctrl-C can drop the line and ask again; the
// history kept across runs in $XDG_STATE_HOME/harmoniques/historique
// (~/.local/state/... by default), 1000 lines at most. No completion: Tab
// inserts a tab, which separates answers as a blank does.
#pragma once

#include <string>

namespace harmo {

// Sets readline up and reads the history (nothing is said when it cannot be
// read or written).
void installerEditeur();

enum class Lecture { ligne, fin, interrompue };

// One line, the prompt shown first; interrompue when Ctrl-C came meanwhile
// (the line typed so far is dropped).
Lecture lireLigne(const std::string& invite, std::string& ligne);

// Where the history lives, from the environment ("" when nowhere).
std::string fichierHistorique();

}  // namespace harmo
