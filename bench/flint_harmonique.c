// SPDX-License-Identifier: GPL-3.0-or-later
/* Reference for the benchmark: FLINT's harmonic number and its decimal text,
   printed like the program prints a reduced H(N) (numerator, then denominator). */
#include <flint/arith.h>
#include <flint/fmpq.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    ulong n = strtoul(argv[1], NULL, 10);
    fmpq_t h;
    fmpq_init(h);
    arith_harmonic_number(h, n);
    char* s = fmpq_get_str(NULL, 10, h);
    size_t l = 0;
    while (s[l]) ++l;
    fwrite(s, 1, l, stdout);
    fputc('\n', stdout);
    flint_free(s);
    fmpq_clear(h);
    return 0;
}
