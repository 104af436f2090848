#pragma once
// The splash screen, shown modally until it closes itself or is clicked.

#include "core/program.h"

namespace telvo {

void ShowSplashScreen(Program& program);

}  // namespace telvo
