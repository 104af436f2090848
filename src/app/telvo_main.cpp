// Telvo: the message pad a person starts. It takes no arguments; its
// settings come from TELVO.INI in the configuration folder.

#include <QApplication>

#include "core/program.h"
#include "platform/posix_env.h"
#include "ui/common/qt_message_boxes.h"
#include "ui/options/options_dialog.h"
#include "ui/splash/splash_screen.h"
#include "ui/startup/pad_opener.h"
#include "ui/startup/switch_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  telvo::Env& env = *telvo::DefaultEnv();
  telvo::QtMessageBoxes boxes;
  telvo::Program program(env, boxes);
  program.hooks.ShowSplash = [&program] { telvo::ShowSplashScreen(program); };
  program.hooks.ShowOptions = [&program] {
    telvo::ShowOptionsDialog(program, QApplication::activeWindow());
  };
  telvo::InstallForwardHook(program);

  telvo::SwitchWindow form7(program);
  form7.Start();
  // The switch window quits the event loop when the pad closes for good;
  // ending through the Env lets the last notifications go out and runs no
  // window's handlers any more.
  env.EndProgram(app.exec());
}
