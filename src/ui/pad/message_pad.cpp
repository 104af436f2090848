#include "ui/pad/message_pad.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>
#include <utility>
#include <vector>

#include "core/pad_rules.h"
#include "core/share_warning.h"
#include "core/workgroup.h"
#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"
#include "ui/common/windows_colour.h"

namespace telvo {
namespace {

constexpr double kUnitsAcross = 90;
constexpr double kUnitsDown = 100;

template <typename Control>
Control* Make(QWidget* parent, const char* name, const char* caption = nullptr,
              const char* tooltip = nullptr) {
  auto* control = new Control(parent);
  control->setObjectName(QString::fromLatin1(name));
  if constexpr (std::is_base_of_v<QAbstractButton, Control> || std::is_same_v<Control, QLabel>) {
    if (caption) control->setText(QString::fromLatin1(caption));
  }
  if (tooltip) control->setToolTip(QString::fromLatin1(tooltip));
  return control;
}

}  // namespace

MessagePad::MessagePad(Program& program, QWidget* parent, PadAlerts alerts)
    : QWidget(parent, Qt::Window),
      program_(program),
      s_(program.state),
      alerts_(std::move(alerts)) {
  setObjectName(QStringLiteral("messagePad"));
  setWindowTitle(QStringLiteral("Message Pad"));
  setAttribute(Qt::WA_DeleteOnClose);
  CreateControls();
  SetTabOrder();
  program_.hooks.ClearPad = [this] { ClearPad(); };
  ownsClearPadHook_ = true;
  Load();
}

MessagePad::~MessagePad() {
  if (ownsClearPadHook_) program_.hooks.ClearPad = nullptr;
}

void MessagePad::CreateControls() {
  peopleList_ =
      Make<QListWidget>(this, "peopleList", nullptr, "Send or view calls for these people");
  callerEdit_ = Make<QLineEdit>(this, "callerEdit", nullptr, "Who called");
  messageEdit_ = Make<QPlainTextEdit>(this, "messageEdit", nullptr, "Content of the call");
  // Tab goes on to the phone number, as in every other box of the pad; a
  // call's text has no use for tab characters.
  messageEdit_->setTabChangesFocus(true);
  phoneEdit_ = Make<QLineEdit>(this, "phoneEdit", nullptr, "Return phone number");
  dateEdit_ = Make<QLineEdit>(this, "dateEdit", nullptr,
                              "You can change the date of the call if necessary");
  timeEdit_ = Make<QLineEdit>(this, "timeEdit", nullptr,
                              "You can change the time of the call if necessary");
  urgentCheck_ = Make<QCheckBox>(this, "urgentCheck", "Urgent", "Flags the call as urgent");
  Make<QLabel>(this, "forLabel", "For:");
  Make<QLabel>(this, "callerLabel", "Caller");
  Make<QLabel>(this, "messageLabel", "Message");
  Make<QLabel>(this, "phoneLabel", "Phone");
  for (QLabel* label : findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);

  const char* phrases[] = {"Please Call", "Will Call Back", "Returned Call"};
  const char* phraseNames[] = {"pleaseCallButton", "willCallBackButton", "returnedCallButton"};
  for (int i = 0; i < 3; ++i)
    phraseButtons_[i] = Make<QPushButton>(this, phraseNames[i], phrases[i]);
  deliverButton_ = Make<QPushButton>(this, "deliverButton", "OK",
                                     "Put the message in the selected person's log");
  clearButton_ =
      Make<QPushButton>(this, "clearButton", "Cancel", "Blank out all fields on this screen");
  closeButton_ = Make<QPushButton>(this, "closeButton", "Close");
  closeButton_->hide();
  viewSelectedLogButton_ = Make<QPushButton>(this, "viewSelectedLogButton", "View Selected Log",
                                             "Shows calls for person selected above");
  viewMyLogButton_ =
      Make<QPushButton>(this, "viewMyLogButton", "View My Phone Log", "List your own calls");
  optionsButton_ = Make<QPushButton>(this, "optionsButton", "Options", "Colors, workgroups, etc.");
  alertButton_ = Make<QPushButton>(this, "alertButton", "Alert",
                                   "Leave a message for people taking your calls.");
  helpButton_ = Make<QPushButton>(this, "helpButton", "Help", "Help screens");
  // Enter must not deliver: no button is the window's default.
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);

  connect(callerEdit_, &QLineEdit::textChanged, this, [this] { onCallerChanged(); });
  connect(peopleList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) onPersonChosen();
  });
  connect(peopleList_, &QListWidget::itemDoubleClicked, this, [this] { onPersonDoubleClicked(); });
  connect(clearButton_, &QPushButton::clicked, this, [this] { onClearClicked(); });
  connect(deliverButton_, &QPushButton::clicked, this, [this] { onDeliverClicked(); });
  connect(closeButton_, &QPushButton::clicked, this, [this] { onCloseClicked(); });
  for (int i = 0; i < 3; ++i)
    connect(phraseButtons_[i], &QPushButton::clicked, this, [this, i] { onPhraseClicked(i); });
  connect(viewSelectedLogButton_, &QPushButton::clicked, this,
          [this] { onViewLogClicked(WhoseLog::kSelected); });
  connect(viewMyLogButton_, &QPushButton::clicked, this,
          [this] { onViewLogClicked(WhoseLog::kMine); });
  connect(optionsButton_, &QPushButton::clicked, this, [this] { onOptionsClicked(); });
  connect(alertButton_, &QPushButton::clicked, this, [this] { onAlertClicked(); });
  connect(helpButton_, &QPushButton::clicked, this, [this] { onHelpClicked(); });
  // Escape presses the invisible Close button, as a window's cancel button.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    if (closeButton_->isEnabled()) closeButton_->click();
  });
}

void MessagePad::SetTabOrder() {
  const std::vector<QWidget*> order = {peopleList_,       callerEdit_,       messageEdit_,
                                       phoneEdit_,        phraseButtons_[0], phraseButtons_[1],
                                       phraseButtons_[2], deliverButton_,    viewSelectedLogButton_,
                                       viewMyLogButton_,  clearButton_,      optionsButton_,
                                       alertButton_,      dateEdit_,         timeEdit_,
                                       helpButton_,       urgentCheck_};
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MessagePad::Load() {
  s_.activeWindow = kMessagePad;
  PaintBackground(this, program_.settings.padColor);
  PaintBackground(urgentCheck_, program_.settings.padColor);
  urgentCheck_->setChecked(false);
  SizeAndCentre(this, 8.0 / 11.0, 16.0 / 20.0);
  LayOut();

  std::vector<std::string> names;
  // A list that cannot be read has been reported; the pad opens empty.
  (void)LoadWorkgroup(program_, names);
  if (!std::exchange(s_.sharesChecked, true)) WarnOfUnsafeShares(program_);
  for (const std::string& name : names) peopleList_->addItem(ToQt(name));
  StampDateTime();
  if (program_.workgroup.myIndex() == -1) viewMyLogButton_->setEnabled(false);
  if (program_.workgroup.defaultIndex() == -1) viewSelectedLogButton_->setEnabled(false);
  deliverButton_->setEnabled(false);
  dateEdit_->setEnabled(false);
  timeEdit_->setEnabled(false);
}

void MessagePad::LayOut() {
  const LayoutUnits units(*this, kUnitsAcross, kUnitsDown);
  const int step = PadFontStep([&](int at) {
    return TextHeightInUnits(MsSansSerif(kFontLadder[static_cast<size_t>(at)]), units);
  });
  const QFont windowFont = MsSansSerif(kFontLadder[static_cast<size_t>(step)]);
  const QFont captionFont = MsSansSerif(
      kFontLadder[std::min<size_t>(static_cast<size_t>(step) + 1, kFontLadder.size() - 1)]);
  setFont(windowFont);
  for (QWidget* text : std::initializer_list<QWidget*>{peopleList_, callerEdit_, messageEdit_,
                                                       phoneEdit_, dateEdit_, timeEdit_})
    text->setFont(windowFont);
  for (QLabel* label : findChildren<QLabel*>()) label->setFont(captionFont);
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) button->setFont(captionFont);

  const double th = TextHeightInUnits(windowFont, units);
  auto place = [&](QWidget* control, double left, double top, double width, double height) {
    units.PlaceControl(control, top, left, width, height);
  };
  place(dateEdit_, 53, 2, 14, 5);
  place(timeEdit_, 71, 2, 14, 5);
  place(findChild<QLabel*>(QStringLiteral("forLabel")), 1, 8, 5, 4);
  place(peopleList_, 6, 8, 25, 20 * th);
  place(viewSelectedLogButton_, 6, 20 * th + 10, 25, 6);
  place(viewMyLogButton_, 6, 20 * th + 17, 25, 6);
  place(findChild<QLabel*>(QStringLiteral("callerLabel")), 38, 8, 12, 4);
  place(callerEdit_, 38, 13, 47, 6);
  place(findChild<QLabel*>(QStringLiteral("messageLabel")), 38, 22, 12, 4);
  place(messageEdit_, 38, 26, 47, 25);
  for (int i = 0; i < 3; ++i) place(phraseButtons_[i], 38 + 16 * i, 55, 15, 5);
  place(urgentCheck_, 54, 63, 25, 5);
  place(findChild<QLabel*>(QStringLiteral("phoneLabel")), 38, 66, 12, 4);
  place(phoneEdit_, 38, 70, 47, 6);
  place(deliverButton_, 38, 80, 47, 6);
  place(clearButton_, 38, 89, 10, 6);
  place(optionsButton_, 50, 89, 10, 6);
  place(closeButton_, 50, 89, 10, 6);
  place(alertButton_, 62, 89, 10, 6);
  place(helpButton_, 74, 89, 10, 6);
}

void MessagePad::onResized() { StampDateTime(); }

void MessagePad::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  onResized();
}

void MessagePad::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  // Restoring a minimized pad need not resize it, yet it re-stamps.
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if ((change->oldState() & Qt::WindowMinimized) && !isMinimized()) onResized();
}

// Qt also activates the pad whenever a message box closes over it; the
// pad's activation belongs to its first showing and to the program's own
// windows closing over it, which the handlers that open them run.
void MessagePad::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_ || event->spontaneous()) return;
  shownOnce_ = true;
  onActivated();
}

void MessagePad::closeEvent(QCloseEvent* event) {
  if (!unloading_) {
    // The close box or a session ending: Close, or for a forward OK, which
    // delivers it. A forward stays open unless it was delivered.
    const bool forward = !closeButton_->isEnabled();
    const Next next = forward ? OkAction() : CloseAction();
    if (next == Next::kStay && (forward || deliveryFailed_)) {
      event->ignore();
      return;
    }
  }
  event->accept();
  onUnloaded();
}

void MessagePad::Unload() {
  unloading_ = true;
  close();
}

void MessagePad::onUnloaded() {
  if (ownsClearPadHook_) program_.hooks.ClearPad = nullptr;
  ownsClearPadHook_ = false;
  if (!forward_) emit Unloaded();
}

}  // namespace telvo
