// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/decomp.h"

#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/suivi.h"
#include "shell/console.h"
#include "sums/factorisation.h"

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

void ajouterFacteur(Etat& e, const ZZ& p, long exposant) {
    ++e.nf;
    allonger(e);
    e.Nfact[e.nf] = p;
    e.Nexpo[e.nf] = exposant;
}

// Trial division of e.S while the primes stay below the bound (all of them
// when toutes): true when S is then fully factored.
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

}  // namespace

int decomp(Etat& e, const char* quoi) {
    Console& con = e.con;
    if (NTL::IsZero(e.S)) {
        // Zero has no factorisation: it is shown as it is.
        con << "  0";
        return 1;
    }
    e.k = 0;
    e.nf = 0;
    e.i = 1;
    const ZZ entier = e.S;
    if (!divisionsParEssais(e, false)) {
        // A prime factor above the bound is left: PARI, apart, on the whole
        // number (its own trial division is as quick, and the same number
        // takes the same path through its random curves every time).
        const std::string nom = quoi;
        try {
            Resultat r = calculerAPart([&](Canal& canal) {
                progres("factorisation de " + nom + " : cofacteur de " + std::to_string(nombreDeChiffres(e.S)) + " chiffres");
                const std::vector<FacteurPremier> f = factoriserParPari(entier);
                canal << static_cast<long>(f.size());
                for (const FacteurPremier& x : f) canal << x.p << x.e;
            });
            long n = 0;
            r >> n;
            e.nf = 0;
            for (long t = 0; t < n; ++t) {
                ZZ p;
                long exposant = 0;
                r >> p >> exposant;
                ajouterFacteur(e, p, exposant);
            }
            e.S = 1;
        } catch (EchecDuCalcul& echec) {
            // Told as it is by the dialogue; trial division could take forever.
            if (echec.memoire) echec.raison = "memoire insuffisante pour la factorisation";
            throw;
        }
    }
    if (e.nf == 1 && NTL::IsOne(e.Nexpo[1])) {
        con << "  est un nombre premier. ";
        return 1;
    }
    con << "  ";
    for (e.t = 1; e.t <= e.nf; ++e.t) {
        if (e.t > 1) con << " X ";
        con << "(" << e.Nfact[e.t] << ")";
        if (!NTL::IsOne(e.Nexpo[e.t])) con << "^" << e.Nexpo[e.t];
    }
    return 1;
}

}  // namespace harmo
