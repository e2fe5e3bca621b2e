// Progress on the terminal: one line on standard error, rewritten in place,
// once a computation has run for a second, and only when standard error is a
// terminal; erased before anything is written on standard output.
#pragma once

#include <string>

namespace harmo {

// Installs the display as the sink of commun/suivi.h's progress.
void installerProgresTerminal();
// A computation starts now (an answer has just been read).
void debutDeCalcul();
// Erases the progress line, if one is shown.
void effacerProgres();

}  // namespace harmo
