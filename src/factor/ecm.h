// SPDX-License-Identifier: GPL-3.0-or-later
// Lenstra's elliptic curve method, one curve at a time, by GMP-ECM (Debian
// libecm-dev): stage 1 multiplies a point of a random curve modulo n by
// every prime power up to B1, stage 2 looks for one more prime up to
// GMP-ECM's default B2. A prime p of n comes out when the order of the curve
// modulo p is that smooth: the chance depends on the size of p, not of n,
// hence the method for the factors of up to 30-40 digits of large numbers.
//
// Cost of one curve: about 14 B1 multiplications modulo n in stage 1 (20 ms
// at B1 = 50,000 for 81 digits on this machine), as much again in stage 2.
// Levels (digits of the factor aimed at, B1, expected curves) from GMP-ECM's
// README (version 7, default parametrisation and B2).
//
// References: H. W. Lenstra, "Factoring integers with elliptic curves",
// Annals of Mathematics 126 (1987); P. Zimmermann and B. Dodson, "20 years
// of ECM", ANTS VII (2006).
#pragma once

#include <NTL/ZZ.h>

#include <cstddef>

namespace harmo {

struct NiveauEcm {
    int chiffres;  // the size of the factors this level finds with good odds
    double B1;
    long courbes;
};

extern const NiveauEcm niveauxEcm[];
extern const std::size_t nombreDeNiveauxEcm;

// One curve (the one of parameter 2 + graine in GMP-ECM's parametrisation 1,
// the same at every run) on n, odd and composite: true
// with a divisor 1 < facteur < n when one comes out. memoire bounds the
// bytes of stage 2 (0: no bound).
bool courbeEcm(const NTL::ZZ& n, double B1, unsigned long graine, double memoire, NTL::ZZ& facteur);

}  // namespace harmo
