// SPDX-License-Identifier: GPL-3.0-or-later
// The memory that the program estimates for the stages of an exact sum
// (level 3, the fraction not reduced between stages), printed one line a
// stage: bytes, bits of the fraction, digits stated in a refusal, route.
// Built and run by bench/memoire.sh beside the program's measured peak.
//   estimation PARITE KEMPNER SEQUENCE N1 N2 ...   (SEQUENCE: digits, or -)
// With a negative PARITE (-1 - parity), level 2 at DIGITS digits instead:
// the certified sum's memory of the stage up to N.
//   estimation -1-PARITE KEMPNER SEQUENCE N DIGITS
#include "sums/etape.h"
#include "sums/somme_approchee.h"

#include <NTL/ZZ.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace harmo;

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    Etape t;
    t.parite = std::atol(argv[1]);
    const bool niveau2 = t.parite < 0;
    if (niveau2) t.parite = -1 - t.parite;
    t.kempner = std::atol(argv[2]) != 0;
    for (const char* c = argv[3]; *c && *c != '-'; ++c) t.sequence.push_back(*c - '0');
    t.N1 = t.parite == 1 ? -1 : 0;
    if (niveau2) {
        t.N = NTL::conv<NTL::ZZ>(argv[4]);
        std::printf("%.1f certifiee\n", octetsDeLaSommeCertifiee(t, std::atol(argv[5])) / 1e6);
        return 0;
    }
    Fraction f;
    for (int k = 4; k < argc; ++k) {
        t.N = NTL::conv<NTL::ZZ>(argv[k]);
        const Taille taille = tailleExacte(t, NTL::NumBits(f.P) + NTL::NumBits(f.Q), 1e18);
        std::printf("%.1f %.0f %s %s\n", taille.octets / 1e6, taille.bits, std::to_string(NTL::conv<long>(taille.chiffres)).c_str(),
                    taille.recalcul ? "recalcul" : "etape");
        bool reduite = false;
        f = sommeExacteApres(t, f, reduite, taille.recalcul);
        t.N1 = t.N;
    }
}
