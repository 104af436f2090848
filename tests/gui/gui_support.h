#pragma once
// Helpers for driving windows offscreen: finding controls by object name and
// answering the modal windows that a click opens.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <ostream>

// Failed comparisons of texts show the text, not its bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace telvo::test {

// The one way tests reach a window's parts: the child of `window` with this
// object name, or without a name the one child of that type; a failure in
// the test when there is none.
template <typename Control>
Control* Find(QWidget* window, const char* name = nullptr) {
  auto* control =
      name ? window->findChild<Control*>(QString::fromLatin1(name)) : window->findChild<Control*>();
  if (!control) ADD_FAILURE() << "no control " << (name ? name : "of that type");
  return control;
}

// Runs `answer` on the next modal window (a dialog or a box) once it is
// shown, so a test can click through what a handler opens.
inline void WhenModalShows(std::function<void(QWidget*)> answer) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [answer, poll] {
    if (QWidget* modal = QApplication::activeModalWidget()) return answer(modal);
    QTimer::singleShot(5, *poll);
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace telvo::test
