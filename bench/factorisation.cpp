// SPDX-License-Identifier: GPL-3.0-or-later
// The hard composites of the factorisation benchmark, factored by PARI's
// Z_factor alone or by the program's engine (factor/pilote.h), so that
// bench/factorisation.sh can time both on the same numbers.
//   factorisation pari|moteur hN     the numerator of H(N) without its primes below 10^6
//   factorisation pari|moteur sD     p q, two primes of about D/2 digits (NextPrime of fixed values)
//   factorisation pari|moteur xD     the number D, written in decimal
//   factorisation entier HN          the engine on the whole numerator of H(N), and the
//                                    digits of the largest composite it sieved ("-": none)
//   factorisation jeux               the instruction sets the processor offers, widest first
//   factorisation crible hN|sD       the quadratic sieve alone, on every core: one factor
//   factorisation reglage hN|sD F B L m [e]
//                                    the same with the parameters given: F primes in the base,
//                                    B blocks each side, large primes below L pmax, slack m,
//                                    two large primes with a product below (L pmax)^e
//   factorisation estimation hN|sD S [F B L m e]
//                                    the sieve stopped after S seconds (the table's parameters,
//                                    or those given): its share and its estimated total time,
//                                    to compare parameters on numbers that take hours
// Prints the number's digits and its prime factors.
#include "commun/coeurs.h"
#include "commun/decimal.h"
#include "commun/processeur.h"
#include "commun/suivi.h"
#include "factor/crible_quadratique.h"
#include "factor/pari.h"
#include "factor/pilote.h"
#include "sums/somme_harmonique.h"

#include <NTL/ZZ.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace harmo;

namespace {

NTL::ZZ nombreDuCas(const std::string& cas) {
    if (cas[0] == 'x') return depuisDecimal(cas.substr(1));
    const long v = std::atol(cas.c_str() + 1);
    if (cas[0] == 'H') return sommeHarmoniqueReduite(NTL::ZZ(v), 0).P;
    if (cas[0] == 'h') {
        NTL::ZZ P = sommeHarmoniqueReduite(NTL::ZZ(v), 0).P;
        for (long p = 2; p < 1000000; ++p)
            while (NTL::rem(P, p) == 0) P /= p;
        return P;
    }
    // Fixed starting points: the digits of pi and of e.
    const std::string pi = "31415926535897932384626433832795028841971693993751058209749445923078164062862";
    const std::string e = "27182818284590452353602874713526624977572470936999595749669676277240766303535";
    const long a = v / 2, b = v - a;
    return NTL::NextPrime(depuisDecimal(pi.substr(0, static_cast<std::size_t>(a)))) *
           NTL::NextPrime(depuisDecimal(e.substr(0, static_cast<std::size_t>(b))));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "jeux") {
        for (int j = static_cast<int>(jeuDuProcesseur()); j >= 0; --j) std::printf("%s\n", nomDuJeu(static_cast<JeuDInstructions>(j)));
        return 0;
    }
    if (argc < 3) return 2;
    const std::string mode = argv[1];
    const NTL::ZZ n = nombreDuCas(argv[2]);
    const SessionPari pari;
    std::map<NTL::ZZ, long> f;
    if (mode == "estimation" && argc >= 4) {
        const double S = std::atof(argv[3]);
        ParametresSiqs p = parametresSiqs(nombreDeChiffres(n));
        if (argc >= 9) p = {std::atol(argv[4]), std::atol(argv[5]), std::atol(argv[6]), std::atof(argv[7]), std::atof(argv[8])};
        AvancementDuCrible dernier;
        NTL::ZZ facteur;
        try {
            cribleQuadratique(n, facteur, nombreDeCoeurs(), p, [&](const AvancementDuCrible& a) {
                dernier = a;
                if (a.secondes >= S) throw CalculInterrompu{};
            });
        } catch (const CalculInterrompu&) {
        }
        std::printf("C%ld F=%ld B=%ld L=%ld m=%.2f e=%.2f : %.0f s, part %.4f, total estime %.0f s\n", nombreDeChiffres(n), p.taille,
                    p.blocs, p.multipleGrandPremier, p.marge, p.exposantDouble, dernier.secondes, dernier.part,
                    dernier.restant < 0 ? -1.0 : dernier.secondes + dernier.restant);
        return 0;
    }
    if (mode == "crible" || mode == "reglage") {
        NTL::ZZ facteur;
        ParametresSiqs p = parametresSiqs(nombreDeChiffres(n));
        if (mode == "reglage" && argc >= 7)
            p = {std::atol(argv[3]), std::atol(argv[4]), std::atol(argv[5]), std::atof(argv[6]), argc >= 8 ? std::atof(argv[7]) : 0.0};
        if (!cribleQuadratique(n, facteur, nombreDeCoeurs(), p)) return 1;
        f[facteur] = 1;
        f[n / facteur] = 1;
    } else if (mode == "pari") {
        for (const FacteurPremier& x : factoriserParPari(n)) f[x.p] = x.e;
    }
    long crible = 0;  // entier: the digits of the largest composite sieved (0: none)
    if (mode == "moteur" || mode == "entier") {
        CompteRendu r;
        r.premier = [&](const NTL::ZZ& p, long e) { f[p] = e; };
        // The sieve's share and its estimate on standard error each minute,
        // for runs that take hours.
        double dite = 0;
        r.travail = [&](const TravailEnCours& t) {
            if (t.methode == TravailEnCours::Methode::Crible || t.methode == TravailEnCours::Methode::HorsDePortee)
                crible = std::max(crible, t.chiffres);
            if (t.secondes < dite) dite = 0;  // another composite
            if (t.methode == TravailEnCours::Methode::Crible && t.part >= 0 && t.secondes >= dite + 60) {
                dite = t.secondes;
                std::fprintf(stderr, "crible C%ld : %.0f s, part %.4f, reste estime %.0f s\n", t.chiffres, t.secondes, t.part, t.restant);
            }
        };
        factoriserParEtapes(n, r);
    }
    std::printf("C%ld", nombreDeChiffres(n));
    if (mode == "entier") std::printf(crible ? " C%ld" : " -", crible);
    std::printf(" :");
    for (const auto& [p, e] : f) std::printf(" %s^%ld", enDecimal(p).c_str(), e);
    std::printf("\n");
}
