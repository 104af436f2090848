#pragma once
// The program-wide values, under the names the whole program uses. They live
// for the run of one instance and are touched from the user-interface thread
// only.

#include <array>
#include <cstdint>
#include <string>

#include "core/call_fields.h"

namespace telvo {

inline constexpr int kPageRows = 12;

// Codes of ActiveWindow.
enum WindowCode : int16_t {
  kMessagePad = 1,
  kCallList = 2,
  kPrintRange = 3,
  kOptionsDialog = 4,
  kAlertWindow = 5,
};

struct ProgramState {
  int16_t SelectedPerson = 0;

  // Window and run state.
  int16_t ActiveWindow = 0;
  int16_t KeepRunning = 0;
  // The first pad of the run has warned of unsafe shares (one box a run).
  bool SharesChecked = false;
  int16_t ForwardMode = 0;
  int16_t SkipSwitch = 0;
  std::string CurrentLogPath;
  // Whose log CurrentLogPath is: the title of that log's messages. Kept with
  // the path so the two cannot drift apart when the people list is reloaded.
  std::string CurrentLogOwner;
  int64_t LastLogLength = 0;

  // 1 after the last delivery, purge or call action failed, 0 after it succeeded.
  int16_t FileError = 0;

  // The log being viewed, kept across a forward: the pad may reload the
  // people list meanwhile, so the index alone could name someone else.
  int16_t SavedPerson = 0;
  std::string SavedLogPath;
  std::string SavedLogOwner;
};

}  // namespace telvo
