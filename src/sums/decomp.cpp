#include "sums/decomp.h"

#include "shell/console.h"

namespace harmo {

int Suiv(Etat& e) {
    ZZ c = e.Nprem[e.np] + 2 * e.i;
    e.j = 1;
    while (e.Nprem[e.j] * e.Nprem[e.j] <= c) {
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

int decomp(Etat& e) {
    Console& con = e.con;
    if (NTL::IsZero(e.S)) {
        // Zero has no factorisation: it is shown as it is.
        con << "  0";
        return 1;
    }
    e.k = 0;
    e.nf = 0;
    e.i = 1;
    while (!NTL::IsOne(e.S)) {
        e.expo = 0;
        ++e.k;
        if (e.k > 2 && e.k > e.np) Suiv(e);
        const ZZ& premier = e.Nprem[e.k];
        e.reste = e.S % premier;
        e.f = 0;
        if (premier * premier > e.S) {
            ++e.nf;
            allonger(e);
            e.Nfact[e.nf] = e.S;
            e.Nexpo[e.nf] = 1;
            e.S = 1;
            e.reste = 1;
        }
        while (NTL::IsZero(e.reste)) {
            e.S /= premier;
            ++e.f;
            if (e.f == 1) {
                ++e.nf;
                allonger(e);
                e.Nfact[e.nf] = premier;
            }
            ++e.expo;
            e.Nexpo[e.nf] = e.expo;
            e.reste = e.S % premier;
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
