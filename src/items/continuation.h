// SPDX-License-Identifier: GPL-3.0-or-later
// Menu item 1: what a stage changes in the program state, so that an
// interrupted continuation leaves the sum as it was after the stage before.
#pragma once

#include "commun/etat.h"

#include <utility>

namespace harmo {

// What a stage changes in the program state, kept before a continuation and
// put back when the continuation is interrupted: the sum is then as it was
// after the stage before, and a later continuation gives the same bytes.
class AvantLaContinuation {
public:
    explicit AvantLaContinuation(const Etat& e)
        : P_(e.P), Q_(e.Q), S_(e.S), N_(e.N), N0_(e.N0), N1_(e.N1), M_(e.M), M1_(e.M1), i0_(e.i0),
          paquet_(e.paquet), pgcd_(e.pgcd), res_(e.res), niveau2_(e.niveau2), p_(e.p), aff_(e.aff), de_(e.de),
          nsuiv_(e.nsuiv), precision_(RR::precision()), sortie_(RR::OutputPrecision()) {}
    void remettre(Etat& e) {
        e.P = std::move(P_);
        e.Q = std::move(Q_);
        e.S = S_;
        e.N = N_;
        e.N0 = N0_;
        e.N1 = N1_;
        e.M = M_;
        e.M1 = M1_;
        e.i0 = i0_;
        e.paquet = paquet_;
        e.pgcd = pgcd_;
        e.res = res_;
        e.niveau2 = niveau2_;
        e.p = p_;
        e.aff = aff_;
        e.de = de_;
        e.nsuiv = nsuiv_;
        RR::SetPrecision(precision_);
        RR::SetOutputPrecision(sortie_);
    }

private:
    ZZ P_, Q_, S_, N_, N0_, N1_, M_, M1_, i0_, paquet_, pgcd_;
    RR res_;
    SommeApprochee niveau2_;
    long p_, aff_, de_, nsuiv_, precision_, sortie_;
};

}  // namespace harmo
