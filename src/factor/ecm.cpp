// SPDX-License-Identifier: GPL-3.0-or-later
#include "factor/ecm.h"

#include "commun/pont_gmp.h"

#include <ecm.h>

namespace harmo {

const NiveauEcm niveauxEcm[] = {
    {15, 2e3, 30},      {20, 11e3, 74},      {25, 5e4, 214},      {30, 25e4, 430},
    {35, 1e6, 904},     {40, 3e6, 2350},     {45, 11e6, 4480},    {50, 43e6, 7553},
    {55, 11e7, 17769},  {60, 26e7, 42017},   {65, 85e7, 69408},
};
const std::size_t nombreDeNiveauxEcm = sizeof niveauxEcm / sizeof niveauxEcm[0];

namespace {

struct Parametres {
    Parametres() { ecm_init(p); }
    ~Parametres() { ecm_clear(p); }
    Parametres(const Parametres&) = delete;
    Parametres& operator=(const Parametres&) = delete;
    ecm_params p;
};

}  // namespace

bool courbeEcm(const NTL::ZZ& n, double B1, unsigned long graine, double memoire, NTL::ZZ& facteur) {
    Parametres params;
    // The curve named by its parameter, not drawn at random by the library
    // (from the clock): the same curves, the same work, at every run.
    params.p->param = ECM_PARAM_BATCH_SQUARE;
    mpz_set_ui(params.p->sigma, 2 + graine % 4294967293ul);  // 2 <= sigma < 2^32
    gmp_randseed_ui(params.p->rng, graine);
    params.p->maxmem = memoire;
    Mpz N, f;
    mpz_set(N, VueMpz(n));
    const int r = ecm_factor(f, N, B1, params.p);
    if (r <= 0) return false;
    versZZ(facteur, f);
    return facteur > 1 && facteur < n;
}

}  // namespace harmo
