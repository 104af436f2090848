#pragma once
// The switch window's door to the message pad.

#include <QWidget>

#include "core/program.h"

namespace telvo {

class SwitchWindow;

// Shows a freshly loaded message pad, modeless and deleted when closed,
// which hands over to `switchWindow` when it unloads.
QWidget* OpenMessagePad(Program& program, SwitchWindow& switchWindow);

// Installs the hook through which a forward shows the pad over the call list.
void InstallForwardHook(Program& program);

}  // namespace telvo
