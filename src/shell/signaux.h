// SPDX-License-Identifier: GPL-3.0-or-later
// The program as the signals see it, in one place: whether it computes or
// waits at a question, whether that question is edited on the terminal,
// whether its input is a terminal; and what each signal does in each case.
//
//   SIGINT   computing: the flag of commun/suivi.h (the step stops at its
//            next check, or its child process is killed); at a question on
//            a terminal: the question is asked again; at a question on a
//            pipe or a file, or a second one before the first is taken: the
//            end, as the system does it.
//   SIGTERM, SIGHUP, SIGQUIT, SIGABRT: the progress line erased, then the
//            end, by that signal.
//   SIGTSTP  at an edited question: the wait suspends the program itself
//            (the editor gives the terminal back, then redraws its line at
//            SIGCONT); elsewhere: suspended at once, the progress line
//            erased, the keys typed ahead taken from the terminal (the next
//            question reads them), the terminal given back; at SIGCONT the
//            computing modes again and the dialogue's line written again.
//   SIGWINCH the editor redraws for the new width; the progress line reads
//            the width at each redraw.
//   SIGPIPE, SIGXFSZ: ignored, so that a closed output or a file past its
//            limit is an error of the write (the console ends with status 1).
// Whatever ends the program, the terminal's modes are those it had at the
// start. While the program computes, the terminal does not echo what is
// typed ahead (the editor shows it with the next question), so that nothing
// moves the cursor under the progress line.
//
// The handlers only set flags and write a byte into a pipe; the waits for an
// answer poll that pipe beside the input, so that no signal is lost between
// a test and the wait.
#pragma once

#include <string>

namespace harmo {

void installerSignaux();

// The program waits for an answer during the lifetime of this guard;
// computing before and after it.
class AttenteDeReponse {
public:
    AttenteDeReponse();
    ~AttenteDeReponse();
    AttenteDeReponse(const AttenteDeReponse&) = delete;
    AttenteDeReponse& operator=(const AttenteDeReponse&) = delete;
};

// The line editor holds the terminal (its own modes) while this guard lives.
class QuestionEditee {
public:
    QuestionEditee();
    ~QuestionEditee();
    QuestionEditee(const QuestionEditee&) = delete;
    QuestionEditee& operator=(const QuestionEditee&) = delete;
};

// After a computation's interrupt has been reported: computations may run again.
void interruptionTraitee();

// True once after a Ctrl-C at a question (standard input on a terminal).
bool interruptionDeQuestion();

// Readable when a signal has come since the last call to evenements().
int descripteurDesSignaux();

struct Evenements {
    bool interruption = false;  // Ctrl-C at the question (taken: interruptionDeQuestion() is false after)
    bool suspension = false;    // Ctrl-Z at an edited question
    bool redimension = false;   // the terminal's size changed
};
Evenements evenements();
// Takes a resize alone (true when one came since the last look): at the
// start of a question, for those that came during the computation before.
bool redimensionPrise();
// The keys typed during a computation that a stop (Ctrl-Z) took from the
// terminal, once: the next question reads them first.
std::string touchesTapeesAvant();

// Suspends the program as Ctrl-Z does, the terminal's modes given back
// first; returns when it is continued.
void suspendre();

// The modes the terminal had at the start, set again (async-signal-safe).
void restaurerTerminal();

}  // namespace harmo
