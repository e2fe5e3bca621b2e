// SPDX-License-Identifier: GPL-3.0-or-later
// Progress on the terminal: written on standard error, only when it is a
// terminal, once a computation has run for a second: the last progress
// received, kept until then, redrawn at least once a second while the work
// lasts, with its task's time spent and its time left where it is known, as
// much of it as the width allows (shell/ligne_d_avancement.h). It stands
// after the dialogue's last text on the same line, or on the line below when
// its figures have no room there, the cursor brought back to the end of the
// dialogue; it is erased before anything is written on standard output, and
// before the program ends or stops on a signal. The column is followed
// through the dialogue's text and the terminal's width; where it is not
// known for sure (a wrapped line under a resize), nothing is drawn.
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
// may be written; ecrit() tells what was, for the column of the cursor, and
// the dialogue's line as it now stands (written again after a suspension).
class PauseDuProgres {
public:
    PauseDuProgres();
    ~PauseDuProgres();
    PauseDuProgres(const PauseDuProgres&) = delete;
    PauseDuProgres& operator=(const PauseDuProgres&) = delete;
    void ecrit(std::string_view texte, const std::string& derniereLigne);
};

// For the signal handlers (async-signal-safe): the progress text goes from
// the screen before the program ends or stops; back from a suspension, the
// dialogue's line is written again at the next redraw.
void effacerLeProgres();
void apresUneSuspension();

}  // namespace harmo
