#include "shell/etat.h"
#include "fraction/calcul.h"
namespace harmo { int calcul(Etat&) { return 1; } }
