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
  setObjectName(QStringLiteral("printRangeDialog"));
  CreateControls();
  Load();
}

void PrintRangeDialog::CreateControls() {
  beginningDateLabel_ = new QLabel(QStringLiteral("Beginning Date"), this);
  beginningDateLabel_->setObjectName(QStringLiteral("beginningDateLabel"));
  beginningDateEdit_ = new QLineEdit(this);
  beginningDateEdit_->setObjectName(QStringLiteral("beginningDateEdit"));
  endingDateLabel_ = new QLabel(QStringLiteral("Ending Date"), this);
  endingDateLabel_->setObjectName(QStringLiteral("endingDateLabel"));
  endingDateEdit_ = new QLineEdit(this);
  endingDateEdit_->setObjectName(QStringLiteral("endingDateEdit"));
  printAllCheck_ = new QCheckBox(QStringLiteral("Print All Dates"), this);
  printAllCheck_->setObjectName(QStringLiteral("printAllCheck"));
  printButton_ = new QPushButton(QStringLiteral("Print"), this);
  printButton_->setObjectName(QStringLiteral("printButton"));
  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setObjectName(QStringLiteral("cancelButton"));
  // A click on a button leaves the focus in the date box, so a click on
  // Print checks the dates once, in Print itself, and Cancel never asks
  // for a date it is about to throw away. Tab still reaches both.
  printButton_->setFocusPolicy(Qt::TabFocus);
  cancelButton_->setFocusPolicy(Qt::TabFocus);
  printButton_->setAutoDefault(false);
  cancelButton_->setAutoDefault(false);

  for (QLineEdit* box : {beginningDateEdit_, endingDateEdit_}) box->installEventFilter(this);
  connect(printAllCheck_, &QCheckBox::clicked, this, &PrintRangeDialog::onPrintAllClicked);
  connect(printButton_, &QPushButton::clicked, this, &PrintRangeDialog::onPrintClicked);
  connect(cancelButton_, &QPushButton::clicked, this, &PrintRangeDialog::onCancelClicked);

  setTabOrder(beginningDateEdit_, endingDateEdit_);
  setTabOrder(endingDateEdit_, printAllCheck_);
  setTabOrder(printAllCheck_, printButton_);
  setTabOrder(printButton_, cancelButton_);
}

void PrintRangeDialog::Load() {
  ProgramState& s = program_.state;
  s.activeWindow = kPrintRange;
  // An index just past the people names nobody (an empty title); one further
  // off, or none, leaves the title to the owner of the log.
  const int person = s.viewed.person;
  const bool listed = person >= 0 && person <= program_.workgroup.size();
  const std::string name = listed ? program_.workgroup.NameOf(person) : s.viewed.book.owner.name;
  setWindowTitle(ToQt("Print Calls for " + name));

  SizeAndCentre(this, 0.5, 1.0 / 3.0);
  setFixedSize(size());
  const LayoutUnits units(*this, 100, 100);

  const QFont font = MsSansSerif(DialogFontPoints());
  setFont(font);
  for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    control->setFont(font);

  for (QWidget* control :
       {static_cast<QWidget*>(this), static_cast<QWidget*>(beginningDateEdit_),
        static_cast<QWidget*>(endingDateEdit_), static_cast<QWidget*>(printAllCheck_)})
    PaintBackground(control, kPaleYellow);
  for (QLabel* label : {beginningDateLabel_, endingDateLabel_})
    PaintBackground(label, kWindowColour);
  // A text box fills its inside with the base colour, not the window's.
  for (QLineEdit* box : {beginningDateEdit_, endingDateEdit_}) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, ToQColor(kPaleYellow));
    box->setPalette(palette);
  }

  const QString today = ToQt(FormatDate(program_.env.Now()));
  beginningDateEdit_->setText(today);
  endingDateEdit_->setText(today);

  struct Place {
    QWidget* control;
    double left, top, width, height;
  };
  const Place places[] = {
      {beginningDateLabel_, 25, 10, 30, 10}, {beginningDateEdit_, 55, 10, 22, 10},
      {endingDateLabel_, 25, 30, 30, 10},    {endingDateEdit_, 55, 30, 22, 10},
      {printAllCheck_, 35, 55, 35, 10},      {printButton_, 30, 80, 17, 15},
      {cancelButton_, 50, 80, 17, 15},
  };
  for (const Place& p : places) units.PlaceControl(p.control, p.top, p.left, p.width, p.height);
  beginningDateEdit_->setFocus();
}

PrintRange PrintRangeDialog::Range() const {
  return {printAllCheck_->isChecked(), FromQt(beginningDateEdit_->text()),
          FromQt(endingDateEdit_->text())};
}

bool PrintRangeDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && event->type() == QEvent::FocusIn) {
    // After the click or key that brought the focus has placed the cursor,
    // so that typing replaces the whole date.
    QPointer<QLineEdit> guard(box);
    QMetaObject::invokeMethod(
        this,
        [guard] {
          if (guard) guard->setSelection(0, std::min(50, static_cast<int>(guard->text().size())));
        },
        Qt::QueuedConnection);
  }
  if (box && event->type() == QEvent::FocusOut) {
    // Another window coming to the front (the error box among them) is no
    // leaving of the box; neither is the dialog being hidden.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !closing_) {
      if (box == beginningDateEdit_)
        onBeginningDateLeft();
      else
        onEndingDateLeft();
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
      this,
      [guard] {
        if (guard) guard->setFocus(Qt::OtherFocusReason);
      },
      Qt::QueuedConnection);
  box->setFocus(Qt::OtherFocusReason);
}

void PrintRangeDialog::onBeginningDateLeft() {
  if (!CheckDate(beginningDateEdit_, "Invalid Beginning Date")) RefocusLater(beginningDateEdit_);
}

void PrintRangeDialog::onEndingDateLeft() {
  if (!CheckDate(endingDateEdit_, "Invalid Ending Date")) RefocusLater(endingDateEdit_);
}

void PrintRangeDialog::onPrintAllClicked() {
  const bool dates = !printAllCheck_->isChecked();
  for (QWidget* control :
       {static_cast<QWidget*>(beginningDateEdit_), static_cast<QWidget*>(endingDateEdit_),
        static_cast<QWidget*>(beginningDateLabel_), static_cast<QWidget*>(endingDateLabel_)})
    control->setEnabled(dates);
}

void PrintRangeDialog::onPrintClicked() {
  if (!printAllCheck_->isChecked()) {
    // A box checks its date only when it loses the focus, and Print does not
    // take it: the dates are checked again here, so a box still holding a
    // text that is no date cannot print a range nobody asked for.
    if (!CheckDate(beginningDateEdit_, "Invalid Beginning Date"))
      return RefocusLater(beginningDateEdit_);
    if (!CheckDate(endingDateEdit_, "Invalid Ending Date")) return RefocusLater(endingDateEdit_);
    if (ReadDate(FromQt(endingDateEdit_->text())) < ReadDate(FromQt(beginningDateEdit_->text()))) {
      const QString begin = beginningDateEdit_->text();
      beginningDateEdit_->setText(endingDateEdit_->text());
      endingDateEdit_->setText(begin);
    }
  }
  closing_ = true;
  done(QDialog::Accepted);
}

void PrintRangeDialog::onCancelClicked() {
  closing_ = true;
  done(QDialog::Rejected);
}

void PrintRangeDialog::reject() { onCancelClicked(); }

std::optional<PrintRange> AskPrintRange(Program& program, QWidget* parent) {
  PrintRangeDialog dialog(program, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Range();
}

}  // namespace telvo
