// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 3: the explanation text.
#include "items/explications.h"

#include "shell/console.h"

namespace harmo {

namespace {

const char* const texteExplications[] = {
    " \n \n \n \t  LA PREMIERE PARTIE du programme permet de calculer la somme H(N) de la serie harmonique en s'arretant au terme 1/N. N etant demande au depart. ",
    " \n \n \n \t  Rappel : H(N) = 1 + 1/2 + 1/3 + 1/4 + ... + 1/N . ",
    " \n \n \t  On distingue 3 cas : ",
    " \n \t \t - Le cas normal pour lequel la parite des denominateurs est quelconque. ",
    " \n \t \t - 2 autres cas : 'harmonique paire' et 'harmonique impaire'. Le nombre N doit etre de la parite correspondante. ",
    " \n \t  Pour ces 2 cas, on ne garde de la suite harmonique que les termes de denominateurs 'pairs' ou 'impairs'. ",
    " \n \n \t  CETTE PARTIE permet egalement de calculer les sommesde KEMPNER. ",
    " \n \n \t  A partir de sommes, normales, paires ou impaires ont peut choisir l'option sommes de KEMPNER. ",
    " \n \t  Ce sont les sommes Harmoniques dans lesquelles on a supprime tous les termes contenant 1 chiffre ou une sequence de plusieurs chiffres ",
    " \n \t  Alors que la serie Harmonique est divergente, il a ete prouve que les series de KEMPNER convergent (tres lentement !). ",
    " \n \n \t  Ces sommes H(N) sont donnees sous la forme approchee et aussi facultativement d'une fraction irreductible P/Q. ",
    " \n \t  On peut choisir librement le nombre de chiffres significatifs des valeurs approchees.",
    " \n \t  Une option permet d'afficher les decompositions en facteurs premiers de P de Q. ",
    " \n \n \n \t  LA DEUXIEME PARTIE du programme permet de savoir si une fraction P/Q est une somme harmonique et si oui, laquelle. ",
    " \n \n \t  La parite ('normale', 'paire' ou 'impaire'), doit etre choisie avant le calcul. ",
    " \n \t  Si P/Q n'est pas une somme harmonique,  le programme determine celle qui lui est immediatement inferieure.",
    " \n \t  Le reste est donne sous la forme d'une fraction irreductible. ",
    " \n \n \n \t  LA QUARIEME PARTIE permet de calculer tres rapidement une valeur approchee de H(N).",
    " \n \n \t  LA CINQUIEME PARTIE permet d'obtenir tres rapidement les 2 valeurs consecutives de N pour lesquelles les sommes H(N) encadrent un nombre H quelconque. ",
    " \n \n \t  Ces 2 dernieres parties utilisent la formule d'Euler-Mascheroni. Plus N est grand, plus la precision possible du resultat l'est.",
    " \n \n \t  REMARQUE : Le controle theorique rigoureux des precisions annoncees par le programme reste a faire.",
    " \n \t  La limite vient du nombre de decimales utilisees pour la constante d'Euler-Mascheroni et du nombre de termes du developpement de la formule (?!).",
    " \n \n \t \t - La presente version permet des calculs avec n'importes quelles grandeurs de variables, en entrees ou dans les calculs internes. ",
    " \n \n \t \t - Elle utilise pour cela l'extension NTL du C++ qui le permet. Ces variables sont dites de type ZZ pour les entiers et RR pour les reels.  ",
    " \n \n \t \t - Cette extension permet des calculs sur des nombres entiers et a virgule sans limite de taille et avec n'importe quelle precision",
    " \n \n \t \t - Les limites du programme sont surtout dues aux temps de calculs pour les grands nombres. ",
};

}  // namespace

void explications(Etat& e) {
    for (const char* t : texteExplications) e.con << t;
    e.con << "\n";
    e.con.vider();
}

}  // namespace harmo
