// The memory that a computation may still take: MemAvailable of
// /proc/meminfo, bounded by the cgroup's limit and the address-space limit
// when there are such limits.
#pragma once

namespace harmo {

// Bytes available now (a large value when nothing can be read).
double memoireDisponible();

// What one computation may take: 0.8 of what is available, a margin for the
// estimates and for the rest of the machine.
inline double memoireUtilisable() { return 0.8 * memoireDisponible(); }

// The program itself, its tables and the stored constant (measured).
constexpr double octetsDuProgramme = 3e7;

}  // namespace harmo
