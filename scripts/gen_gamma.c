// SPDX-License-Identifier: GPL-3.0-or-later
/* Writes the first D decimals of the Euler-Mascheroni constant (after "0.")
   on standard output, truncated, not rounded.

   MPFR computes the constant correctly rounded with 40 guard digits; its decimal
   text is then exact to within one unit of the last guard digit. Truncating at D
   is sound unless the guard digits are all 9s or all 0s (the true value could
   then lie across the cut); the program refuses that case. */
#include <mpfr.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    long d = argc > 1 ? atol(argv[1]) : 170000;
    const long garde = 40;
    mpfr_prec_t bits = (mpfr_prec_t)((d + garde) * 3.3219280948873623) + 64;
    mpfr_t g;
    mpfr_init2(g, bits);
    mpfr_const_euler(g, MPFR_RNDN);
    mpfr_exp_t e;
    /* mpfr_get_str gives digits of the form 0.ddd: the first is the first decimal. */
    char* s = mpfr_get_str(NULL, &e, 10, (size_t)(d + garde), g, MPFR_RNDZ);
    if (e != 0 || (long)strlen(s) != d + garde) {
        fprintf(stderr, "unexpected digit string\n");
        return 1;
    }
    int tous9 = 1, tous0 = 1;
    for (long k = d; k < d + garde; ++k) {
        if (s[k] != '9') tous9 = 0;
        if (s[k] != '0') tous0 = 0;
    }
    if (tous9 || tous0) {
        fprintf(stderr, "the guard digits do not settle the truncation\n");
        return 1;
    }
    fwrite(s, 1, (size_t)d, stdout);
    mpfr_free_str(s);
    mpfr_clear(g);
    return 0;
}
