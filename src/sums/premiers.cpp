// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/premiers.h"

#include "commun/suivi.h"

#include <algorithm>

namespace harmo {

int Suiv(Etat& e) {
    ZZ c = e.Nprem[e.np] + 2 * e.i;
    e.j = 1;
    long pas = 0;
    while (e.Nprem[e.j] * e.Nprem[e.j] <= c) {
        if (++pas % 4096 == 0) verifierInterruption();  // nothing is changed yet: the list stays whole
        if (NTL::divide(c, e.Nprem[e.j])) {
            ++e.i;
            c = e.Nprem[e.np] + 2 * e.i;
            e.j = 1;
        } else {
            ++e.j;
        }
    }
    ++e.np;
    e.Nprem.SetLength(e.np + 1);
    e.Nprem[e.np] = e.Nprem[e.np - 1] + 2 * e.i;
    e.i = 1;
    return 1;
}

namespace {

// Room for factor nf; the lists are never shortened.
void allonger(Etat& e) {
    if (e.Nfact.length() < e.nf + 1) e.Nfact.SetLength(e.nf + 1);
    if (e.Nexpo.length() < e.nf + 1) e.Nexpo.SetLength(e.nf + 1);
}

}  // namespace

void ajouterFacteur(Etat& e, const ZZ& p, long exposant) {
    ++e.nf;
    allonger(e);
    e.Nfact[e.nf] = p;
    e.Nexpo[e.nf] = exposant;
}

bool divisionsParEssais(Etat& e, bool toutes) {
    while (!NTL::IsOne(e.S)) {
        verifierInterruption();
        e.expo = 0;
        ++e.k;
        if (e.k > 2 && e.k > e.np) Suiv(e);
        const ZZ& premier = e.Nprem[e.k];
        const bool carreAuDela = premier * premier > e.S;
        if (!toutes && !carreAuDela && premier > bornePremiersEssayes) {
            --e.k;
            return false;
        }
        e.reste = e.S % premier;
        e.f = 0;
        if (carreAuDela) {
            ajouterFacteur(e, e.S, 1);
            e.S = 1;
            e.reste = 1;
        }
        while (NTL::IsZero(e.reste)) {
            e.S /= premier;
            ++e.f;
            if (e.f == 1) ajouterFacteur(e, premier, 0);
            ++e.expo;
            e.Nexpo[e.nf] = e.expo;
            e.reste = e.S % premier;
        }
    }
    return true;
}

bool retirerLesFacteurs(Etat& e, std::vector<FacteurPremier> facteurs) {
    std::sort(facteurs.begin(), facteurs.end(), [](const FacteurPremier& a, const FacteurPremier& b) { return a.p < b.p; });
    bool exacts = true;
    for (const FacteurPremier& f : facteurs) {
        ZZ q, r;
        if (f.p < 2 || f.e < 1) {
            exacts = false;
            continue;
        }
        NTL::DivRem(q, r, e.S, NTL::power(f.p, f.e));
        if (!NTL::IsZero(r) || NTL::divide(q, f.p)) {
            exacts = false;
            continue;
        }
        e.S = std::move(q);
        ajouterFacteur(e, f.p, f.e);
    }
    return exacts;
}

}  // namespace harmo
