// SPDX-License-Identifier: GPL-3.0-or-later
// How the dialogues tell a computation that failed for another reason than
// its size (a process, a pipe or a thread that could not be had, a child
// that died): in a few words, then the dialogue goes on as after a refusal.
#pragma once

#include "shell/console.h"

#include <string>

namespace harmo {

inline void direCalculImpossible(Console& con, const std::string& raison) {
    con << " \n \n \t Calcul impossible : " << raison << " \n";
}

// A request that no route can serve within the machine, with the memory it
// would take.
inline void direTropGrand(Console& con, double octets) {
    con << " \n \n \t Ce calcul depasse les possibilites de la machine : il demanderait environ "
        << static_cast<long>(octets / 1e6 + 1) << " Mo de memoire. \n";
}

}  // namespace harmo
