#include "ui/common/layout_units.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <cmath>

namespace telvo {

LayoutUnits::LayoutUnits(const QWidget& window, double across, double down)
    : pixelsPerUnitX_(window.width() / across), pixelsPerUnitY_(window.height() / down) {}

void LayoutUnits::PlaceControl(QWidget* control, double top, double left, double width,
                               double height) const {
  const int x = static_cast<int>(std::lround(left * pixelsPerUnitX_));
  const int y = static_cast<int>(std::lround(top * pixelsPerUnitY_));
  const int w = static_cast<int>(std::lround(width * pixelsPerUnitX_));
  const int h = static_cast<int>(std::lround(height * pixelsPerUnitY_));
  control->setGeometry(x, y, std::max(w, 1), std::max(h, 1));
}

namespace {

QMargins FrameOf(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

// Where the program's last window was when it went, for the window that takes
// its place: the fresh pad after the call list or the options dialog is made
// once the old window has gone, when no window of ours is on screen.
class LastWindowGone : public QObject {
 public:
  static LastWindowGone& Instance() {
    static QPointer<LastWindowGone> instance;
    if (!instance) instance = new LastWindowGone(qApp);
    return *instance;
  }
  void Watch(QWidget* window) { window->installEventFilter(this); }
  QScreen* screen() const { return screen_; }
  QMargins frame() const { return frame_; }

 private:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
      const auto* window = static_cast<QWidget*>(watched);
      screen_ = window->screen();
      frame_ = FrameOf(*window);
    }
    return false;
  }
  QPointer<QScreen> screen_;
  QMargins frame_;
};

// The window of ours that `window` opens beside: its parent's, else the one
// the person is working in.
const QWidget* Beside(const QWidget* window) {
  if (const QWidget* parent = window->parentWidget()) return parent->window();
  const QWidget* active = QApplication::activeWindow();
  return active != window ? active : nullptr;
}

}  // namespace

// A window belongs where the person is looking: a dialog on its parent's
// screen, wherever the pointer has wandered since, and a window without a
// parent (help asked for from the pad, the call list that takes the pad's
// place) on the screen of the window it follows. The first window goes to
// the screen under the pointer, where the person has just started the
// program. The window manager's frame is known only once a window is on
// screen; the one this follows has much the same frame, so the whole window
// as the person sees it is centred, not just its inside.
void SizeAndCentre(QWidget* window, double widthFraction, double heightFraction) {
  LastWindowGone& last = LastWindowGone::Instance();
  last.Watch(window);
  const QWidget* beside = Beside(window);
  QScreen* screen = nullptr;
  QMargins frame;
  if (beside && beside->isVisible()) {
    screen = beside->screen();
    frame = FrameOf(*beside);
  } else if (last.screen()) {
    screen = last.screen();
    frame = last.frame();
  }
  if (!screen) screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();

  const QRect area = screen->availableGeometry();
  const int w = static_cast<int>(std::lround(area.width() * widthFraction));
  const int h = static_cast<int>(std::lround(area.height() * heightFraction));
  const int outerWidth = w + frame.left() + frame.right();
  const int outerHeight = h + frame.top() + frame.bottom();
  // setGeometry places the inside of a window, whose frame then goes around
  // it; move() would place the frame's corner where the inside was meant to be.
  window->setGeometry(area.x() + (area.width() - outerWidth) / 2 + frame.left(),
                      area.y() + (area.height() - outerHeight) / 2 + frame.top(), w, h);
}

}  // namespace telvo
