// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums/etape.h"

#include "commun/coeurs.h"
#include "commun/constantes.h"
#include "commun/decimal.h"
#include "commun/memoire.h"
#include "commun/pont_gmp.h"
#include "commun/pont_mpfr.h"
#include "commun/suivi.h"
#include "sums/kempner_compte.h"
#include "sums/parite.h"
#include "sums/sequence.h"
#include "sums/somme_harmonique.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace harmo {

Gardes compterGardes(const Etape& t) {
    Gardes g;
    if (!t.kempner) {
        g.nombre = nombreDeCandidats(t.N, t.parite) - nombreDeCandidats(t.N1, t.parite);
        if (g.nombre > 0) g.dernier = t.N;
        return g;
    }
    g.nombre = compterSansSequence(t.N, t.sequence, t.parite) - compterSansSequence(t.N1, t.sequence, t.parite);
    if (g.nombre > 0) plusGrandSansSequence(t.N, t.sequence, t.parite, g.dernier);
    return g;
}

namespace {

// Between two blocks of a loop over the candidates: a check for an interrupt
// request, and the share done.
void entreDeuxBlocs(const char* quoi, double part) {
    verifierInterruption();
    progres(quoi, part);
}

// Calls f(n) for the kept candidates n of the stage in increasing order: as
// machine words from `de` to `a` (candidates both), then as ZZ past the
// machine range.
// Every bloc candidates (2^16 when f is cheap, fewer when each call costs
// more, so that a block lasts a few milliseconds): a check for an interrupt
// request, and progress.
// With retires, f(n) for the candidates that hold the sequence instead.
template <class Fonction>
void pourLesGardes(const Etape& t, const SequenceChiffres& seq, std::uint64_t de, std::uint64_t a, Fonction&& f,
                   const char* quoi, std::uint64_t bloc = 1u << 16, bool retires = false) {
    const std::uint64_t pas = static_cast<std::uint64_t>(pasDesCandidats[t.parite]);
    std::uint64_t n = de;
    while (n <= a) {
        const std::uint64_t fin = a - n < pas * bloc ? a : n + pas * bloc;
        for (; n <= fin; n += pas)
            if (!t.kempner || seq.trouvee(n) == retires) f(n);
        if (n <= a) entreDeuxBlocs(quoi, static_cast<double>(n - de) / static_cast<double>(a - de + 1));
    }
}

// Past the machine range the digits of the candidate are kept as a text,
// with the state of the sequence's automaton after each of its digits: going
// to the next candidate changes the last digits (a carry now and then), and
// only their states are read again, instead of writing the whole number in
// decimal for each candidate.
class ChiffresCourants {
public:
    ChiffresCourants(const NTL::ZZ& n, const std::vector<long>& sequence)
        : chiffres_(enDecimal(n)), automate_(automateDeSequence(sequence)),
          mort_(static_cast<int>(sequence.size())), etats_(chiffres_.size() + 1, 0) {
        relire(0);
    }
    bool trouvee() const { return etats_.back() == mort_; }
    void avancer(int pas) {
        std::size_t i = chiffres_.size();
        int retenue = pas;
        while (retenue > 0 && i > 0) {
            --i;
            const int c = chiffres_[i] - '0' + retenue;
            chiffres_[i] = static_cast<char>('0' + c % 10);
            retenue = c / 10;
        }
        if (retenue > 0) {
            chiffres_.insert(chiffres_.begin(), static_cast<char>('0' + retenue));
            etats_.push_back(0);
            i = 0;
        }
        relire(i);
    }

private:
    void relire(std::size_t depuis) {
        for (std::size_t k = depuis; k < chiffres_.size(); ++k)
            etats_[k + 1] = etats_[k] == mort_ ? mort_ : automate_[static_cast<std::size_t>(etats_[k])][chiffres_[k] - '0'];
    }
    std::string chiffres_;
    std::vector<std::array<int, 10>> automate_;
    int mort_;
    std::vector<int> etats_;  // etats_[k]: after the first k digits
};

template <class Fonction>
void pourLesGrandsGardes(const Etape& t, const NTL::ZZ& de, Fonction&& f, const char* quoi, long bloc = 4096) {
    if (de > t.N) return;
    const int pas = static_cast<int>(pasDesCandidats[t.parite]);
    std::optional<ChiffresCourants> chiffres;  // the digits matter to Kempner sums only
    if (t.kempner) chiffres.emplace(de, t.sequence);
    const double total = NTL::conv<double>(t.N - de) + 1;
    long compte = 0;
    for (NTL::ZZ n = de; n <= t.N; n += pas) {
        if (!chiffres || !chiffres->trouvee()) f(static_cast<const NTL::ZZ&>(n));
        if (chiffres) chiffres->avancer(pas);
        if (++compte % bloc == 0) entreDeuxBlocs(quoi, static_cast<double>(compte) * pas / total);
    }
}

// The candidates of the stage that are machine words: [de, a], and the first
// one past them.
struct Plage {
    bool vide = true;
    std::uint64_t de = 0, a = 0;
    NTL::ZZ suite;
};

Plage plageMachine(const Etape& t) {
    Plage p;
    const long pas = pasDesCandidats[t.parite];
    NTL::ZZ premierCandidat = t.N1 + pas;
    p.suite = premierCandidat;
    if (premierCandidat > t.N || premierCandidat >= limiteMachine()) return p;
    NTL::ZZ fin = t.N < limiteMachine() ? t.N : limiteMachine() - 1;
    fin -= (fin - premierCandidat) % pas;  // the last candidate within the range
    p.vide = false;
    p.de = NTL::conv<unsigned long>(premierCandidat);
    p.a = NTL::conv<unsigned long>(fin);
    p.suite = fin + pas;
    return p;
}

// The kept terms of [de, a] (the removed ones with retires) summed by a tree;
// long ranges cut in one part per core (the tree's integers are the same for
// any grouping: Q is the product of the denominators and P the sum of Q/n).
Fraction sommeDesGardesMachine(const Etape& t, const SequenceChiffres& seq, std::uint64_t de, std::uint64_t a,
                               bool retires = false) {
    const std::uint64_t pas = static_cast<std::uint64_t>(pasDesCandidats[t.parite]);
    const std::uint64_t candidats = (a - de) / pas + 1;
    const std::uint64_t parts = candidats > 200000 ? nombreDeCoeurs() : 1;
    auto partie = [&](std::uint64_t k) {
        std::uint64_t debut = de + (candidats * k / parts) * pas;
        std::uint64_t fin = de + (candidats * (k + 1) / parts) * pas;  // excluded
        SommeEnArbre arbre;
        pourLesGardes(t, seq, debut, fin - pas, [&](std::uint64_t n) { arbre.terme(n); }, "somme exacte", 1u << 16,
                      retires);
        return arbre.resultat();
    };
    std::vector<std::future<Fraction>> autres;
    for (std::uint64_t k = 1; k < parts; ++k) autres.push_back(enParallele(partie, k));
    Fraction f = partie(0);
    for (auto& autre : autres) ajouter(f, autre.get());
    return f;
}

// a - b, unreduced; the three products on both cores.
Fraction difference(const Fraction& a, const Fraction& b) {
    if (NTL::IsZero(b.P)) return a;
    Fraction d;
    ZZ u, v;
    auto denominateur = enParallele([&] { NTL::mul(d.Q, a.Q, b.Q); });
    NTL::mul(u, a.P, b.Q);
    NTL::mul(v, b.P, a.Q);
    NTL::sub(d.P, u, v);
    denominateur.get();
    return d;
}

}  // namespace

bool parLeComplement(const Etape& t, const NTL::ZZ& gardes) {
    if (!t.kempner || t.N >= limiteMachine()) return false;
    const NTL::ZZ candidats = nombreDeCandidats(t.N, t.parite) - nombreDeCandidats(t.N1, t.parite);
    // Measured here: the harmonic sum costs about 0.4 of a tree over as many
    // kept terms, so the route pays when the removed terms are below 0.4 of
    // the kept ones (without 42 up to 10^7: 0.06; without 9 up to 10^6: 0.88,
    // where the kept terms' tree is quicker).
    return 5 * (candidats - gardes) < 2 * gardes;
}

Fraction sommeExacte(const Etape& t) {
    if (!t.kempner || !parLeComplement(t, compterGardes(t).nombre)) return sommeExacteDirecte(t);
    // The harmonic stage (in lowest terms when it starts at the first
    // candidate: its top is then kept modulo 2^m) less the removed terms, at
    // the same time.
    const SequenceChiffres seq(t.sequence);
    const Plage p = plageMachine(t);
    if (p.vide) return Fraction{};
    auto retires = enParallele([&] { return sommeDesGardesMachine(t, seq, p.de, p.a, true); });
    const Fraction h = nombreDeCandidats(t.N1, t.parite) <= 0 ? sommeHarmoniqueReduite(t.N, t.parite)
                                                             : sommeDesCandidats(t.N1, t.N, t.parite);
    return difference(h, retires.get());
}

Fraction sommeExacteDirecte(const Etape& t) {
    if (!t.kempner) return sommeDesCandidats(t.N1, t.N, t.parite);
    const SequenceChiffres seq(t.sequence);
    Plage p = plageMachine(t);
    Fraction f;
    if (!p.vide) f = sommeDesGardesMachine(t, seq, p.de, p.a);
    SommeEnArbre grands;
    pourLesGrandsGardes(t, p.suite, [&](const NTL::ZZ& n) { grands.terme(n); }, "somme exacte");
    ajouter(f, grands.resultat());
    return f;
}

Fraction sommeExacteApres(const Etape& t, Fraction avant, bool& reduite, bool recalcul) {
    reduite = false;
    if (!t.kempner && (recalcul || 2 * t.N1 <= t.N)) {
        reduite = true;
        return sommeHarmoniqueReduite(t.N, t.parite);
    }
    ajouter(avant, sommeExacte(t));
    return avant;
}

namespace {

// res = res + 1/n at p bits, each step correctly rounded as the RR operations
// are; the terms as machine words or as ZZ.
class SommeMpfr {
public:
    SommeMpfr(const NTL::RR& depart, long p) : res_(p), quot_(p), depart_(1), un_(2) {
        versMpfrExact(depart_, depart);
        mpfr_set_ui(un_, 1, MPFR_RNDN);
    }
    void terme(std::uint64_t n) {
        mpfr_div_ui(quot_, un_, n, MPFR_RNDN);
        ajouter();
    }
    void terme(const NTL::ZZ& n) {
        Mpfr d(std::max<long>(NTL::NumBits(n), 1));
        mpfr_set_z(d, VueMpz(n), MPFR_RNDN);  // exact: d has the bits of n
        mpfr_div(quot_, un_, d, MPFR_RNDN);
        ajouter();
    }
    // The sum; the starting value itself, untouched, when no term came.
    NTL::RR resultat(const NTL::RR& depart) const {
        if (aucunTerme_) return depart;
        NTL::RR r;
        versRR(r, res_);
        return r;
    }

private:
    void ajouter() {
        mpfr_add(res_, aucunTerme_ ? depart_.get() : res_.get(), quot_, MPFR_RNDN);
        aucunTerme_ = false;
    }
    Mpfr res_, quot_, depart_, un_;
    bool aucunTerme_ = true;
};

}  // namespace

NTL::RR sommeTermeATerme(const Etape& t, const NTL::RR& depart, long p) {
    const SequenceChiffres seq(t.sequence);
    SommeMpfr somme(depart, p);
    Plage plage = plageMachine(t);
    // One term costs about 50 ns + 0.07 ns per bit: blocks of a few milliseconds.
    const double parTerme = 1 + 0.0014 * static_cast<double>(p);
    const auto bloc = static_cast<std::uint64_t>(std::max(1.0, 65536 / parTerme));
    if (!plage.vide)
        pourLesGardes(t, seq, plage.de, plage.a, [&](std::uint64_t n) { somme.terme(n); }, "somme terme a terme", bloc);
    pourLesGrandsGardes(t, plage.suite, [&](const NTL::ZZ& n) { somme.terme(n); }, "somme terme a terme",
                        static_cast<long>(std::min<std::uint64_t>(bloc, 4096) / (1 + NTL::NumBits(t.N) / 4096)) + 1);
    return somme.resultat(depart);
}

NTL::RR valeurDeLaFraction(const Fraction& f, long p) {
    NTL::RR res;
    if (NTL::IsZero(f.P)) return res;  // no term kept: the sum is 0
    NTL::RRPush garde;
    NTL::RR::SetPrecision(p);
    NTL::RR t;
    NTL::conv(t, NTL::log(f.P) / LN2);
    NTL::add(t, t, 10.0);
    NTL::RR::SetPrecision(NTL::conv<long>(t));
    NTL::RR P4 = NTL::conv<NTL::RR>(f.P), Q4 = NTL::conv<NTL::RR>(f.Q);
    NTL::RR::SetPrecision(p);
    NTL::div(res, P4, Q4);
    return res;
}

}  // namespace harmo
