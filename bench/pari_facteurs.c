// SPDX-License-Identifier: GPL-3.0-or-later
/* Reference for the benchmark: PARI's own factorisation of the numerator
   and the denominator of the harmonic sum of a parity up to n, as the
   program asks for them (Z_factor, then isprime on each factor), timed
   inside the process. Usage: pari_facteurs n parity */
#include <pari/pari.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double maintenant(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    long n = atol(argv[1]), parite = atol(argv[2]);
    pari_init_opts(1 << 24, 500000, INIT_DFTm | INIT_noIMTm);
    paristack_setsize(1 << 24, (size_t)1 << 32);
    DEBUGMEM = 0;
    GEN s = gen_0;
    for (long k = parite == 2 ? 2 : 1; k <= n; k += parite == 0 ? 1 : 2) s = gadd(s, mkfrac(gen_1, stoi(k)));
    GEN nombres[2] = {numer(s), denom(s)};
    double t0 = maintenant();
    for (int i = 0; i < 2; ++i) {
        GEN F = Z_factor(nombres[i]);
        for (long j = 1; j < lg(gel(F, 1)); ++j) (void)isprime(gmael(F, 1, j));
    }
    printf("%.3f\n", maintenant() - t0);
    pari_close();
    return 0;
}
