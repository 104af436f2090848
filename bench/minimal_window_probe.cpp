// The start-up benchmark's floor: the smallest Qt Widgets program with one
// window, a line of text in it (so it loads a font, as every program that
// shows text does), ended once that window has been painted.

#include <QApplication>
#include <QLabel>

#include "first_paint_probe.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  telvo::bench::EndAtFirstPaint(app, QStringLiteral("Window"));
  QLabel window(QStringLiteral("Hello"));
  window.setObjectName(QStringLiteral("Window"));
  window.show();
  return app.exec();
}
