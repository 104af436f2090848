#pragma once
// The type sizes every window steps down through, in points, until its text
// fits.

#include <array>

namespace telvo {

inline constexpr std::array<double, 5> kFontLadder = {18, 13.5, 12, 9.75, 8.25};

}  // namespace telvo
