// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/niveau3.h"

#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/entiers.h"
#include "commun/memoire.h"
#include "commun/suivi.h"
#include "sums/parite.h"
#include "sums/reduction.h"
#include "sums/sequence.h"

namespace harmo {

namespace {
// Fractions up to this size are computed in this process: every loop checks
// for an interrupt, and the steps that cannot (the top products, the gcd,
// the decimal texts) take a few tenths of a second at most there (0.53 s in
// all for the sum without 9 up to 10^6, 9.7 Mbit). A child would add about
// 0.05 s at that size, copying its memory and sending the fraction back.
const double bitsEnPlace = 12e6;
// The lcm of the candidates is worth building when the fraction is not much
// smaller than it.
bool parLesPremiers(const Etape& t, const Fraction& f) {
    return borneDuPpcm(t.N, t.parite) <= borneParPremiers &&
           bitsDuPpcm(t.N, t.parite) <= 2 * static_cast<double>(NTL::NumBits(f.Q));
}

}  // namespace

void sommeExacteAPart(const Etape& t, Fraction& total, bool& reduite, NTL::RR& res, long p) {
    const double memoire = memoireUtilisable();
    const Taille taille = tailleExacte(t, NTL::NumBits(total.P) + NTL::NumBits(total.Q), memoire);
    if (taille.octets > memoire) throw SommeTropGrande{taille.chiffres};
    try {
        Resultat r = calculerAPart([&](Canal& canal) {
            bool red = false;
            Fraction f = sommeExacteApres(t, total, red, taille.recalcul);
            canal << f.P << f.Q << static_cast<long>(red) << valeurDeLaFraction(f, p);
        }, taille.bits <= bitsEnPlace);
        long red = 0;
        r >> total.P >> total.Q >> red >> res;
        reduite = red != 0;
    } catch (const EchecDuCalcul& echec) {
        if (!echec.memoire) throw;
        throw SommeTropGrande{taille.chiffres};
    }
}

void fractionReduiteAPart(const Etape& t, Fraction& total, bool reduite, NTL::ZZ& pgcd, std::string& texteP,
                          std::string& texteQ) {
    try {
        Resultat r = calculerAPart([&](Canal& canal) {
            Fraction f = total;
            NTL::ZZ g(1);
            if (!t.kempner) {
                if (!reduite) reduireSommeHarmonique(f.P, f.Q, t.N, t.parite);  // f is the whole sum up to N
            } else if (parLesPremiers(t, f)) {
                // A Kempner sum is a sum of candidates up to N: its reduced
                // denominator divides their lcm, as for the harmonic sums.
                const NTL::ZZ Q0 = f.Q;
                const SequenceChiffres sequence(t.sequence);
                reduireSommeHarmonique(f.P, f.Q, t.N, t.parite, &sequence);
                diviserExactement(g, Q0, f.Q);
            } else {
                g = reduire(f.P, f.Q);
            }
            progres("somme exacte : ecriture de P et Q");
            const std::vector<std::string> textes = enDecimal({&f.P, &f.Q});
            canal << f.P << f.Q << g << textes[0] << textes[1];
        }, static_cast<double>(NTL::NumBits(total.Q)) <= bitsEnPlace);
        r >> total.P >> total.Q >> pgcd >> texteP >> texteQ;
    } catch (const EchecDuCalcul& echec) {
        if (!echec.memoire) throw;
        throw SommeTropGrande{NTL::ZZ(nombreDeChiffres(total.Q))};
    }
}

}  // namespace harmo
