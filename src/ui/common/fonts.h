#pragma once
// The program's one typeface at the sizes of its ladder. The family is asked
// for by name; the system's substitute stands in where it is not installed.

#include <QFont>

#include "core/font_ladder.h"
#include "ui/common/layout_units.h"

namespace telvo {

QFont MsSansSerif(double points);

// TH: the line height of `font`, in the units of a window's layout.
double TextHeightInUnits(const QFont& font, const LayoutUnits& units);

}  // namespace telvo
