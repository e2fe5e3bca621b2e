// SPDX-License-Identifier: GPL-3.0-or-later
// How many threads the heavy computations may use: the cores the process is
// really given; and how they start one.
#pragma once

#include <future>
#include <string>
#include <thread>

namespace harmo {

// The cores given to the process, at least 1: the smaller of the CPUs of its
// affinity mask (taskset, cpusets) and of its cgroups' CPU quota, rounded up
// (cpu.max in v2, cpu.cfs_quota_us / cpu.cfs_period_us in v1, from its own
// group up to the root). Read at each call.
unsigned coeursDonnes();

// The same, read once.
unsigned nombreDeCoeurs();

// The smallest quota of CPUs set by the groups of cgroups (the text of
// /proc/self/cgroup) under racine, as a fraction of CPUs; -1 when none is set.
double quotaDesCgroups(const std::string& racine, const std::string& cgroups);

// f(a...) on another thread when the process has more than one core; on the
// one that asks for the result when it has one, or when no thread can be
// started (a process limit, no memory for it): the same work, on one core.
template <class F, class... A>
auto enParallele(const F& f, const A&... a) {
    if (nombreDeCoeurs() > 1) {
        try {
            return std::async(std::launch::async, f, a...);
        } catch (...) {
        }
    }
    return std::async(std::launch::deferred, f, a...);
}

}  // namespace harmo
