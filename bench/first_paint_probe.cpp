#include "first_paint_probe.h"

#include <unistd.h>

#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace telvo::bench {
namespace {

// Ends the process from the event filter without running any destructor:
// the measured start-up ends at the paint, and what a normal exit would do
// afterwards (closing windows, waiting for notifications) is not part of it.
[[noreturn]] void StampAndEnd() {
  const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
  const bool written = ::write(kStampDescriptor, &now, sizeof now) == sizeof now;
  ::_exit(written ? 0 : 4);
}

class FirstPaintFilter : public QObject {
 public:
  FirstPaintFilter(QObject* parent, QString windowName)
      : QObject(parent), windowName_(std::move(windowName)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    // Every event of the program passes here: the rest are let through at once.
    if (event->type() != QEvent::Show && event->type() != QEvent::Paint) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow()) return false;
    const bool measured = widget->objectName() == windowName_;
    if (event->type() == QEvent::Show && !measured) Unexpected(*widget);
    if (event->type() == QEvent::Paint && measured && !painted_) {
      painted_ = true;
      // Queued behind the rest of this repaint: the children's paint events
      // and the flush come first.
      QMetaObject::invokeMethod(
          parent(), [] { StampAndEnd(); }, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  [[noreturn]] static void Unexpected(const QWidget& window) {
    std::fprintf(stderr,
                 "probe: a window other than the measured one was shown: %s \"%s\" \"%s\"\n",
                 window.metaObject()->className(), qPrintable(window.objectName()),
                 qPrintable(window.windowTitle()));
    std::fflush(stderr);
    ::_exit(3);
  }

  QString windowName_;
  bool painted_ = false;
};

}  // namespace

void EndAtFirstPaint(QApplication& app, const QString& windowName) {
  app.installEventFilter(new FirstPaintFilter(&app, windowName));
}

}  // namespace telvo::bench
