#pragma once
// The About box: the program's name, version and rights notice in a plain
// message box with OK only, shown modally.

#include <QWidget>

#include "core/program.h"

namespace telvo {

// Composes the box's text and shows it through the program's boxes. `parent` is the
// window that asked; the box, like every box of the program, centres on
// the active window.
void ShowAboutBox(Program& program, QWidget* parent);

}  // namespace telvo
