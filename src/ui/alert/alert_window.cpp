#include "ui/alert/alert_window.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <initializer_list>

#include "core/dates.h"
#include "core/pad_rules.h"
#include "core/text.h"
#include "service/alert_file.h"
#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"

namespace telvo {
namespace {

constexpr double kAcross = 100, kDown = 100;
constexpr double kHeadingLeft = 5, kFirstHeadingTop = 10, kSecondHeadingTop = 17;

// The alert file ends its lines with CR LF; the text box with its own breaks.
QString ForEditing(const std::string& alert) {
  return ToQt(alert).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The font of a control of the message pad, by its object name, when the
// window opens over it.
QFont PadFont(QWidget* pad, const char* control, double fallbackPoints) {
  if (!pad) return MsSansSerif(fallbackPoints);
  if (auto* found = pad->findChild<QWidget*>(QString::fromLatin1(control))) return found->font();
  return pad->font();
}

// A caption that shows `name` as written: an ampersand stays one.
QString Caption(const std::string& before, const std::string& name, const std::string& after) {
  return ToQt(before) + ToQt(name).replace(QStringLiteral("&"), QStringLiteral("&&")) + ToQt(after);
}

QLabel* PlainLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  // The heading names a person from the shared workgroup list.
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

AlertWindow::AlertWindow(Program& program, int person, AlertUse use, std::string text,
                         QWidget* parent, std::string standIn)
    : QDialog(parent),
      program_(program),
      person_(person),
      use_(use),
      text_(std::move(text)),
      standIn_(std::move(standIn)) {
  Load();
}

void AlertWindow::Load() {
  program_.state.activeWindow = kAlertWindow;
  setObjectName(QStringLiteral("alertWindow"));
  setWindowTitle(ToQt("Alert for " + program_.workgroup.NameOf(person_)));
  CreateControls();
  ApplyPadFonts();
  SizeAndCentre(this, 0.5, 0.5);
  PlaceControls();
  // The taker sees the alert as stored; its owner edits the typed text,
  // with the Back moment and the stand-in in fields of their own.
  const AlertNote note = ReadAlertNote(text_);
  alertEdit_->setPlainText(ForEditing(Editing() ? note.text : text_));
  if (Editing()) {
    if (note.back) {
      backDateEdit_->setText(ToQt(FormatDate(*note.back)));
      backTimeEdit_->setText(ToQt(FormatTime(*note.back)));
    }
    const int standIn = callsToBox_->findText(ToQt(note.callsTo), Qt::MatchFixedString);
    callsToBox_->setCurrentIndex(note.callsTo.empty() || standIn < 0 ? 0 : standIn);
    std::string unused;
    const std::optional<AlertNote> edited = EditedNote(&unused);
    loaded_ = edited ? AlertNoteText(*edited) : "";
  }
  // Read only rather than disabled: a long alert must still scroll, and its
  // text must not be greyed out for the person who has to read it.
  alertEdit_->setReadOnly(!Editing());
  WriteHeading();
  if (Editing()) alertEdit_->setFocus();
}

void AlertWindow::CreateControls() {
  firstHeadingLine_ = PlainLabel(this, "firstHeadingLine");
  secondHeadingLine_ = PlainLabel(this, "secondHeadingLine");
  alertEdit_ = new QPlainTextEdit(this);
  alertEdit_->setObjectName(QStringLiteral("alertEdit"));
  alertEdit_->setTabChangesFocus(true);  // Tab reaches the buttons, as everywhere else
  alertEdit_->viewport()->installEventFilter(this);
  const auto button = [this](const char* name, const char* caption) {
    auto* made = new QPushButton(QString::fromLatin1(caption), this);
    made->setObjectName(QString::fromLatin1(name));
    return made;
  };
  okButton_ = button("okButton", "OK");
  cancelButton_ = button("cancelButton", "Cancel");
  removeButton_ = button("removeButton", "Remove");
  connect(okButton_, &QPushButton::clicked, this, &AlertWindow::onOkClicked);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(removeButton_, &QPushButton::clicked, this, &AlertWindow::onRemoveClicked);
  okButton_->setDefault(true);
  if (Editing()) CreateNoteFields();
  if (!Editing() && !standIn_.empty()) CreateChoices();
}

void AlertWindow::CreateNoteFields() {
  backLabel_ = PlainLabel(this, "backLabel");
  backLabel_->setText(QStringLiteral("Back"));
  backDateEdit_ = new QLineEdit(this);
  backDateEdit_->setObjectName(QStringLiteral("backDateEdit"));
  backDateEdit_->setPlaceholderText(QStringLiteral("mm-dd-yyyy"));
  backTimeEdit_ = new QLineEdit(this);
  backTimeEdit_->setObjectName(QStringLiteral("backTimeEdit"));
  backTimeEdit_->setPlaceholderText(QStringLiteral("h:mm AM"));
  callsToLabel_ = PlainLabel(this, "callsToLabel");
  callsToLabel_->setText(QStringLiteral("Calls to"));
  callsToBox_ = new QComboBox(this);
  callsToBox_->setObjectName(QStringLiteral("callsToBox"));
  // Nobody first, then everyone of the list but the owner, in its order.
  callsToBox_->addItem(QString());
  for (int i = 0; i < program_.workgroup.size(); ++i)
    if (i != person_ && !program_.workgroup.NameOf(i).empty())
      callsToBox_->addItem(ToQt(program_.workgroup.NameOf(i)));
  backLabel_->setBuddy(backDateEdit_);
  callsToLabel_->setBuddy(callsToBox_);
}

void AlertWindow::CreateChoices() {
  insteadButton_ = new QPushButton(Caption("Deliver to ", standIn_, " &instead"), this);
  insteadButton_->setObjectName(QStringLiteral("insteadButton"));
  bothButton_ = new QPushButton(QStringLiteral("Deliver to &both"), this);
  bothButton_->setObjectName(QStringLiteral("bothButton"));
  const auto choose = [this](AlertChoice choice) {
    choice_ = choice;
    accept();
  };
  connect(insteadButton_, &QPushButton::clicked, this, [=] { choose(AlertChoice::kInstead); });
  connect(bothButton_, &QPushButton::clicked, this, [=] { choose(AlertChoice::kBoth); });
}

void AlertWindow::ApplyPadFonts() {
  QWidget* pad = parentWidget();
  alertEdit_->setFont(PadFont(pad, "callerEdit", kFontLadder[2]));
  const QFont captions = PadFont(pad, "callerLabel", kFontLadder[3]);
  for (QWidget* control : std::initializer_list<QWidget*>{firstHeadingLine_, secondHeadingLine_,
                                                          okButton_, cancelButton_, removeButton_})
    control->setFont(captions);
  for (QWidget* control :
       std::initializer_list<QWidget*>{backLabel_, callsToLabel_, insteadButton_, bothButton_,
                                       backDateEdit_, backTimeEdit_, callsToBox_})
    if (control) control->setFont(captions);
}

void AlertWindow::PlaceControls() {
  const LayoutUnits units(*this, kAcross, kDown);
  units.PlaceControl(firstHeadingLine_, kFirstHeadingTop, kHeadingLeft, 90, 7);
  units.PlaceControl(secondHeadingLine_, kSecondHeadingTop, kHeadingLeft, 90, 7);
  // The text shares the window with the editor's fields or the taker's
  // choices when there are any.
  const bool below = Editing() || insteadButton_;
  units.PlaceControl(alertEdit_, 26, 5, 90, Editing() ? 38 : below ? 42 : 56);
  if (Editing()) {
    units.PlaceControl(backLabel_, 67, 5, 15, 7);
    units.PlaceControl(backDateEdit_, 67, 22, 25, 7);
    units.PlaceControl(backTimeEdit_, 67, 49, 20, 7);
    units.PlaceControl(callsToLabel_, 76, 5, 15, 7);
    units.PlaceControl(callsToBox_, 76, 22, 47, 7);
  } else if (insteadButton_) {
    units.PlaceControl(insteadButton_, 72, 5, 57, 9);
    units.PlaceControl(bothButton_, 72, 65, 30, 9);
  }
  // Along the bottom, left to right.
  double left = 5;
  for (QPushButton* button : {okButton_, cancelButton_, removeButton_}) {
    units.PlaceControl(button, 86, left, 25, 9);
    left += 32.5;
  }
}

// Written once at load rather than on every activation: the labels keep it.
void AlertWindow::WriteHeading() {
  if (!Editing()) {
    firstHeadingLine_->setText(QStringLiteral("Please note the following message."));
    secondHeadingLine_->clear();
    return;
  }
  firstHeadingLine_->setText(QStringLiteral("Enter a message you want people"));
  secondHeadingLine_->setText(
      ToQt("taking calls for " + program_.workgroup.NameOf(person_) + " to know."));
}

bool AlertWindow::Editing() const { return use_ == AlertUse::kEdit; }

// The text as the alert file holds it: Windows-1252, lines ended by CR LF.
// The raw text keeps non-breaking spaces, which the plain text turns into
// blanks.
std::string AlertWindow::EditedText() const {
  QString text = alertEdit_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return FromQt(text);
}

std::optional<AlertNote> AlertWindow::EditedNote(std::string* refusal) const {
  AlertNote note;
  note.text = EditedText();
  note.callsTo = FromQt(callsToBox_->currentText());
  const std::string date = TrimBlanks(FromQt(backDateEdit_->text()));
  const std::string time = TrimBlanks(FromQt(backTimeEdit_->text()));
  if (date.empty() && time.empty()) return note;
  if (date.empty() || time.empty()) {
    *refusal = "Enter both the date and the time you are back, or neither.";
    return std::nullopt;
  }
  const std::optional<std::string> padDate = PadDate(date);
  if (!padDate) {
    *refusal = "Invalid Back Date";
    return std::nullopt;
  }
  note.back = ReadMoment(time + " " + *padDate);
  if (!note.back) {
    *refusal = "Invalid Back Time";
    return std::nullopt;
  }
  if (HasEnded(note, program_.env.Now())) {
    *refusal = "The Back moment has passed already. Enter a later one, or none.";
    return std::nullopt;
  }
  return note;
}

void AlertWindow::onOkClicked() {
  if (Editing()) {
    std::string refusal;
    const std::optional<AlertNote> note = EditedNote(&refusal);
    if (!note) {
      ShowStop(program_, "Telvo", refusal);
      return;
    }
    // A colleague holding the file keeps the window open with the text.
    const std::string text = AlertNoteText(*note);
    if (text != loaded_ && !WriteAlert(program_, person_, text)) return;
  }
  accept();
}

void AlertWindow::onRemoveClicked() {
  if (!text_.empty()) RemoveAlert(program_, person_);
  accept();
}

void AlertWindow::onAlertDoubleClicked() {
  ShowNotice(program_, "Telvo", "Be sure to enter an alert");
}

bool AlertWindow::eventFilter(QObject* watched, QEvent* event) {
  // Only the editor hints: the alert shown to a message taker is not for
  // typing into.
  if (watched == alertEdit_->viewport() && event->type() == QEvent::MouseButtonDblClick &&
      Editing())
    onAlertDoubleClicked();
  return QDialog::eventFilter(watched, event);
}

AlertChoice ShowAlertWindow(Program& program, int person, AlertUse use, const std::string& text,
                            const std::string& standIn, QWidget* parent) {
  AlertWindow window(program, person, use, text, parent, standIn);
  window.exec();
  return window.choice();
}

}  // namespace telvo
