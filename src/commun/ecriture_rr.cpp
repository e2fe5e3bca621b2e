#include "commun/ecriture_rr.h"

#include <sstream>

namespace harmo {

std::string enTexte(const NTL::RR& v) {
    std::ostringstream os;
    os << v;
    return os.str();
}

}  // namespace harmo
