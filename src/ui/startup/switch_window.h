#pragma once
// The hidden window that runs the start-up, owns the new-call poller's
// timer and the timer that ends the user's alert at its Back moment, and
// switches between the message pad and the call list: neither
// opens the other; each hands over to this window when it unloads.

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "core/program.h"
#include "service/poller.h"

namespace telvo {

class SwitchWindow : public QWidget {
  Q_OBJECT

 public:
  // Installs the StartPoller and StopPoller hooks for its timer.
  explicit SwitchWindow(Program& program);
  ~SwitchWindow() override;

  // The start-up, then the first activation, which opens the pad. The
  // start-up may end the program.
  void Start();
  // What a main window does when it unloads: wake this window, whose
  // activation opens the next main window or ends the program. It runs
  // once the unloading window's handler has returned.
  void HandOver();

  // The main window opened last, while it is open.
  QWidget* mainWindow() const { return mainWindow_; }

 private:
  void Load();
  // A later start of Telvo by the same user asks, through the instance
  // doorbell, for this instance's window.
  void ListenForLaterStarts();
  void BringToFront();
  // Opens the next main window, or ends the program.
  void onActivated();
  void onPollTimer();
  // The user's own alert, ended by its Back moment, removed and told of.
  void onAlertTimer();
  void OpenCallList();
  void StartPoller();

  Program& program_;
  QTimer* pollTimer_;
  QTimer* alertTimer_;
  PollerState poller_;
  QPointer<QWidget> mainWindow_;
};

}  // namespace telvo
