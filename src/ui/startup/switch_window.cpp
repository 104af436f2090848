#include "ui/startup/switch_window.h"

#include <QApplication>
#include <QSocketNotifier>

#include "core/startup.h"
#include "platform/instance_doorbell.h"
#include "service/alert_file.h"
#include "ui/calllist/call_list_window.h"
#include "ui/startup/pad_opener.h"

namespace telvo {
namespace {

constexpr int kPollIntervalMs = 10000;
constexpr int kEndedNormally = 0;
constexpr int kAlertCheckIntervalMs = 60 * 1000;

}  // namespace

SwitchWindow::SwitchWindow(Program& program)
    : program_(program), pollTimer_(new QTimer(this)), alertTimer_(new QTimer(this)) {
  setObjectName(QStringLiteral("switchWindow"));
  pollTimer_->setObjectName(QStringLiteral("pollTimer"));
  // Off until the first activation: nothing is polled during the start-up.
  pollTimer_->setInterval(kPollIntervalMs);
  connect(pollTimer_, &QTimer::timeout, this, &SwitchWindow::onPollTimer);
  // Its own timer: the poller runs for one notification choice only.
  alertTimer_->setObjectName(QStringLiteral("alertTimer"));
  alertTimer_->setInterval(kAlertCheckIntervalMs);
  connect(alertTimer_, &QTimer::timeout, this, &SwitchWindow::onAlertTimer);
  program_.hooks.StartPoller = [this] { StartPoller(); };
  program_.hooks.StopPoller = [this] { pollTimer_->stop(); };
  program_.hooks.LogPurged = [this](const std::string& log, int64_t newLength) {
    PollerSawPurge(poller_, log, newLength);
  };
  // Between the pad and the call list no window is open for a moment; only
  // this window decides when the program ends.
  QGuiApplication::setQuitOnLastWindowClosed(false);
}

SwitchWindow::~SwitchWindow() {
  program_.hooks.StartPoller = nullptr;
  program_.hooks.StopPoller = nullptr;
  program_.hooks.LogPurged = nullptr;
}

void SwitchWindow::Start() {
  Load();
  HandOver();
  // Once the pad has read the workgroup, then every minute.
  QMetaObject::invokeMethod(this, &SwitchWindow::onAlertTimer, Qt::QueuedConnection);
  alertTimer_->start();
}

void SwitchWindow::HandOver() {
  QMetaObject::invokeMethod(this, &SwitchWindow::onActivated, Qt::QueuedConnection);
}

void SwitchWindow::Load() {
  StartUp(program_);
  ListenForLaterStarts();
}

void SwitchWindow::ListenForLaterStarts() {
  InstanceDoorbell* doorbell = program_.env.Doorbell();
  if (!doorbell) return;
  auto* notifier = new QSocketNotifier(doorbell->descriptor(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, doorbell] {
    if (doorbell->TakeRings()) BringToFront();
  });
}

void SwitchWindow::BringToFront() {
  // A box or dialog open over the main window is what the person must
  // answer first, so that is what comes forward.
  QWidget* window = QApplication::activeModalWidget();
  if (!window) window = mainWindow_;
  if (!window) return;
  if (window->isMinimized()) window->showNormal();
  window->raise();
  window->activateWindow();
}

void SwitchWindow::onActivated() {
  ProgramState& s = program_.state;
  if (!s.keepRunning) {
    // A clean quit: main() then ends the program, letting the last
    // notifications go out.
    QCoreApplication::exit(kEndedNormally);
    return;
  }
  if (s.activeWindow == kCallList) {
    s.activeWindow = kMessagePad;
    OpenCallList();
    return;
  }
  mainWindow_ = OpenMessagePad(program_, *this);
}

void SwitchWindow::OpenCallList() {
  ProgramState& s = program_.state;
  const Person& person = program_.workgroup.at(s.viewed.person);
  s.viewed.book = {person};
  // Loading the window lists the calls; it may end the program when no font
  // fits the screen.
  auto* list = new CallListWindow(program_);
  list->setAttribute(Qt::WA_DeleteOnClose);
  connect(list, &CallListWindow::Unloaded, this, &SwitchWindow::HandOver);
  list->show();
  mainWindow_ = list;
}

void SwitchWindow::StartPoller() {
  // The pad loads the workgroup each time it opens: a running countdown is
  // kept rather than begun again.
  if (!pollTimer_->isActive()) pollTimer_->start();
}

void SwitchWindow::onPollTimer() { PollerTick(program_, poller_); }

void SwitchWindow::onAlertTimer() { static_cast<void>(EndMyAlertIfOver(program_)); }

}  // namespace telvo
