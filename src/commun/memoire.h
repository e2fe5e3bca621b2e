// The memory that a computation may still take: MemAvailable of
// /proc/meminfo, bounded by the cgroup's limit and the address-space limit
// when there are such limits.
#pragma once

namespace harmo {

// Bytes available now (a large value when nothing can be read).
double memoireDisponible();

}  // namespace harmo
