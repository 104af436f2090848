// Telvo: the message pad a person starts. It takes no arguments; its
// settings come from TELVO.INI in the configuration folder.

#include <QApplication>

#include "app/telvo_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  telvo::RunTelvo(app);
}
