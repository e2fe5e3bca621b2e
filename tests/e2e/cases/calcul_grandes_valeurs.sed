# SPDX-License-Identifier: GPL-3.0-or-later
# The limit of item 2 follows the memory of the machine.
s/aurait plus de [0-9]+ termes\./aurait plus de <limite> termes./
