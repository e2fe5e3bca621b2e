#include "sums/hn.h"

#include "commun/constantes.h"
#include "commun/pont_gmp.h"
#include "commun/pont_mpfr.h"
#include "shell/console.h"
#include "shell/lecteur.h"
#include "sums/decomp.h"
#include "sums/kempner_compte.h"
#include "sums/reduction.h"
#include "sums/sequence.h"
#include "sums/somme_exacte.h"

#include <cmath>
#include <cstdint>
#include <future>

namespace harmo {

namespace {

// Asks N with the parity loop (the wrong parity is asked again), sets M.
void demanderN(Etat& e, bool nouvelle) {
    if (e.parite == 2) {
        e.N = 1;
        while (NTL::IsOdd(e.N)) {
            demander(e, casEntier, nouvelle ? " \n \n \t Nouvelle valeur de N (Paire) ? :  "
                                            : " \n \n \t Valeur de N (Paire) ? :  ", 1);
            e.N = e.valeur;
        }
        e.M = e.N / 2;
    } else if (e.parite == 1) {
        e.N = 2;
        while (!NTL::IsOdd(e.N)) {
            demander(e, casEntier, nouvelle ? " \n \n \t Nouvelle valeur de N (Impaire) ? :  "
                                            : " \n \n \t Valeur de N (Impaire) ? :  ", 1);
            e.N = e.valeur;
        }
        e.M = (e.N + 1) / 2;
    } else {
        demander(e, casEntier, nouvelle ? " \n \n \t Nouvelle valeur de N  ? :  "
                                        : " \n \n \t Valeur de N  ? :  ", 1);
        e.N = e.valeur;
        e.M = e.N;
    }
}

// Bits of the working precision for nd digits and a stage of p digits.
long precisionEtape(long p, long nd) {
    return static_cast<long>(static_cast<double>(p + nd + 2) * LN10 / LN2 + 10);
}

// Approximate sum, term by term: res = res + 1/n at p bits, each step
// correctly rounded as the RR operations are.
class SommeApprochee {
public:
    SommeApprochee(const RR& depart, long p) : res_(p), quot_(p), depart_(1), un_(2) {
        versMpfrExact(depart_, depart);
        mpfr_set_ui(un_, 1, MPFR_RNDN);
    }
    void terme(std::uint64_t n) {
        mpfr_div_ui(quot_, un_, n, MPFR_RNDN);
        ajouter();
    }
    void terme(const ZZ& n) {
        Mpfr d(std::max<long>(NTL::NumBits(n), 1));
        mpfr_set_z(d, VueMpz(n), MPFR_RNDN);
        mpfr_ui_div(quot_, 1, d, MPFR_RNDN);
        ajouter();
    }
    // The sum; the starting value itself, untouched, when no term came.
    void resultat(RR& res) const {
        if (premier_) return;
        versRR(res, res_);
    }

private:
    void ajouter() {
        mpfr_add(res_, premier_ ? depart_.get() : res_.get(), quot_, MPFR_RNDN);
        premier_ = false;
    }
    Mpfr res_, quot_, depart_, un_;
    bool premier_ = true;
};

// The candidates of the stage, from N1 + z up to N, in order; f(n) is called
// with n as a machine word while it fits, as a ZZ beyond. Leaves N1 = the last
// candidate.
template <class Fonction>
void enumerer(Etat& e, Fonction&& f) {
    if (e.N1 >= e.N) return;
    const long z = NTL::conv<long>(e.z);
    if (e.N1 + e.z < limiteMachine()) {
        std::uint64_t n = NTL::conv<unsigned long>(e.N1 + e.z);
        const ZZ& borne = e.N < limiteMachine() ? e.N : limiteMachine();
        const std::uint64_t fin = NTL::conv<unsigned long>(borne);
        for (; n <= fin; n += z) f(n);
        e.N1 = n - z;
    }
    while (e.N1 < e.N) {
        e.N1 += e.z;
        f(static_cast<const ZZ&>(e.N1));
    }
}

// Kept terms only (every term of a harmonic sum). Counts them into i0 and
// remembers the last one in N0 (Kempner).
template <class Fonction>
void enumererGardes(Etat& e, Fonction&& f) {
    if (e.sup == 2) {
        enumerer(e, [&](const auto& n) { f(n); });
        e.i0 += e.M - e.M1;
        return;
    }
    SequenceChiffres seq(std::vector<long>(e.ch.begin() + 1, e.ch.begin() + 1 + e.chn));
    std::uint64_t compte = 0, dernier = 0;
    enumerer(e, [&](const auto& n) {
        using T = std::decay_t<decltype(n)>;
        if constexpr (std::is_same_v<T, std::uint64_t>) {
            if (seq.trouvee(n)) return;
            ++compte;
            dernier = n;
            f(n);
        } else {
            if (sequenceTrouvee(e, n)) return;
            e.i0 += 1;
            e.N0 = n;
            dernier = 0;
            f(n);
        }
    });
    e.i0 += static_cast<unsigned long>(compte);
    if (dernier != 0) e.N0 = static_cast<unsigned long>(dernier);
}

// The exact sum of the stage's kept terms.
Fraction sommeEtape(Etat& e) {
    if (e.sup == 2) {
        // Every term of (N1, N], every odd or every even one; all the terms
        // through the odd/even splitting, and the even ones as half of them.
        const ZZ A = e.N1 < 0 ? ZZ(0) : e.N1;
        Fraction f;
        if (e.parite == 1) {
            f = sommeImpairs(A, e.N);
        } else if (e.parite == 0) {
            f = sommeIntervalle(A, e.N);
        } else {
            f = sommeIntervalle(A / 2, e.N / 2);
            if (!NTL::IsZero(f.P)) NTL::mul(f.Q, f.Q, 2);
        }
        e.i0 += e.M - e.M1;
        e.N1 = e.N;
        return f;
    }
    // A long Kempner stage on machine words: its two halves on the two cores,
    // each summed as a tree and then added (the same integers in any grouping).
    if (e.N < limiteMachine() && e.N - e.N1 > 200000) {
        const std::uint64_t z = NTL::conv<unsigned long>(e.z);
        const std::uint64_t premier = NTL::conv<unsigned long>(e.N1 + e.z), dernier = NTL::conv<unsigned long>(e.N);
        const std::uint64_t milieu = premier + ((dernier - premier) / z / 2) * z;  // a candidate
        SequenceChiffres seq(std::vector<long>(e.ch.begin() + 1, e.ch.begin() + 1 + e.chn));
        struct Moitie {
            Fraction f;
            std::uint64_t compte = 0, garde = 0;
        };
        auto moitie = [&seq, z](std::uint64_t de, std::uint64_t a) {
            Moitie m;
            SommeEnArbre arbre;
            for (std::uint64_t n = de; n <= a; n += z)
                if (!seq.trouvee(n)) {
                    arbre.terme(n);
                    ++m.compte;
                    m.garde = n;
                }
            m.f = arbre.resultat();
            return m;
        };
        auto gauche = std::async(std::launch::async, moitie, premier, milieu);
        Moitie droite = moitie(milieu + z, dernier);
        Moitie g = gauche.get();
        ajouter(g.f, droite.f);
        e.i0 += static_cast<unsigned long>(g.compte + droite.compte);
        if (droite.compte > 0)
            e.N0 = static_cast<unsigned long>(droite.garde);
        else if (g.compte > 0)
            e.N0 = static_cast<unsigned long>(g.garde);
        e.N1 = e.N;
        return g.f;
    }
    SommeEnArbre arbre;
    enumererGardes(e, [&](const auto& n) { arbre.terme(n); });
    return arbre.resultat();
}

void valeurApprocheeDeLaFraction(Etat& e) {
    if (NTL::IsZero(e.P)) {
        // No term kept: the sum is 0.
        NTL::clear(e.res);
        return;
    }
    RR t;
    NTL::conv(t, NTL::log(e.P) / LN2);
    NTL::add(t, t, 10.0);
    e.nd1 = NTL::conv<long>(t);
    RR::SetPrecision(e.nd1);
    NTL::conv(e.P4, e.P);
    NTL::conv(e.Q4, e.Q);
    RR::SetPrecision(e.p);
    NTL::div(e.res, e.P4, e.Q4);
}

void resume(Etat& e) {
    Console& con = e.con;
    if (e.sup == 2) {
        if (e.parite == 0)
            con << " \n \n \t La somme harmonique, de dernier terme  1/";
        else if (e.parite == 2)
            con << " \n \n \t La somme dite 'harmonique paire', de dernier terme  1/";
        else
            con << " \n \n \t La somme dite 'harmonique impaire', de dernier terme  1/";
        con << e.N << "  comporte " << e.i0 << "  termes. ";
        return;
    }
    con << " \n \n \t Tous les termes ";
    if (e.parite == 1) con << " paires et ceux impaires ";
    if (e.parite == 2) con << " impaires et ceux paires ";
    con << " contenant la sequence  ";
    for (long j = 1; j <= e.chn; ++j) con << e.ch[j];
    con << "  ont ete supprimes de la suite harmonique complete. ";
    con << " \n \n \t Cette somme de KEMPNER ";
    if (e.parite == 2) con << " 'Paire', ";
    if (e.parite == 1) con << " 'Impaire', ";
    con << " comporte  " << e.i0 << "  termes. ";
    if (NTL::IsZero(e.i0))
        con << " Aucun terme n'a ete garde. ";
    else
        con << " Le dernier est 1/" << e.N0 << "  . ";
}

void fractionExacte(Etat& e) {
    Console& con = e.con;
    demander(e, casOuiNon, "\n \n \t Voulez vous afficher la fraction P/Q simplifiee ,   Oui[1] / Non[0] ? : ");
    e.aff = e.valeur2;
    if (e.aff != 1) return;
    if (e.sup == 2)
        reduireSommeHarmonique(e.P, e.Q, e.N, e.parite);  // P/Q is the whole sum up to N
    else
        e.pgcd = reduire(e.P, e.Q);
    con << "\n \n \t " << (e.sup == 1 ? "K" : "H") << "(";
    if (e.sup == 1)
        con << (NTL::IsZero(e.i0) ? e.N : e.N0);
    else
        con << e.N;
    con << ") = P/Q  =  " << e.P << " / " << e.Q << " . ";
    demander(e, casOuiNon, " \n \n \t Decompositions en facteurs premiers de P et Q ?   Oui [1] , Non [0] : ");
    e.de = e.valeur2;
    if (e.de == 1) {
        e.S = e.P;
        con << "\n \n \t P = ";
        e.A = decomp(e);
        e.S = e.Q;
        con << "\n \n \t Q = ";
        e.A = decomp(e);
    }
}

// One stage: from the candidate after N1 up to N.
void etape(Etat& e) {
    Console& con = e.con;
    if (e.Nt == 3) {
        con << "\n \n \t En regroupant les termes en paquets les calculs sont acceleres.";
        demander(e, casEntier, " \n \t Nombre de termes dans un paquet  ? :  ", 1);
        e.paquet = e.valeur;
        // The terms are summed by a balanced tree whatever the packets: the
        // same integers, in quasi-linear time. The packet count still sizes
        // the precision.
        e.p = nombreDeChiffres((e.M - e.M1) / e.paquet);
    } else if (e.Nt == 2) {
        e.p = nombreDeChiffres(e.M - e.M1);
    }
    if (e.Nt >= 2) {
        e.p = precisionEtape(e.p, e.nd);
        RR::SetPrecision(e.p);
        e.p = RR::precision();
    }

    if (e.Nt == 1) {
        // Counting needs no enumeration: a harmonic stage has M - M1 terms,
        // and the terms of a Kempner stage are counted digit by digit.
        if (e.sup == 2) {
            e.i0 += e.M - e.M1;
        } else {
            std::vector<long> seq(e.ch.begin() + 1, e.ch.begin() + 1 + e.chn);
            ZZ avant = compterSansSequence(e.N1, seq, e.parite);
            ZZ jusqua = compterSansSequence(e.N, seq, e.parite);
            e.i0 += jusqua - avant;
            ZZ dernier;
            if (jusqua > avant && plusGrandSansSequence(e.N, seq, e.parite, dernier)) e.N0 = dernier;
        }
        e.N1 = e.N;
    } else if (e.Nt == 2) {
        SommeApprochee somme(e.res, e.p);
        enumererGardes(e, [&](const auto& n) { somme.terme(n); });
        somme.resultat(e.res);
    } else {
        // The stage's fraction joins the running one, unreduced.
        Fraction total{std::move(e.P), std::move(e.Q)};
        ajouter(total, sommeEtape(e));
        e.P = std::move(total.P);
        e.Q = std::move(total.Q);
        valeurApprocheeDeLaFraction(e);
    }

    if (e.Nt >= 2) {
        RR::SetOutputPrecision(std::max<long>(e.nd, 1));
        con << "\n \n \t La somme est la fraction P/Q dont une valeur approchee  =  " << e.res;
    }
    resume(e);
    if (e.Nt == 3) fractionExacte(e);
}

void unCalcul(Etat& e) {
    Console& con = e.con;
    demander(e, casParite, " \n \n \n \t Parite de tous les denominateurs ? Paire [2] , Impaire [1] , Indifferente (cas normal) [0] : ");
    e.parite = e.valeur2;
    if (e.parite == 0)
        con << " \n \n \t Expression generale de H(N) = 1/1 +1/2 + 1/3  ... 1/N ";
    else if (e.parite == 1)
        con << " \n \n \t Expression generale de H(N) = 1/1 +1/3 + 1/5  ... 1/N , avec N impaire.";
    else
        con << " \n \n \t Expression generale de H(N) =  1/2 + 1/4 + 1/6 ... 1/N , avec N paire.  ";
    demanderN(e, false);
    e.M1 = 0;
    e.Nt = 0;
    demander(e, casUnDeux, "\n \n \t Voulez vous calculez: une somme de KEMPNER [1] / une somme Harmonique [2] ? : ");
    e.sup = e.valeur2;
    if (e.sup == 1) {
        con << " \n \n \t Il s'agit de supprimer tous les termes de la serie d'origine contenant une certaine sequence de chiffres. ";
        demander(e, casChiffre, "\n \n \t Combien de chiffres dans la sequence ? : ");
        e.chn = e.valeur2;
        for (e.j = 1; e.j <= e.chn; ++e.j) {
            con << "\n \t Quel est le chiffre de rang " << e.j << "  de la sequence ";
            demander(e, casChiffre, " ? : ");
            e.ch[e.j] = e.valeur2;
        }
    }
    demander(e, casNiveau,
             "\n \n \n \t Voulez vous :  \n \n \t \t  [1] Seulement compter les termes de la somme ?  \n \n \t \t  [2] Avoir aussi une valeur approchee de la somme ?  \n \n \t \t  [3] Avoir egalement la valeur exacte (P/Q) de cette somme ? \n \n \t \t \t  Quel est votre choix ?  :  ");
    e.Nt = e.valeur2;
    e.i0 = 0;
    if (e.Nt == 2 || e.Nt == 3) {
        do {
            demander(e, casEntier, " \n \n \t Avec combien de chiffres significatifs  exacts voulez vous afficher la somme approchee  ? : ");
        } while (e.valeur > maxChiffresSignificatifs);
        e.nd = NTL::conv<long>(e.valeur);
    }
    NTL::clear(e.res);
    e.i0 = 0;
    e.P = 0;
    e.Q = 1;
    e.N0 = 0;  // no term kept yet in this calculation
    if (e.parite == 1) {
        e.N1 = -1;
        e.z = 2;
    } else {
        e.N1 = 0;
        e.z = e.parite == 0 ? 1 : 2;
    }
    for (;;) {
        etape(e);
        demander(e, casOuiNon, "\n \n \n \t Voulez vous continuer pour une plus grande valeur de N ? Oui [1] , Non [0] : ");
        e.nsuiv = e.valeur2;
        if (e.nsuiv != 1) break;
        e.N1 = e.N;
        e.M1 = e.M;
        do {
            demanderN(e, true);
        } while (e.N <= e.N1);
    }
}

}  // namespace

int HN(Etat& e) {
    Console& con = e.con;
    e.recalc = 1;
    con << "\n \n___________________________________________________________________________________________________________"
        << " \n \n \t Calcul d'une somme Harmonique ou de Kempner de dernier terme 1/N. "
        << "\n \n \t SOMMES DE KEMPNER."
        << "\n \n \t Ce sont les sommes harmoniques dans lesquelles on a supprime tous les termes contenant un certain chiffre."
        << "\n \t Ou encore pour  lesquelles on a supprime tous les termes contenant une certaine sequence de chiffres."
        << "\n \n \t Contrairement a la serie harmonique, ces series sont convergentes. Mais elles convergent tres lentement !!! ";
    while (e.recalc == 1) {
        unCalcul(e);
        demander(e, casOuiNon, "\n \n \n \t Nouveau calcul ? Oui [1] , Non [0] : ");
        e.recalc = e.valeur2;
    }
    return 1;
}

}  // namespace harmo
