#pragma once
// The program's one typeface at the sizes of its ladder. The family is asked
// for by name; the system's substitute stands in where it is not installed.

#include <QFont>
#include <array>

#include "ui/common/layout_units.h"

namespace telvo {

// The sizes a window steps down through until its text fits.
inline constexpr std::array<double, 5> kFontLadder = {18, 13.5, 12, 9.75, 8.25};

QFont MsSansSerif(double points);

// TH: the line height of `font`, in the units of a window's layout.
double TextHeightInUnits(const QFont& font, const LayoutUnits& units);

}  // namespace telvo
