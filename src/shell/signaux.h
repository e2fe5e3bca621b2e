// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C and a closed output.
//
// While the program computes, SIGINT raises the flag of commun/suivi.h: the
// computation stops at its next check point (or its child process is
// killed) and the menu comes back. While it waits for an answer with its
// standard input on a terminal, SIGINT makes the reader drop the line typed
// and ask the question again; with the input on a pipe or a file, or when a
// first SIGINT is still being handled, it ends the program as the system
// does by default. Writing to a closed output is an error of the write (no
// SIGPIPE): the console then ends the program with status 1.
#pragma once

namespace harmo {

void installerSignaux();

// The program waits for an answer during the lifetime of this guard.
class AttenteDeReponse {
public:
    AttenteDeReponse();
    ~AttenteDeReponse();
    AttenteDeReponse(const AttenteDeReponse&) = delete;
    AttenteDeReponse& operator=(const AttenteDeReponse&) = delete;
};

// After the menu has reported an interrupt: computations may run again.
void interruptionTraitee();

// True once after a Ctrl-C at a question (standard input on a terminal).
bool interruptionDeQuestion();

}  // namespace harmo
