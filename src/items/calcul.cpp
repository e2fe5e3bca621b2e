// SPDX-License-Identifier: GPL-3.0-or-later
#include "items/calcul.h"

#include "commun/decimal.h"
#include "commun/enfant.h"
#include "commun/entiers.h"
#include "commun/memoire.h"
#include "fraction/reconnaissance.h"
#include "items/echec.h"
#include "shell/console.h"
#include "shell/lecteur.h"
#include "sums/parite.h"

namespace harmo {

namespace {

void resultatHarmonique(Etat& e) {
    Console& con = e.con;
    con << "\n \t C'est une somme harmonique";
    if (e.parite == 1) con << " impaire";
    if (e.parite == 2) con << " paire";
    con << " de " << e.i << " termes." << "\n \n \t" << "  P/Q  =  " << e.P3 << " / " << e.Q3;
    if (!NTL::IsOne(e.pgcd)) con << "  =  " << e.P2 << " / " << e.Q2 << " = H(" << e.N << ") ";
    static const char* const deuxTermes[] = {" \n \n \t Expression de H(N) = 1/1 + 1/2 \n \n",
                                             " \n \n \t Expression de H(N) = 1/1 + 1/3 \n \n",
                                             " \n \n \t Expression de H(N) = 1/2 + 1/4  \n \n"};
    static const char* const general[] = {" \n \n \t Expression de H(N) = 1/1 +1/2 + ... 1/",
                                          " \n \n \t Expression de H(N) = 1/1 +1/3 + ... 1/",
                                          " \n \n \t Expression de H(N) =  1/2 + 1/4 + ... 1/"};
    static const char* const ligneN[] = {" \n \n \t N = ", " \n \n \t N Impaire = ", " \n \n \t N Paire = "};
    if (e.i == 2)
        con << deuxTermes[e.parite];
    else
        con << general[e.parite] << e.N << " \n \n";
    con << ligneN[e.parite] << e.N;
}

// t: the decimal texts of P, Q (the remainder) and P3, Q3 (H(N)).
void resultatNonHarmonique(Etat& e, const std::vector<std::string>& t) {
    Console& con = e.con;
    con << "\n  \t Ce n'est pas une somme harmonique";
    con << (e.parite == 1 ? " 'dite impaire'.\n " : e.parite == 2 ? " 'dite paire'.\n" : ". \n");
    con << "\n \t On cherche la plus grande valeur de N possible, telle que : P/Q = H(N) + P1/Q1. On aura :  P1/Q1 < 1/(N";
    con << (e.parite == 1 ? "+2). (N impaire)" : e.parite == 2 ? "+2). (N paire)" : "+1).");
    static const char* const somme[] = {" \n \n \t Avec  H(N) = 1/1 +1/2 + 1/3  ... 1/",
                                        " \n \n \t Avec H(N) = 1/1 +1/3 + 1/5  ... 1/",
                                        " \n \n \t Avec H(N) =  1/2 + 1/4 + 1/6 ... 1/"};
    con << somme[e.parite] << e.N << " \n \n" << " \t La somme comporte " << e.i << " termes. ";
    con << "\n \n \t P/Q = H(" << e.N << ") + " << t[0] << " / " << t[1] << "\n ";
    con << "\n \t Avec  H(" << e.N << ") = " << t[2] << " / " << t[3] << "\n \n ";
}

}  // namespace

int calcul(Etat& e) {
    Console& con = e.con;
    e.xn = 0;
    e.recalc = 1;
    while (e.recalc == 1) {
        if (e.refaire1 == 0) {
            con << "\n___________________________________________________________________________________________________________";
            con << "\n \n \t La fraction  P/Q  est elle une somme harmonique H(N) = 1/1 + 1/2 + 1/3 ......+ 1/N  ?";
            demander(e, casParite, " \n \n \t Parite de tous les denominateurs ? Paire [2] , Impaire [1] , Indifferente (cas normal) [0] : ");
            e.parite = e.valeur2;
        }
        e.refaire1 = 0;
        demander(e, casEntier, "\n \n \t P = ", 1);
        e.P1 = e.valeur;
        con << "\n ";
        demander(e, casEntier, "\t Q = ", 1);
        e.Q1 = e.valeur;
        con << "\n";

        if (e.parite == 2 ? 2 * e.P1 < e.Q1 : e.P1 < e.Q1) {
            con << "\n \n \t La fraction P/Q doit-etre plus grande que ";
            con << (e.parite == 2 ? " 1/2  (2P > Q). Recommencez ! \n \n" : " 1  (P > Q).  Recommencez ! \n \n");
            e.refaire1 = 1;
            return 1;
        }
        e.P = e.P3 = e.P2 = e.P1;
        e.Q = e.Q3 = e.Q2 = e.Q1;
        pgcd(e.pgcd, e.P, e.Q);
        diviserExactement(e.P, e.P1, e.pgcd);
        diviserExactement(e.Q, e.Q1, e.pgcd);
        if (!NTL::IsOne(e.pgcd))
            con << "\n \t Le PGCD de P et Q  est :   " << e.pgcd << "\n \n" << "\t La fraction simplifiee vaut :  " << e.P
                << " / " << e.Q << " \n \n";
        e.P2 = e.P;
        e.Q2 = e.Q;

        // The sums that the memory can hold.
        const double limite = termesMaximaux(e.parite, memoireUtilisable());
        const double termes = termesEstimes(e.P2, e.Q2, e.parite);
        bool hors = termes > limite;
        if (!hors) {
            try {
                // Apart, so that Ctrl-C can abandon it at once; in place up to
                // H(2 * 10^6), a few tenths of a second whose loops answer it.
                Resultat res = calculerAPart([&](Canal& canal) {
                    Reconnaissance r = reconnaissanceRapide(e.P2, e.Q2, e.parite);
                    canal << static_cast<long>(r.harmonique) << r.i << r.N << r.Pr << r.Qr << r.Ph << r.Qh;
                    for (const std::string& t : enDecimal({&r.Pr, &r.Qr, &r.Ph, &r.Qh})) canal << t;
                }, termes <= 2e6);
                long harmonique = 0;
                std::vector<std::string> textes(4);
                res >> harmonique >> e.i >> e.N >> e.P >> e.Q >> e.P3 >> e.Q3;
                for (std::string& t : textes) res >> t;
                e.z = pasDesCandidats[e.parite];
                if (harmonique) {
                    NTL::clear(e.P);
                    e.P3 = e.P1;
                    e.Q3 = e.Q1;
                    resultatHarmonique(e);
                } else {
                    resultatNonHarmonique(e, textes);
                }
            } catch (const EchecDuCalcul& echec) {
                if (!echec.memoire) {
                    direCalculImpossible(con, echec.raison);
                } else {
                    hors = true;
                }
            }
        }
        if (hors)
            con << "\n \t Cette fraction depasse les possibilites du programme : la somme harmonique correspondante aurait plus de "
                << static_cast<long>(limite) << " termes. \n";
        demander(e, casOuiNon, "\n \n \t Nouvelle fraction ? Oui [1] , Non [0] : ");
        e.recalc = e.valeur2;
    }
    return 1;
}

}  // namespace harmo
