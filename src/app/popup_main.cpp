// telvo-popup: the workstation's listener for the notification datagrams,
// which shows each in a small window and the desktop's notification bubble.
// One runs per user; a second one ends at once and quietly.
//
//   telvo-popup [--port N]
//
// The port is messngr/udp from the services database, else 5138; --port is
// for an administrator who runs the workgroup on another one (0: any free
// port, for trying it out).
//
// Where the configured workgroup list names a database, no datagram comes:
// the popup listens to the database for the calls posted to the user
// instead, and --port is not used.

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/config_file.h"
#include "core/text.h"
#include "core/workgroup.h"
#include "platform/datagram_listener.h"
#include "platform/posix_env.h"
#include "store/database/call_listener.h"
#include "ui/common/qt_message_boxes.h"
#include "ui/common/qt_text.h"
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

// The user of the configured database workgroup, spelled as the database
// spells them; null when the workgroup is not in a database.
std::unique_ptr<telvo::DatabaseCallListener> DatabaseListener(telvo::Env& env,
                                                              std::string* recipient) {
  telvo::QtMessageBoxes boxes;
  telvo::Program program(env, boxes);
  std::string list, refusal;
  if (!telvo::PeekIniFile(program).ok() ||
      !telvo::ReadTextFile(env, program.settings.workgroupPath, &list).ok())
    return nullptr;
  const auto database = telvo::DatabaseWorkgroupOf(list, &refusal);
  if (!refusal.empty()) std::fprintf(stderr, "telvo-popup: %s\n", refusal.c_str());
  if (!database) return nullptr;
  *recipient = program.settings.name;
  // The Name is matched ignoring case, as in a workgroup list; a database
  // that cannot be reached now is tried again by the listener.
  telvo::DatabaseStore store(database->conninfo, database->name);
  std::vector<telvo::Person> people;
  if (store.ListPeople(&people).ok()) {
    for (const telvo::Person& person : people)
      if (telvo::EqualIgnoringCase(person.name, *recipient)) *recipient = person.name;
  }
  telvo::Person me;
  me.name = *recipient;
  return std::make_unique<telvo::DatabaseCallListener>(database->conninfo, database->name, me);
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

  std::string recipient;
  if (auto calls = DatabaseListener(env, &recipient)) {
    telvo::PopupProgram popup(env, std::move(calls), telvo::ToQt(recipient),
                              QSystemTrayIcon::isSystemTrayAvailable());
    QObject::connect(&popup, &telvo::PopupProgram::quitRequested, &app, &QApplication::quit);
    return app.exec();
  }
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
