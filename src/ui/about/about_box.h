#pragma once
// The About box, shown modally.

#include <QWidget>

#include "core/program.h"

namespace telvo {

void ShowAboutBox(Program& program, QWidget* parent);

}  // namespace telvo
