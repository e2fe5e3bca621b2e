// SPDX-License-Identifier: GPL-3.0-or-later
// The memory that a computation may still take: the smallest of
// MemAvailable (/proc/meminfo), what the address-space and data limits
// (RLIMIT_AS, RLIMIT_DATA) leave beside what the process already maps, and
// what every memory cgroup from the process's own up to the root leaves
// (memory.max - memory.current in v2, memory.limit_in_bytes -
// memory.usage_in_bytes in v1).
#pragma once

#include <string>

namespace harmo {

// Bytes available now (a large value when nothing can be read).
double memoireDisponible();

// Under an address-space limit (RLIMIT_AS), one malloc arena for all the
// threads: each thread's arena reserves 64 MB of address space, which the
// limit counts (four of them took 250 MB of a 300 MB limit). Called at the
// start.
void economiserLEspaceDAdresses();

// What one computation may take: 0.8 of what is available, a margin for the
// estimates and for the rest of the machine. What the program already holds
// is counted as taken, so estimates count only what a request adds.
inline double memoireUtilisable() { return 0.8 * memoireDisponible(); }

// The least room left by the memory cgroups of the process, walking from its
// own group up to the root. racine: where the hierarchies are mounted
// (/sys/fs/cgroup); cgroups: the text of /proc/self/cgroup. Negative when no
// group sets a limit.
double resteDesCgroups(const std::string& racine, const std::string& cgroups);

}  // namespace harmo
