#pragma once
// Carrying out the action chosen for one listed call: a new mark written in
// place, or a forward or export that may lead to one. The call list's page
// memory says where the call is; it is checked against the file before and
// again after any dialog, because the log is not held open while the user
// decides and another workstation may purge it meanwhile.

#include "core/program.h"

namespace telvo {

// Values of CallAction, as the Actions menu's items store them.
enum CallActionCode : int16_t {
  kActionNone = 0,  // the menu was closed without a choice
  kActionDelete = 1,
  kActionArchive = 2,
  kActionImportant = 3,
  kActionForward = 4,
  kActionNew = 5,
  kActionExport = 6,
};

// The listing the action works on. The call list's paging engine implements
// it; the store only needs these two ways back to the screen.
class CallPageView {
 public:
  virtual ~CallPageView() = default;
  // Draws the call in RecordText, whose record begins at ReadPos, again in
  // row PageRow at the height the row was drawn at.
  virtual void RedrawRow() = 0;
  // Lists the calls again from the newest one.
  virtual void ShowNewestPage() = 0;
};

// Carries out CallAction on the call in row PageRow of the log in
// CurrentLogPath and redraws that row from the file. Shows its own messages;
// nothing is written when the call is no longer where the page says.
void ApplyCallAction(Program& program, CallPageView& view);

}  // namespace telvo
