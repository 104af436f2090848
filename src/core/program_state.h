#pragma once
// What the windows of one instance hand one another: which of them is in
// front, whether the program goes on when the pad closes, and whose calls
// the call list and the printout show. Each window keeps everything else it
// needs to itself. Touched from the user-interface thread only.

#include <cstdint>
#include <string>

#include "core/person.h"

namespace telvo {

inline constexpr int kPageRows = 12;

// The window in front, as the windows hand over to one another.
enum WindowCode : int16_t {
  kNoWindow = 0,
  kMessagePad = 1,
  kCallList = 2,
  kPrintRange = 3,
  kOptionsDialog = 4,
  kAlertWindow = 5,
};

// The calls the call list shows and the printout prints: a person's calls
// or archive. The person's place in the people list is kept beside it; the
// book holds the person as they were when it was chosen, so that a people
// list reloaded meanwhile cannot make it name someone else.
struct ViewedLog {
  int person = 0;  // -1 once the owner has left the people list
  CallBook book{};
};

struct ProgramState {
  WindowCode activeWindow = kNoWindow;
  // Cleared by a close of the pad that ends the program.
  bool keepRunning = false;
  // The first pad of the run has warned of unsafe shares (one box a run).
  bool sharesChecked = false;
  ViewedLog viewed;
};

}  // namespace telvo
