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
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Message Pad"));
  setAttribute(Qt::WA_DeleteOnClose);
  CreateControls();
  SetTabOrder();
  program_.hooks.ClearPad = [this] { ClearPad(); };
  ownsClearPadHook_ = true;
  Form_Load();
}

MessagePad::~MessagePad() {
  if (ownsClearPadHook_) program_.hooks.ClearPad = nullptr;
}

void MessagePad::CreateControls() {
  List1_ = Make<QListWidget>(this, "List1", nullptr, "Send or view calls for these people");
  Caller_ = Make<QLineEdit>(this, "Caller", nullptr, "Who called");
  message_ = Make<QPlainTextEdit>(this, "message", nullptr, "Content of the call");
  // Tab goes on to the phone number, as in every other box of the pad; a
  // call's text has no use for tab characters.
  message_->setTabChangesFocus(true);
  phone_ = Make<QLineEdit>(this, "phone", nullptr, "Return phone number");
  Date_ =
      Make<QLineEdit>(this, "Date", nullptr, "You can change the date of the call if necessary");
  Time_ =
      Make<QLineEdit>(this, "Time", nullptr, "You can change the time of the call if necessary");
  Check1_ = Make<QCheckBox>(this, "Check1", "Urgent", "Flags the call as urgent");
  Make<QLabel>(this, "Label5", "For:");
  Make<QLabel>(this, "Label2", "Caller");
  Make<QLabel>(this, "Label4", "Message");
  Make<QLabel>(this, "Label3", "Phone");
  for (QLabel* label : findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);

  const char* phrases[] = {"Please Call", "Will Call Back", "Returned Call"};
  const char* phraseNames[] = {"Command4(0)", "Command4(1)", "Command4(2)"};
  for (int i = 0; i < 3; ++i) Command4_[i] = Make<QPushButton>(this, phraseNames[i], phrases[i]);
  Command2_ =
      Make<QPushButton>(this, "Command2", "OK", "Put the message in the selected person's log");
  Command1_ = Make<QPushButton>(this, "Command1", "Cancel", "Blank out all fields on this screen");
  Command3_ = Make<QPushButton>(this, "Command3", "Close");
  Command3_->hide();
  Command5_[0] = Make<QPushButton>(this, "Command5(0)", "View Selected Log",
                                   "Shows calls for person selected above");
  Command5_[1] = Make<QPushButton>(this, "Command5(1)", "View My Phone Log", "List your own calls");
  Command6_ = Make<QPushButton>(this, "Command6", "Options", "Colors, workgroups, etc.");
  Command7_ =
      Make<QPushButton>(this, "Command7", "Alert", "Leave a message for people taking your calls.");
  Command8_ = Make<QPushButton>(this, "Command8", "Help", "Help screens");
  // Enter must not deliver: no button is the window's default.
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);

  connect(Caller_, &QLineEdit::textChanged, this, [this] { Caller_Change(); });
  connect(List1_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) List1_Click();
  });
  connect(List1_, &QListWidget::itemDoubleClicked, this, [this] { List1_DblClick(); });
  connect(Command1_, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2_, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command3_, &QPushButton::clicked, this, [this] { Command3_Click(); });
  for (int i = 0; i < 3; ++i)
    connect(Command4_[i], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });
  for (int i = 0; i < 2; ++i)
    connect(Command5_[i], &QPushButton::clicked, this, [this, i] { Command5_Click(i); });
  connect(Command6_, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Command7_, &QPushButton::clicked, this, [this] { Command7_Click(); });
  connect(Command8_, &QPushButton::clicked, this, [this] { Command8_Click(); });
  // Escape presses the invisible Close button, as a window's cancel button.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] {
    if (Command3_->isEnabled()) Command3_->click();
  });
}

void MessagePad::SetTabOrder() {
  const std::vector<QWidget*> order = {
      List1_,       Caller_,   message_,     phone_,       Command4_[0], Command4_[1],
      Command4_[2], Command2_, Command5_[0], Command5_[1], Command1_,    Command6_,
      Command7_,    Date_,     Time_,        Command8_,    Check1_};
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MessagePad::Form_Load() {
  s_.activeWindow = kMessagePad;
  PaintBackground(this, program_.settings.padColor);
  PaintBackground(Check1_, program_.settings.padColor);
  Check1_->setChecked(false);
  SizeAndCentre(this, 8.0 / 11.0, 16.0 / 20.0);
  LayOut();

  std::vector<std::string> names;
  // A list that cannot be read has been reported; the pad opens empty.
  (void)LoadWorkgroup(program_, names);
  if (!std::exchange(s_.sharesChecked, true)) WarnOfUnsafeShares(program_);
  for (const std::string& name : names) List1_->addItem(ToQt(name));
  StampDateTime();
  if (program_.workgroup.myIndex() == -1) Command5_[1]->setEnabled(false);
  if (program_.workgroup.defaultIndex() == -1) Command5_[0]->setEnabled(false);
  Command2_->setEnabled(false);
  Date_->setEnabled(false);
  Time_->setEnabled(false);
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
  for (QWidget* text :
       std::initializer_list<QWidget*>{List1_, Caller_, message_, phone_, Date_, Time_})
    text->setFont(windowFont);
  for (QLabel* label : findChildren<QLabel*>()) label->setFont(captionFont);
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) button->setFont(captionFont);

  const double th = TextHeightInUnits(windowFont, units);
  auto place = [&](QWidget* control, double left, double top, double width, double height) {
    units.PlaceControl(control, top, left, width, height);
  };
  place(Date_, 53, 2, 14, 5);
  place(Time_, 71, 2, 14, 5);
  place(findChild<QLabel*>(QStringLiteral("Label5")), 1, 8, 5, 4);
  place(List1_, 6, 8, 25, 20 * th);
  place(Command5_[0], 6, 20 * th + 10, 25, 6);
  place(Command5_[1], 6, 20 * th + 17, 25, 6);
  place(findChild<QLabel*>(QStringLiteral("Label2")), 38, 8, 12, 4);
  place(Caller_, 38, 13, 47, 6);
  place(findChild<QLabel*>(QStringLiteral("Label4")), 38, 22, 12, 4);
  place(message_, 38, 26, 47, 25);
  for (int i = 0; i < 3; ++i) place(Command4_[i], 38 + 16 * i, 55, 15, 5);
  place(Check1_, 54, 63, 25, 5);
  place(findChild<QLabel*>(QStringLiteral("Label3")), 38, 66, 12, 4);
  place(phone_, 38, 70, 47, 6);
  place(Command2_, 38, 80, 47, 6);
  place(Command1_, 38, 89, 10, 6);
  place(Command6_, 50, 89, 10, 6);
  place(Command3_, 50, 89, 10, 6);
  place(Command7_, 62, 89, 10, 6);
  place(Command8_, 74, 89, 10, 6);
}

void MessagePad::Form_Resize() { StampDateTime(); }

void MessagePad::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void MessagePad::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  // Restoring a minimized pad need not resize it, yet it re-stamps.
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if ((change->oldState() & Qt::WindowMinimized) && !isMinimized()) Form_Resize();
}

// Qt also activates the pad whenever a message box closes over it; the
// pad's activation belongs to its first showing and to the program's own
// windows closing over it, which the handlers that open them run.
void MessagePad::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_ || event->spontaneous()) return;
  shownOnce_ = true;
  Form_Activate();
}

void MessagePad::closeEvent(QCloseEvent* event) {
  if (!unloading_) {
    // The close box or a session ending: Close, or for a forward OK, which
    // delivers it. A forward stays open unless it was delivered.
    const bool forward = !Command3_->isEnabled();
    const Next next = forward ? OkAction() : CloseAction();
    if (next == Next::kStay && (forward || deliveryFailed_)) {
      event->ignore();
      return;
    }
  }
  event->accept();
  Form_Unload();
}

void MessagePad::Unload() {
  unloading_ = true;
  close();
}

void MessagePad::Form_Unload() {
  if (ownsClearPadHook_) program_.hooks.ClearPad = nullptr;
  ownsClearPadHook_ = false;
  if (!forward_) emit Unloaded();
}

}  // namespace telvo
