// SPDX-License-Identifier: GPL-3.0-or-later
// The column of the terminal's cursor, followed through the bytes written:
// tabs to the next stop, a wrap at the last column as xterm makes it
// (pending until the next character), one column per UTF-8 character.
#pragma once

#include <algorithm>

namespace harmo {

// Where the terminal's cursor stands, followed through what the dialogue
// writes: its column, and whether it waits at the last column for the next
// character to wrap. Unknown (sur = false) once the width has changed under a
// line that no longer fits, or that wrapped: terminals reflow it, or not,
// each in its own way.
struct Curseur {
    int largeur = 0;
    int colonne = 0;
    bool auBord = false;    // at the last column, the next character wraps
    bool enveloppe = false; // the line has wrapped
    bool sur = true;

    void debutDeLigne() { *this = Curseur{largeur}; }
    void nouvelleLargeur(int l) {
        if (l == largeur) return;
        if (enveloppe || auBord || colonne >= l) sur = false;
        largeur = l;
    }
    void ecrire(char c) {
        if (c == '\n') {
            debutDeLigne();
            return;
        }
        if (c == '\r') {
            colonne = 0;
            auBord = false;
            return;
        }
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) return;  // inside a UTF-8 character
        if (c == '\t') {  // to the next stop, never past the last column
            colonne = std::min((colonne / 8 + 1) * 8, largeur - 1);
            return;
        }
        if (auBord) {
            colonne = 0;
            auBord = false;
            enveloppe = true;
        }
        if (++colonne >= largeur) {
            colonne = largeur - 1;
            auBord = true;
        }
    }
};

}  // namespace harmo
