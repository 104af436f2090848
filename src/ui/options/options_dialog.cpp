#include "ui/options/options_dialog.h"

namespace telvo {

// Stands in until the dialog is built.
void ShowOptionsDialog(Program&, QWidget*) {}

}  // namespace telvo
