// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/pari.h"

#include "commun/decimal.h"

#include <algorithm>
#include <string>

#include <pari/pari.h>  // last: its macros stay out of the other headers

namespace harmo {

namespace {

const unsigned long optionsPari = INIT_DFTm | INIT_noIMTm | INIT_noINTGMPm;

GEN versPari(const NTL::ZZ& n) { return strtoi(enDecimal(n).c_str()); }

NTL::ZZ depuisPari(GEN x) { return depuisDecimal(itostr(x)); }  // the text is on PARI's stack

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
        f.push_back(FacteurPremier{depuisPari(p), e});
    }
    set_avma(av);
}

}  // namespace

SessionPari::SessionPari() {
    pari_init_opts(1 << 24, 500000, optionsPari);
    paristack_setsize(1 << 24, std::size_t(1) << 32);  // the stack grows as needed, up to 4 GB
    DEBUGMEM = 0;                                       // and silently
}

SessionPari::~SessionPari() { pari_close_opts(optionsPari); }

std::vector<FacteurPremier> factoriserParPari(const NTL::ZZ& n) {
    std::vector<FacteurPremier> f;
    {
        pari_sp av = avma;
        factoriser(versPari(n), 1, f);
        set_avma(av);
    }
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

bool premierProuve(const NTL::ZZ& n) {
    pari_sp av = avma;
    const bool r = isprime(versPari(n)) != 0;
    set_avma(av);
    return r;
}

long puissanceParfaite(const NTL::ZZ& n, NTL::ZZ& m) {
    pari_sp av = avma;
    GEN racine = nullptr;
    const long k = Z_isanypower(versPari(n), &racine);
    if (k >= 2) m = depuisPari(racine);
    set_avma(av);
    return k >= 2 ? k : 0;
}

}  // namespace harmo
