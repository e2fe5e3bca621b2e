// SPDX-License-Identifier: GPL-3.0-or-later
// Progress on the terminal: written on standard error, only when it is a
// terminal, once a computation has run for a second: the last text sent,
// kept until then, redrawn at least once a second while the work lasts, with
// the time spent when it has no percentage ("factorisation de P : cofacteur
// de 81 chiffres, 2 min 05 s"). It stands after the dialogue's last text on
// the same line (the cursor is saved and put back), cut to the width left,
// and is erased before anything is written on standard output.
#pragma once

#include <string>
#include <string_view>

namespace harmo {

// Installs the display as the sink of commun/suivi.h's progress.
void installerProgresTerminal();
// A computation starts now (an answer has just been read: the cursor is at
// the start of a line).
void debutDeCalcul();
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
