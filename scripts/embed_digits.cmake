# SPDX-License-Identifier: GPL-3.0-or-later
# Turns the text of decimals into a C++ source holding it as one constant.
file(READ ${IN} digits)
string(STRIP "${digits}" digits)
string(LENGTH "${digits}" n)
set(body "")
set(pos 0)
while(pos LESS n)
  string(SUBSTRING "${digits}" ${pos} 200 chunk)
  string(APPEND body "\"${chunk}\"\n")
  math(EXPR pos "${pos} + 200")
endwhile()
file(WRITE ${OUT} "// Generated from data/gamma_170000.txt at build time.\n#include \"euler/constante.h\"\nnamespace harmo {\nconst char chiffresE[] =\n${body};\nconst long nChiffresE = ${n};\n}\n")
