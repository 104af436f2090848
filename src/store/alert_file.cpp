#include "store/alert_file.h"

namespace telvo {

// Stands in until alerts are read from their files.
void ReadAlert(Program& program, int) {
  program.state.AlertText.clear();
  program.state.AlertError = 53;
}

}  // namespace telvo
