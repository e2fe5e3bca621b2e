// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: none for the dialogue; --help and --version as Debian's
// programs have them; anything else refused.
#pragma once

namespace harmo {

// The status of an argument that is not an option of the program.
constexpr int statutOption = 2;

// What the options ask: -1 to run the dialogue, otherwise the exit status
// once their text is written (help or version on standard output, a refusal
// on standard error).
int traiterOptions(int argc, char** argv);

}  // namespace harmo
