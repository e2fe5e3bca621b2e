// SPDX-License-Identifier: GPL-3.0-or-later
// The memory of each route of an exact stage (sums/etape.h), estimated from
// the request alone before any term is summed, and the route taken.
//
// Measured on this machine (bench/memoire.sh prints estimate and peak side
// by side, N = 10^5 to 10^7, each parity, sequences 9, 42 and 314, first
// stages and continuations; the estimates stay within 0.5 and 2 times the
// peak):
//   - a harmonic sum afresh in lowest terms: 12 bytes per unit of the
//     lcm's bound (sieve, tree, text);
//   - a product tree over B bits of denominators: 2 bytes per bit;
//   - the harmonic stage of N1 < n <= N unreduced: 1 byte per bit of the
//     product of its candidates;
//   - a difference or a join of two fractions: half a byte per bit of the
//     result;
//   - 2 MB whatever the route (threads, a child's pages).
#include "sums/etape.h"

#include "commun/decimal.h"
#include "sums/kempner_compte.h"
#include "sums/parite.h"
#include "sums/somme_harmonique.h"

#include <algorithm>
#include <cmath>

namespace harmo {

namespace {

const double octetsFixes = 2e6;
const double octetsParBitDArbre = 2, octetsParBitDEtape = 1, octetsParBitDeJonction = 0.5;

double versDouble(const NTL::ZZ& x) { return NTL::conv<double>(x); }

// The whole harmonic sum up to N in lowest terms.
Taille harmoniqueAfresh(const Etape& t) {
    const NTL::ZZ X = borneDuPpcm(t.N, t.parite);
    Taille r;
    r.recalcul = true;
    r.octets = octetsFixes + octetsParUniteDeLaBorne * versDouble(X);
    r.bits = bitsDuPpcm(t.N, t.parite);
    r.chiffres = X * 4343 / 10000 + 1;  // log10 lcm(1..X) is about X log10 e
    return r;
}

// The share of kept candidates in (a, b].
double partGardee(const Etape& t, const NTL::ZZ& a, const NTL::ZZ& b) {
    const double candidats = versDouble(nombreDeCandidats(b, t.parite) - nombreDeCandidats(a, t.parite));
    if (candidats <= 0) return 1;
    return versDouble(compterSansSequence(b, t.sequence, t.parite) - compterSansSequence(a, t.sequence, t.parite)) /
           candidats;
}

// The digits of the lowest terms of a Kempner sum up to N: its denominator
// is about the lcm of the kept candidates, ln lcm = the sum of ln p over the
// primes p (powers aside) that divide a kept candidate. With X the lcm's
// bound, a prime of (X/(k+1), X/k] has the multiples j p, j <= k (odd j
// only for the odd sums), each kept with the share of kept candidates near
// it, taken as independent; the primes themselves end in 1, 3, 7 or 9, which
// changes their share when the sequence ends there.
NTL::ZZ chiffresKempner(const Etape& t) {
    const NTL::ZZ X = borneDuPpcm(t.N, t.parite);
    const long facteur = t.parite == paire ? 2 : 1;  // a candidate is facteur times a unit of X
    double part = 0;
    const long K = 24;
    for (long k = 1; k <= K; ++k) {
        const NTL::ZZ a = X / (k + 1), b = X / k;
        if (b <= a) continue;
        // The prime is out when each of its multiples j p (j <= k, of the
        // parity) holds the sequence.
        double absent = 1;
        for (long j = 1; j <= k; j += t.parite == impaire ? 2 : 1) {
            double s = partGardee(t, facteur * a * j, facteur * b * j);
            if (j == 1 && !t.sequence.empty() && t.parite != paire) {
                // The sequence at the end of a candidate: one in 10^L of the
                // numbers, but none of the primes beyond 5 when it ends in 0,
                // 2, 4, 5, 6 or 8, and one in 4 10^(L-1) otherwise.
                const double L = static_cast<double>(t.sequence.size());
                const long d = t.sequence.back();
                const double nombres = std::pow(10.0, -L),
                             premiers = d % 2 == 1 && d != 5 ? 0.25 * std::pow(10.0, 1 - L) : 0;
                s = std::min(1.0, s * (1 - premiers) / (1 - nombres));
            }
            absent *= 1 - s;
        }
        part += (1.0 / static_cast<double>(k) - 1.0 / static_cast<double>(k + 1)) * (1 - absent);
    }
    part += 1.0 / static_cast<double>(K + 1);  // the small primes: some kept multiple, surely
    return NTL::conv<NTL::ZZ>(0.4343 * versDouble(X) * part) + 1;
}

}  // namespace

Taille tailleExacte(const Etape& t, long bitsAvant, double memoire) {
    const Taille afresh = harmoniqueAfresh(t);
    const double tailleN = static_cast<double>(NTL::NumBits(t.N));
    const double avant = static_cast<double>(bitsAvant);
    const bool premiere = nombreDeCandidats(t.N1, t.parite) <= 0;
    const double candidats = versDouble(nombreDeCandidats(t.N, t.parite) - nombreDeCandidats(t.N1, t.parite));
    Taille r;
    if (!t.kempner) {
        // Most of the sum, or a first stage: afresh, in lowest terms.
        if (2 * t.N1 <= t.N) return afresh;
        // The stage joined to the sum before; afresh when that does not fit
        // and afresh does (the same sum). Its lowest terms, later, take the
        // lcm's room.
        const double etape = candidats * tailleN;
        r.bits = etape + avant;
        r.octets = octetsFixes + std::max(octetsParBitDEtape * etape + octetsParBitDeJonction * r.bits,
                                          afresh.octets - octetsFixes);
        r.chiffres = afresh.chiffres;
        return r.octets > memoire && afresh.octets <= memoire ? afresh : r;
    }
    const NTL::ZZ gardes = compterGardes(t).nombre;
    const double bitsGardes = versDouble(gardes) * tailleN;
    r.chiffres = chiffresKempner(t);
    if (!parLeComplement(t, gardes)) {
        // The kept terms' tree, joined to the sum before.
        r.bits = bitsGardes + avant;
        r.octets = octetsFixes + octetsParBitDArbre * bitsGardes + (premiere ? 0 : octetsParBitDeJonction * r.bits);
        return r;
    }
    // The harmonic stage (afresh in lowest terms for a first stage) and the
    // removed terms' tree at once, their difference, then the join.
    const double retires = (candidats - versDouble(gardes)) * tailleN;
    const double harmonique = premiere ? afresh.bits : candidats * tailleN;
    const double octetsHarmonique = premiere ? afresh.octets - octetsFixes : octetsParBitDEtape * harmonique;
    r.bits = harmonique + retires + avant;
    r.octets = octetsFixes + octetsHarmonique + octetsParBitDArbre * retires +
               octetsParBitDeJonction * (harmonique + retires) + (premiere ? 0 : octetsParBitDeJonction * r.bits);
    return r;
}

}  // namespace harmo
