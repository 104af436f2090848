// telvo-popup: the workstation's listener for the notification datagrams,
// which shows each in a small window and the desktop's notification bubble.
// One runs per user; a second one ends at once and quietly.
//
//   telvo-popup [--port N]
//
// The port is messngr/udp from the services database, else 5138; --port is
// for an administrator who runs the workgroup on another one (0: any free
// port, for trying it out).

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/datagram_listener.h"
#include "platform/posix_env.h"
#include "ui/popup/popup_program.h"
#include "ui/splash/splash_pictures.h"

namespace {

constexpr char kUsage[] = "usage: telvo-popup [--port N]\n";

// The port asked for on the command line, the usual one without; -1 for a
// command line that cannot be understood.
long PortFrom(int argc, char** argv) {
  if (argc == 1) return telvo::MessengerPort();
  if (argc != 3 || std::strcmp(argv[1], "--port") != 0) return -1;
  char* end = nullptr;
  const long port = std::strtol(argv[2], &end, 10);
  return *argv[2] && !*end && port >= 0 && port <= 65535 ? port : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const long port = PortFrom(argc, argv);
  if (port < 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QGuiApplication::setDesktopFileName(QStringLiteral("telvo-popup"));
  QApplication::setWindowIcon(QIcon(telvo::DrawTelephone(QSize(64, 64), false)));
  telvo::PosixEnvOptions options;
  options.instanceName = "telvo-popup";
  telvo::PosixEnv env(options);
  if (!env.AcquireSingleInstance()) return 0;

  std::unique_ptr<telvo::DatagramListener> listener;
  const telvo::Status opened =
      telvo::DatagramListener::Open(static_cast<uint16_t>(port), &listener);
  if (!opened.ok()) {
    std::fprintf(stderr, "telvo-popup: cannot listen: %s\n", opened.ToString().c_str());
    return 1;
  }
  telvo::PopupProgram popup(env, std::move(listener), QSystemTrayIcon::isSystemTrayAvailable());
  QObject::connect(&popup, &telvo::PopupProgram::quitRequested, &app, &QApplication::quit);
  return app.exec();
}
