// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/lecteur.h"

#include "shell/console.h"
#include "commun/decimal.h"
#include "commun/suivi.h"

namespace harmo {

int valtest(Etat& e, char caract1) {
    int r = 1;
    if (caract1 >= '0' && caract1 <= '9')
        e.valtest2 = caract1 - '0';
    else if (caract1 == '+')
        e.valtest2 = 1;
    else if (caract1 == '-')
        e.valtest2 = -1;
    else {
        e.valtest2 = 0;
        r = 0;
    }
    e.valtest1 = e.valtest2;
    return r;
}

int valtestR(Etat& e, char caract1) {
    if (caract1 >= '0' && caract1 <= '9') {
        NTL::conv(e.valtest3, static_cast<double>(caract1 - '0'));
        return 1;
    }
    if (caract1 == '.') {
        NTL::conv(e.valtest3, 0.1);
        return 1;
    }
    NTL::conv(e.valtest3, 0.0);
    return 0;
}

namespace {

bool choixValide(int cas, char c) {
    switch (cas) {
        case casOuiNon: return c == '0' || c == '1';
        case casUnDeux: return c == '1' || c == '2';
        case casParite: return c >= '0' && c <= '2';
        case casMenu: return c >= '0' && c <= '5';
        case casNiveau: return c >= '1' && c <= '3';
        case casChiffre: return c >= '0' && c <= '9';
        default: return false;
    }
}

// Whole numbers: "0", or an optional "+" then a digit 1-9 and further digits.
// The value is converted once the whole token is known to be valid.
bool entierValide(Etat& e) {
    const std::string& t = e.entree;
    e.a1 = 0;
    for (e.a = 0; e.a < e.l1; ++e.a)
        if (!valtest(e, t[e.a])) return false;
    std::size_t debut = 0;
    if (t[0] == '0') {
        if (e.l1 != 1) return false;
        e.valeur = 0;
    } else if (t[0] == '-') {
        return false;
    } else {
        if (t[0] == '+') {
            if (e.l1 == 1 || t[1] == '0') return false;
            debut = 1;
        }
        for (std::size_t a = debut; a < t.size(); ++a)
            if (t[a] == '+' || t[a] == '-') return false;
        if (t.size() - debut <= 18)
            e.valeur = std::stoll(t.substr(debut));
        else
            e.valeur = depuisDecimal(t.substr(debut));
    }
    e.a1 = e.l1;
    return !(e.xn == 1 && NTL::IsZero(e.valeur));
}

// Decimal numbers, built digit by digit at the RR precision in force.
bool decimalValide(Etat& e) {
    NTL::conv(e.valeurR, 0.0);
    NTL::conv(e.ndix, 1.0);
    e.cas2 = 0;
    const std::string& t = e.entree;
    for (e.a = 0; e.a < e.l1; ++e.a) {
        char c = t[e.a];
        if (!valtestR(e, c)) return false;
        if (c == '.') {
            if (e.l1 == 1 || e.cas2 == 1) return false;
            e.cas2 = 1;
            continue;
        }
        if (e.cas2 == 0) {
            NTL::mul(e.valeurR, e.valeurR, 10.0);
            NTL::add(e.valeurR, e.valeurR, e.valtest3);
        } else {
            NTL::mul(e.ndix, e.ndix, 10.0);
            RR terme;
            NTL::div(terme, e.valtest3, e.ndix);
            NTL::add(e.valeurR, e.valeurR, terme);
        }
    }
    return !(e.xn == 1 && NTL::IsZero(e.valeurR));
}

}  // namespace

int controle(Etat& e, int cas, const std::string& chaine) {
    // An interrupt request that came during the computation before this
    // question, after its last check: the computation's results go, the
    // menu comes back.
    verifierInterruption();
    Console& con = e.con;
    con.allerALaFin();
    e.refaire = 1;
    e.l = static_cast<long>(chaine.size());
    while (e.refaire == 1) {
        con << chaine;
        con.viderAvantLecture();
        bool trop_long = false;
        if (!con.lireJeton(e.entree, trop_long)) throw FinDeLEntree{};
        e.l1 = static_cast<long>(e.entree.size());
        if (e.l1 == 0 || trop_long) continue;
        bool accepte = false;
        if (cas == casEntier) {
            accepte = entierValide(e);
        } else if (cas == casDecimal) {
            accepte = decimalValide(e);
        } else if (e.l1 == 1 && choixValide(cas, e.entree[0])) {
            e.valeur2 = e.entree[0] - '0';
            accepte = true;
        }
        if (accepte) e.refaire = 0;
    }
    return 0;
}

void demander(Etat& e, int cas, const char* invite, long refuserZero) {
    e.message = invite;
    e.xn = refuserZero;
    e.A = controle(e, cas, e.message);
    e.xn = 0;
}

}  // namespace harmo
