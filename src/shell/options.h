// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: none for the dialogue; --help and --version as Debian's
// programs have them; anything else refused.
#pragma once

#include <string>

namespace harmo {

// The dialogue's exit statuses and the others, in one place.
constexpr int statutFin = 1;        // the answer 0, the end of the input, a closed output
constexpr int statutOption = 2;     // an argument that is not an option of the program

// What the options ask: -1 to run the dialogue, otherwise the exit status
// once their text is written (help or version on standard output, a refusal
// on standard error).
int traiterOptions(int argc, char** argv);

// The texts, for the tests and the manual.
std::string texteAide();
std::string texteVersion();

}  // namespace harmo
