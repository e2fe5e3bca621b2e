// SPDX-License-Identifier: GPL-3.0-or-later
// The bucket fill alone, on each instruction set the processor offers: the
// factor base of H(193)'s 85-digit cofactor (50,000 primes, 3 blocks on each
// side), 20 families of polynomials, every bucket prime placed for each
// polynomial (its roots moved on the way, as the sieve does). Prints the
// microseconds per polynomial and the nanoseconds per entry written.
#include "commun/processeur.h"
#include "factor/base_de_facteurs.h"
#include "factor/crible.h"
#include "factor/polynomes.h"
#include "sums/somme_harmonique.h"
#include <chrono>
#include <cstdio>
using namespace harmo;
int main() {
    NTL::ZZ n = sommeHarmoniqueReduite(NTL::ZZ(193), 0).P;
    for (long p = 2; p < 1000000; ++p) while (NTL::rem(n, p) == 0) n /= p;
    const BaseDeFacteurs b = baseDeFacteurs(n, multiplicateurKnuthSchroeppel(n), 50000, 1.0);
    const long M = 3 * tailleDeBloc;
    const std::uint32_t fin = 2 * M;
    std::size_t premier = 2;
    while (b.p[premier] < tailleDeBloc) ++premier;
    std::size_t cap = 16;
    for (std::size_t i = premier; i < b.taille(); ++i) cap += 2 * (tailleDeBloc / b.p[i] + 1);
    const std::size_t nS = fin / tailleDeBloc + 1;
    std::vector<std::uint32_t> seaux(cap * nS);
    std::vector<std::size_t> ecrit(nS);
    for (int j = static_cast<int>(jeuDuProcesseur()); j >= 0; --j) {
        const JeuDInstructions jeu = static_cast<JeuDInstructions>(j);
        FamilleDePolynomes f(b, M, 3, jeu);
        f.nouveauA();
        double t = 0; long polys = 0; std::size_t total = 0;
        for (int fam = 0; fam < 20; ++fam) {
            f.nouveauA();
            do {
                for (std::size_t k = 0; k < nS; ++k) ecrit[k] = k * cap;
                auto t0 = std::chrono::steady_clock::now();
                for (std::size_t i = premier, j; i < b.taille(); i = j) {
                    j = i;
                    while (j < b.taille() && fin / b.p[j] == fin / b.p[i]) ++j;
                    for (std::size_t k = i; k < j; k += 512)
                        placerDansLesSeaux(f.racine1.data(), f.racine2.data(), b.p.data(), k, std::min(j, k + 512), fin / b.p[i], fin, seaux.data(), ecrit.data(), jeu, f.deplacementEnAttente(), f.monte());
                }
                f.rattrape();
                t += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
                ++polys;
                for (std::size_t k = 0; k + 1 < nS; ++k) total += ecrit[k] - k * cap;
            } while (f.suivant(premier));
        }
        std::printf("%-8s %.1f us/poly, %.2f ns/entry (%ld polys)\n", nomDuJeu(jeu), 1e6 * t / polys, 1e9 * t / total, polys);
    }
}
