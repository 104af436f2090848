#pragma once
// The program a person starts, from a constructed QApplication to its end:
// shared by telvo's main() and the start-up benchmark's probe, so both run
// the same start-up.

#include <QApplication>

namespace telvo {

// Starts Telvo (the settings, the splash screen, the pad) and runs it until
// the switch window ends it; never returns.
[[noreturn]] void RunTelvo(QApplication& app);

}  // namespace telvo
