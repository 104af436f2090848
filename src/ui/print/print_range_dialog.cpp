#include "ui/print/print_range_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "core/dates.h"
#include "ui/calllist/call_list_window.h"
#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"
#include "ui/common/windows_colour.h"

namespace telvo {
namespace {

constexpr int32_t kPaleYellow = 0x0080FFFF;
constexpr int32_t kWindowColour = 0x00FFFFFF;

// The dialog takes the call list's type size: the list is 18/20 of the
// screen high.
double DialogFontPoints() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double listHeight = screen ? screen->availableGeometry().height() * 0.9 : 720;
  return CallListFontPoints(listHeight).value_or(kFontLadder.back());
}

}  // namespace

PrintRangeDialog::PrintRangeDialog(Program& program, QWidget* parent)
    : QDialog(parent), program_(program) {
  setObjectName(QStringLiteral("Form3"));
  CreateControls();
  Form_Load();
}

void PrintRangeDialog::CreateControls() {
  label1_ = new QLabel(QStringLiteral("Beginning Date"), this);
  label1_->setObjectName(QStringLiteral("Label1"));
  bdate_ = new QLineEdit(this);
  bdate_->setObjectName(QStringLiteral("bdate"));
  label2_ = new QLabel(QStringLiteral("Ending Date"), this);
  label2_->setObjectName(QStringLiteral("Label2"));
  edate_ = new QLineEdit(this);
  edate_->setObjectName(QStringLiteral("edate"));
  check1_ = new QCheckBox(QStringLiteral("Print All Dates"), this);
  check1_->setObjectName(QStringLiteral("Check1"));
  command2_ = new QPushButton(QStringLiteral("Print"), this);
  command2_->setObjectName(QStringLiteral("Command2"));
  command1_ = new QPushButton(QStringLiteral("Cancel"), this);
  command1_->setObjectName(QStringLiteral("Command1"));
  // A click on a button leaves the focus in the date box, so a click on
  // Print checks the dates once, in Print itself, and Cancel never asks
  // for a date it is about to throw away. Tab still reaches both.
  command2_->setFocusPolicy(Qt::TabFocus);
  command1_->setFocusPolicy(Qt::TabFocus);
  command2_->setAutoDefault(false);
  command1_->setAutoDefault(false);

  for (QLineEdit* box : {bdate_, edate_}) box->installEventFilter(this);
  connect(check1_, &QCheckBox::clicked, this, &PrintRangeDialog::Check1_Click);
  connect(command2_, &QPushButton::clicked, this, &PrintRangeDialog::Command2_Click);
  connect(command1_, &QPushButton::clicked, this, &PrintRangeDialog::Command1_Click);

  setTabOrder(bdate_, edate_);
  setTabOrder(edate_, check1_);
  setTabOrder(check1_, command2_);
  setTabOrder(command2_, command1_);
}

void PrintRangeDialog::Form_Load() {
  ProgramState& s = program_.state;
  s.activeWindow = kPrintRange;
  // An index just past the people names nobody (an empty title); one further
  // off, or none, leaves the title to the owner of the log.
  const int person = s.viewed.person;
  const bool listed = person >= 0 && person <= program_.workgroup.size();
  const std::string name = listed ? program_.workgroup.NameOf(person) : s.viewed.owner;
  setWindowTitle(ToQt("Print Calls for " + name));

  SizeAndCentre(this, 0.5, 1.0 / 3.0);
  setFixedSize(size());
  const LayoutUnits units(*this, 100, 100);

  const QFont font = MsSansSerif(DialogFontPoints());
  setFont(font);
  for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) control->setFont(font);

  for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(bdate_),
                           static_cast<QWidget*>(edate_), static_cast<QWidget*>(check1_)})
    PaintBackground(control, kPaleYellow);
  for (QLabel* label : {label1_, label2_}) PaintBackground(label, kWindowColour);
  // A text box fills its inside with the base colour, not the window's.
  for (QLineEdit* box : {bdate_, edate_}) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ToQColor(kPaleYellow));
    box->setPalette(palette);
  }

  const QString today = ToQt(FormatDate(program_.env.Now()));
  bdate_->setText(today);
  edate_->setText(today);

  struct Place {
    QWidget* control;
    double left, top, width, height;
  };
  const Place places[] = {
      {label1_, 25, 10, 30, 10}, {bdate_, 55, 10, 22, 10},   {label2_, 25, 30, 30, 10},
      {edate_, 55, 30, 22, 10},  {check1_, 35, 55, 35, 10},  {command2_, 30, 80, 17, 15},
      {command1_, 50, 80, 17, 15},
  };
  for (const Place& p : places) units.PlaceControl(p.control, p.top, p.left, p.width, p.height);
  bdate_->setFocus();
}

PrintRange PrintRangeDialog::Range() const {
  return {check1_->isChecked(), FromQt(bdate_->text()), FromQt(edate_->text())};
}

bool PrintRangeDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && event->type() == QEvent::FocusIn) {
    // After the click or key that brought the focus has placed the cursor,
    // so that typing replaces the whole date.
    QPointer<QLineEdit> guard(box);
    QMetaObject::invokeMethod(
        this, [guard] { if (guard) guard->setSelection(0, std::min<int>(50, guard->text().size())); },
        Qt::QueuedConnection);
  }
  if (box && event->type() == QEvent::FocusOut) {
    // Another window coming to the front (the error box among them) is no
    // leaving of the box; neither is the dialog being hidden.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !closing_) {
      if (box == bdate_) bdate_LostFocus();
      else edate_LostFocus();
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool PrintRangeDialog::CheckDate(QLineEdit* box, const char* message) {
  if (std::optional<Date> date = ReadDate(FromQt(box->text()))) {
    box->setText(ToQt(FormatDate(*date)));
    return true;
  }
  ShowStop(program_, "Telvo ", message);
  return false;
}

void PrintRangeDialog::RefocusLater(QLineEdit* box) {
  QPointer<QLineEdit> guard(box);
  QMetaObject::invokeMethod(
      this, [guard] { if (guard) guard->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
  box->setFocus(Qt::OtherFocusReason);
}

void PrintRangeDialog::bdate_LostFocus() {
  if (!CheckDate(bdate_, "Invalid Beginning Date")) RefocusLater(bdate_);
}

void PrintRangeDialog::edate_LostFocus() {
  if (!CheckDate(edate_, "Invalid Ending Date")) RefocusLater(edate_);
}

void PrintRangeDialog::Check1_Click() {
  const bool dates = !check1_->isChecked();
  for (QWidget* control : {static_cast<QWidget*>(bdate_), static_cast<QWidget*>(edate_),
                           static_cast<QWidget*>(label1_), static_cast<QWidget*>(label2_)})
    control->setEnabled(dates);
}

void PrintRangeDialog::Command2_Click() {
  if (!check1_->isChecked()) {
    // A box checks its date only when it loses the focus, and Print does not
    // take it: the dates are checked again here, so a box still holding a
    // text that is no date cannot print a range nobody asked for.
    if (!CheckDate(bdate_, "Invalid Beginning Date")) return RefocusLater(bdate_);
    if (!CheckDate(edate_, "Invalid Ending Date")) return RefocusLater(edate_);
    if (ReadDate(FromQt(edate_->text())) < ReadDate(FromQt(bdate_->text()))) {
      const QString begin = bdate_->text();
      bdate_->setText(edate_->text());
      edate_->setText(begin);
    }
  }
  closing_ = true;
  done(QDialog::Accepted);
}

void PrintRangeDialog::Command1_Click() {
  closing_ = true;
  done(QDialog::Rejected);
}

void PrintRangeDialog::reject() { Command1_Click(); }

std::optional<PrintRange> AskPrintRange(Program& program, QWidget* parent) {
  PrintRangeDialog dialog(program, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Range();
}

}  // namespace telvo
