// The start-up benchmark's probe for Telvo: the program's own start-up,
// ended once the message pad has been painted.

#include <QApplication>

#include "app/telvo_app.h"
#include "first_paint_probe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  telvo::bench::EndAtFirstPaint(app, QStringLiteral("messagePad"));
  telvo::RunTelvo(app);
}
