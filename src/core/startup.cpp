#include "core/startup.h"

#include "core/config_file.h"

namespace telvo {
namespace {

constexpr int kRefusedSecondInstance = 1;

void RefuseSecondInstance(Program& program) {
  if (program.env.AcquireSingleInstance()) return;
  ShowStop(program, "Telvo", "Application Already Running");
  // The person wanted Telvo: the running one comes to the front instead.
  program.env.CallRunningInstance();
  program.env.EndProgram(kRefusedSecondInstance);
}

// Started once and left alone: it is not watched, restarted or stopped,
// and outlives this program. Env::StartProgram drops its failures.
void StartExternalPopup(Program& program) {
  if (program.settings.notification == Notification::kExternal &&
      !program.settings.popupProgram.empty())
    program.env.StartProgram(program.settings.popupProgram);
}

}  // namespace

void StartUp(Program& program) {
  RefuseSecondInstance(program);
  ReadIniFile(program);
  // Only "NO" shows it: a file without a Splash line suppresses it too.
  if (program.settings.splash == Splash::kShown && program.hooks.ShowSplash)
    program.hooks.ShowSplash();
  // The record marks are constants (call_fields.h): nothing to set.
  StartExternalPopup(program);
  // The poller starts when the pad finds the user in the workgroup list.
  if (program.hooks.StopPoller) program.hooks.StopPoller();
  program.state.keepRunning = true;
}

}  // namespace telvo
