#pragma once
// Printing the viewed log from the call list: the print range dialog, then
// the job on the default printer (or a PDF file when there is none).

#include <QWidget>

#include "core/program.h"

namespace telvo {

void RunPrintJob(Program& program, QWidget* parent);

}  // namespace telvo
