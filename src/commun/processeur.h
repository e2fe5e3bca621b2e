// SPDX-License-Identifier: GPL-3.0-or-later
// The instruction set the wide kernels may use: what the processor offers
// (asked once of the processor, through GCC's __builtin_cpu_supports, which
// also checks that the system saves the wide registers), capped by the
// environment variable HARMONIQUES_ISA (avx512, avx2, generic), read once.
// One binary serves every x86-64: each kernel is compiled for its set with
// a target attribute and chosen when running. Elsewhere (arm64), generic.
#pragma once

namespace harmo {

// Ordered: a set offers everything of the sets below it.
enum class JeuDInstructions { generique = 0, avx2 = 1, avx512 = 2 };

// What the processor offers: AVX-512 F, DQ and VL; else AVX2 with FMA; else generic.
JeuDInstructions jeuDuProcesseur();

// The set the kernels use: the processor's, capped by HARMONIQUES_ISA.
// Read at the first call (main makes it at start); an unknown value is
// ignored, with one line on standard error.
JeuDInstructions jeuDInstructions();

// "avx512", "avx2", "generic".
const char* nomDuJeu(JeuDInstructions jeu);

}  // namespace harmo
