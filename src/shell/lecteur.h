// SPDX-License-Identifier: GPL-3.0-or-later
// The prompted input reader: every answer of the dialogue goes through controle.
#pragma once

#include "commun/etat.h"

namespace harmo {

// Input cases.
enum : int {
    casOuiNon = 1,      // "0" or "1"
    casUnDeux = 2,      // "1" or "2"
    casParite = 3,      // "0", "1" or "2"
    casEntier = 4,      // a whole number, into valeur
    casMenu = 6,        // "0" to "5"
    casNiveau = 8,      // "1", "2" or "3"
    casDecimal = 9,     // a non-negative decimal number, into valeurR
    casChiffre = 10     // "0" to "9"
};

// Prints the prompt chaine, reads tokens until one is accepted by the rule of
// the case, and leaves its value in valeur2, valeur or valeurR. Refused tokens
// are not commented: the prompt is printed again. Raises FinDeLEntree when the
// input ends.
int controle(Etat& e, int cas, const std::string& chaine);

// Prompt, zero-refusal flag and reader call in one: the usual calling order.
void demander(Etat& e, int cas, const char* invite, long refuserZero = 0);

// Digit (or sign) value of a character, into valtest1 and valtest2.
int valtest(Etat& e, char caract1);
// Digit (or point) value of a character, into valtest3.
int valtestR(Etat& e, char caract1);

}  // namespace harmo
