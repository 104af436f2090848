#include "ui/help/help_window.h"

namespace telvo {

// Stands in until the help page is written.
void ShowHelp(QWidget*, const QString&) {}

}  // namespace telvo
