// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/factorisation.h"

#include "commun/decimal.h"

#include <algorithm>
#include <string>

#include <pari/pari.h>  // last: its macros stay out of the other headers

namespace harmo {

namespace {

// PARI's proven primes of n, with exponents, added to f; a factor that
// PARI's pseudoprime test let through and isprime refutes is factored again.
void factoriser(GEN n, long exposant, std::vector<FacteurPremier>& f) {
    pari_sp av = avma;
    GEN F = Z_factor(n);
    GEN premiers = gel(F, 1), exposants = gel(F, 2);
    for (long i = 1; i < lg(premiers); ++i) {
        GEN p = gel(premiers, i);
        const long e = itos(gel(exposants, i)) * exposant;
        if (!isprime(p)) {
            factoriser(p, e, f);
            continue;
        }
        f.push_back(FacteurPremier{depuisDecimal(itostr(p)), e});  // the text is on PARI's stack
    }
    set_avma(av);
}

}  // namespace

std::vector<FacteurPremier> factoriserParPari(const NTL::ZZ& n) {
    pari_init_opts(1 << 24, 500000, INIT_DFTm | INIT_noIMTm | INIT_noINTGMPm);
    paristack_setsize(1 << 24, std::size_t(1) << 32);  // the stack grows as needed, up to 4 GB
    DEBUGMEM = 0;                                       // and silently
    std::vector<FacteurPremier> f;
    {
        const std::string texte = enDecimal(n);
        GEN N = strtoi(texte.c_str());
        factoriser(N, 1, f);
    }
    pari_close_opts(INIT_DFTm | INIT_noIMTm | INIT_noINTGMPm);
    // Merged and sorted (a refuted pseudoprime may have added known primes).
    std::sort(f.begin(), f.end(), [](const FacteurPremier& a, const FacteurPremier& b) { return a.p < b.p; });
    std::vector<FacteurPremier> r;
    for (FacteurPremier& x : f) {
        if (!r.empty() && r.back().p == x.p)
            r.back().e += x.e;
        else
            r.push_back(std::move(x));
    }
    return r;
}

}  // namespace harmo
