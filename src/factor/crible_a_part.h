// SPDX-License-Identifier: GPL-3.0-or-later
// PARI's whole factorisation of a number (its quadratic sieve, one core) in
// a process of its own, so that ECM curves can run beside it on another
// core: whichever ends first gives the factors. The process ends with its
// parent, and when this object is destroyed.
#pragma once

#include "factor/pari.h"

#include <NTL/ZZ.h>

#include <string>
#include <sys/types.h>
#include <vector>

namespace harmo {

class CribleAPart {
public:
    // Starts the factorisation of n (from a process holding a SessionPari).
    explicit CribleAPart(const NTL::ZZ& n);
    ~CribleAPart();
    CribleAPart(const CribleAPart&) = delete;
    CribleAPart& operator=(const CribleAPart&) = delete;

    // False when no process could be started.
    bool lance() const { return pid_ > 0; }
    // Without waiting: true once the process has ended; its factorisation
    // is then in f, or ok is false when it gave none.
    bool fini(std::vector<FacteurPremier>& f, bool& ok);

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::string recu_;
};

}  // namespace harmo
