#pragma once
// The options dialog (Form4), shown modally.

#include <QWidget>

#include "core/program.h"

namespace telvo {

void ShowOptionsDialog(Program& program, QWidget* parent);

}  // namespace telvo
