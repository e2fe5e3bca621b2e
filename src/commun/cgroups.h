// SPDX-License-Identifier: GPL-3.0-or-later
// The cgroups of the process: for a controller, the directory of its own
// group and of each parent up to the root, in v1 and v2 hierarchies.
#pragma once

#include <functional>
#include <string>

namespace harmo {

// Calls f(dossier, v2) for each group of the controller (memory, cpu) that
// cgroups (the text of /proc/self/cgroup) names under racine, the process's
// own group first. Inside a container the group's own path may not exist
// there: its parents may.
void pourLesGroupes(const std::string& racine, const std::string& cgroups, const std::string& controleur,
                    const std::function<void(const std::string& dossier, bool v2)>& f);

// The text of /proc/self/cgroup.
std::string cgroupsDuProcessus();

}  // namespace harmo
