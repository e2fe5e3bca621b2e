// SPDX-License-Identifier: GPL-3.0-or-later
// The program state: every variable of the program, in one record that is
// handed to every operation, so that all of them see the same instance.
#pragma once

#include <NTL/RR.h>
#include <NTL/ZZ.h>
#include <NTL/vector.h>

#include <string>
#include <vector>

namespace harmo {

using NTL::RR;
using NTL::Vec;
using NTL::ZZ;

class Console;  // the terminal's interface, which the dialogues include

// The running sum of level 2 across the stages of one calculation (computed
// by sums/somme_approchee.h).
struct SommeApprochee {
    bool exacte = true;  // res (kept beside it) is the term-by-term value itself
    RR bas, haut;        // otherwise the term-by-term value lies in [bas, haut]
    std::string texte;   // the last text
};

struct Etat {
    explicit Etat(Console& console) : con(console), ch(100, 0) {}
    Etat(const Etat&) = delete;
    Etat& operator=(const Etat&) = delete;

    Console& con;  // the dialogue's terminal

    // Main menu.
    long choix = 10;
    long refaire1 = 0;
    Vec<ZZ> Nprem;
    long np = 0;
    long A = 0;

    // Input reader.
    std::string message;  // the prompt handed to the reader
    std::string entree;   // the last token read
    ZZ valeur;
    long valeur2 = 0;
    RR valeurR;
    long xn = 0;
    long refaire = 0, l = 0, l1 = 0, a = 0, a1 = 0, cas2 = 0;
    RR ndix;
    ZZ valtest1;
    long valtest2 = 0;
    RR valtest3;

    // Harmonic and Kempner sums, factorisation. (The packets, the digit scan
    // and the term-by-term steps work on values of their own: sums/etape.h.)
    ZZ P, Q, S, N, N0, N1, M, M1, i, i0, paquet, pgcd, reste, z;
    RR res;
    SommeApprochee niveau2;  // level 2: whether res is the term-by-term value, or where that value lies
    Vec<ZZ> Nexpo, Nfact;
    std::vector<long> ch;
    long parite = 0, recalc = 1, stop = 0, nd = 0, nd1 = 0, p = 0, j = 0;
    long k = 0, t = 0, f = 0, nf = 0, expo = 0, de = 0, sup = 0;
    long aff = 0, chn = 0, nsuiv = 0, Nt = 0;

    // Harmonic fraction recognition.
    ZZ P1, Q1, P2, Q2, P3, Q3;

    // Euler-Mascheroni approximation.
    RR cst, H, NR, NR1, Sk, Nk, Nk1, avt, apr, pmin, p1, p2, p3, p4;
    RR l3R, ndeci, np3, dp3, nchoix, nfix, nfixR;
    RR R2, R4, R6, R8, R10, R12, R14, R16, R18, R20, R22, R24, R26, R28, R30, R32;
    ZZ Nk0;
    Vec<RR> Eu;
    long k0 = 0, k2 = 0, p0 = 0, l3 = 0, l4 = 0, nsign = 0;
};

}  // namespace harmo
