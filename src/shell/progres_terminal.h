// SPDX-License-Identifier: GPL-3.0-or-later
// Progress on the terminal: written on standard error, only when it is a
// terminal, once a computation has run for a second: the last text sent,
// kept until then, redrawn at least once a second while the work lasts, with
// the time spent when it has no percentage ("factorisation de P : cofacteur
// de 81 chiffres, ECM (facteurs de 25 chiffres), 2 min 05 s"). It stands
// after the dialogue's last text on the same line, cut to the width left,
// the cursor brought back to the end of the dialogue; it is erased before
// anything is written on standard output. The column is followed through the
// dialogue's text and the terminal's width; where it is not known for sure
// (a wrapped line under a resize), nothing is drawn.
#pragma once

#include <string>
#include <string_view>

namespace harmo {

// Installs the display as the sink of commun/suivi.h's progress.
void installerProgresTerminal();
// A computation starts now (an answer has just been read).
void debutDeCalcul();
// The line editor has ended its line: the cursor is at the start of the next.
void curseurEnDebutDeLigne();
// The computation is over (a question comes): its text goes.
void finDeCalcul();

// While it lives, nothing is drawn: the line is erased and standard output
// may be written; ecrit() tells what was, for the column of the cursor.
class PauseDuProgres {
public:
    PauseDuProgres();
    ~PauseDuProgres();
    PauseDuProgres(const PauseDuProgres&) = delete;
    PauseDuProgres& operator=(const PauseDuProgres&) = delete;
    void ecrit(std::string_view texte);
};

// "12 s", "2 min 05 s".
std::string duree(long long millisecondes);

}  // namespace harmo
