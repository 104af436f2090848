#pragma once
// The alert window (Form5), shown modally for the person `person`: in
// AlertMode 1 it shows the alert to the message taker, in AlertMode 0 it lets
// the user edit it.

#include <QWidget>

#include "core/program.h"

namespace telvo {

void ShowAlertWindow(Program& program, int person, QWidget* parent);

}  // namespace telvo
