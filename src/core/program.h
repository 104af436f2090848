#pragma once
// One running instance: its door to the system, its message boxes, its
// program-wide state, its workgroup, and the hooks through which code below
// the windows reaches windows that live above it.

#include <functional>
#include <string>
#include <vector>

#include "core/message_boxes.h"
#include "core/pad_values.h"
#include "core/person.h"
#include "core/program_state.h"
#include "core/settings.h"
#include "platform/env.h"

namespace telvo {

class PhoneStore;
class Program;
struct DatabaseWorkgroup;

// Where the calls of the workgroup just read are kept: the workgroup list
// decides, and whoever makes the program owns the stores it can choose.
class StoreChoice {
 public:
  virtual ~StoreChoice() = default;
  // The list names people on a shared folder: program.store becomes the
  // folder store.
  virtual void UseFolder(Program& program) = 0;
  // The list names a workgroup in a database: its people, in their order,
  // go to `people` and program.store becomes that database's store. On
  // failure the text to show (the store stays as it was).
  [[nodiscard]] virtual std::string UseDatabase(Program& program,
                                                const DatabaseWorkgroup& workgroup,
                                                std::vector<Person>* people) = 0;
};

struct ProgramHooks {
  std::function<void()> ClearPad;     // empties the pad after a delivery
  std::function<void()> ShowSplash;   // modal splash screen
  std::function<void()> ShowOptions;  // modal options dialog
  std::function<void()> StartPoller;  // switches the new-call poller on
  std::function<void()> StopPoller;   // switches it off
  // A purge left the log at this path this many bytes long.
  std::function<void(const std::string& log, int64_t newLength)> LogPurged;

  // --- Call list dispositions ------------------------------------------------
  // Shows the message pad modally, pre-filled with `pad`, for a forward, and
  // returns whether a message was actually delivered while it was open (the
  // pad's close box may end a forward without one).
  std::function<bool(const PadValues& pad)> ForwardThroughPad;
  // --- end of call list dispositions -----------------------------------------
};

class Program {
 public:
  Program(Env& system, MessageBoxes& shownBoxes) : env(system), boxes(shownBoxes) {}
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Env& env;
  MessageBoxes& boxes;
  ProgramState state;
  // As the configuration file holds them: read and written in config_file.
  Settings settings;
  Workgroup workgroup;
  ProgramHooks hooks;
  // Where the calls are kept (store/phone_store.h); set by whoever makes
  // the program, before any window opens.
  PhoneStore* store = nullptr;
  // Switches `store` as the workgroup list says; null where only a shared
  // folder's workgroup can be used.
  StoreChoice* stores = nullptr;
};

// The configuration folder, always ending in "/".
std::string WindowsDir(Program& program);

// `text` under `caption`, question icon, Yes and No with No the default.
// Returns the answer (kAnswerYes or kAnswerNo).
int AskYesNo(Program& program, const std::string& caption, const std::string& text);
// A box with OK only, for notices that are not errors.
void ShowNotice(Program& program, const std::string& caption, const std::string& text,
                BoxIcon icon = BoxIcon::kNone);
// Shows `text` with a stop icon under `caption`, and OK.
void ShowStop(Program& program, const std::string& caption, const std::string& text);
// `notice` and the run-time `code` in a box, then the program ends without
// running any further handler.
[[noreturn]] void FatalFileError(Program& program, const std::string& notice, int code);

}  // namespace telvo
