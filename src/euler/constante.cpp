#include "shell/etat.h"
