#include "app/telvo_app.h"

#include <QIcon>
#include <cstdlib>

#include "core/program.h"
#include "platform/posix_env.h"
#include "service/workgroup_stores.h"
#include "ui/common/qt_message_boxes.h"
#include "ui/options/options_dialog.h"
#include "ui/splash/splash_pictures.h"
#include "ui/splash/splash_screen.h"
#include "ui/startup/pad_opener.h"
#include "ui/startup/switch_window.h"

namespace telvo {

void RunTelvo(QApplication& app) {
  // The desktop matches the windows to telvo.desktop and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("telvo"));
  QApplication::setWindowIcon(QIcon(DrawMessagePad(QSize(64, 64), true)));
  Env& env = *DefaultEnv();
  QtMessageBoxes boxes;
  Program program(env, boxes);
  // The shared folder's until the workgroup list names a database.
  WorkgroupStores stores(env);
  program.store = &stores.folder();
  program.stores = &stores;
  program.hooks.ShowSplash = [&program] { ShowSplashScreen(program); };
  program.hooks.ShowOptions = [&program] {
    ShowOptionsDialog(program, QApplication::activeWindow());
  };
  InstallForwardHook(program);

  SwitchWindow form7(program);
  form7.Start();
  // The switch window quits the event loop when the pad closes for good;
  // ending through the Env lets the last notifications go out and runs no
  // window's handlers any more.
  env.EndProgram(app.exec());
  std::abort();  // not reached: every Env ends the program
}

}  // namespace telvo
