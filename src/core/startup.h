#pragma once
// What the program does before its first window: one instance per user,
// usable settings, the splash screen, and the external popup program.

#include "core/program.h"

namespace telvo {

// Refuses a second instance ("Application Already Running", then the
// running instance is asked to come to the front and the program ends), reads the configuration
// until it is usable, shows the splash screen unless the user suppressed it, starts the external
// popup program when that is the notification choice, switches the poller off and sets keepRunning.
// May end the program.
void StartUp(Program& program);

}  // namespace telvo
