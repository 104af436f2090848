// Telvo: the message pad a person starts. It takes no arguments; its
// settings come from TELVO.INI in the configuration folder.

#include <QApplication>
#include <QIcon>

#include "app/telvo_app.h"
#include "ui/splash/splash_pictures.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The desktop matches the windows to telvo.desktop and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("telvo"));
  QApplication::setWindowIcon(QIcon(telvo::DrawMessagePad(QSize(64, 64), true)));
  telvo::RunTelvo(app);
}
