// SPDX-License-Identifier: GPL-3.0-or-later
// The library-wide RR precisions saved at the start of a test and restored
// at its end, even when an assertion fails half-way.
#pragma once

#include <NTL/RR.h>

struct PrecisionsGardees {
    NTL::RRPush precision;
    NTL::RROutputPush sortie;
};
