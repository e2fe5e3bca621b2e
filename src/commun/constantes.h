// SPDX-License-Identifier: GPL-3.0-or-later
// The doubles nearest ln 2 and ln 10: every conversion between bits and
// decimal digits goes through them.
#pragma once

namespace harmo {

constexpr double LN2 = 0.6931471805599453;
constexpr double LN10 = 2.302585092994046;

}  // namespace harmo
