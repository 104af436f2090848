#include "ui/alert/alert_window.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <initializer_list>

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

QLabel* PlainLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  // The heading names a person from the shared workgroup list.
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

AlertWindow::AlertWindow(Program& program, int person, AlertUse use, std::string text,
                         QWidget* parent)
    : QDialog(parent), program_(program), person_(person), use_(use), text_(std::move(text)) {
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
  alertEdit_->setPlainText(ForEditing(text_));
  loaded_ = EditedAlert();
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
}

void AlertWindow::ApplyPadFonts() {
  QWidget* pad = parentWidget();
  alertEdit_->setFont(PadFont(pad, "callerEdit", kFontLadder[2]));
  const QFont captions = PadFont(pad, "callerLabel", kFontLadder[3]);
  for (QWidget* control : std::initializer_list<QWidget*>{firstHeadingLine_, secondHeadingLine_,
                                                          okButton_, cancelButton_, removeButton_})
    control->setFont(captions);
}

void AlertWindow::PlaceControls() {
  const LayoutUnits units(*this, kAcross, kDown);
  units.PlaceControl(firstHeadingLine_, kFirstHeadingTop, kHeadingLeft, 90, 7);
  units.PlaceControl(secondHeadingLine_, kSecondHeadingTop, kHeadingLeft, 90, 7);
  units.PlaceControl(alertEdit_, 26, 5, 90, 56);
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
std::string AlertWindow::EditedAlert() const {
  QString text = alertEdit_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return FromQt(text);
}

void AlertWindow::onOkClicked() {
  // A colleague holding the file keeps the window open with the text.
  if (Editing() && EditedAlert() != loaded_ && !WriteAlert(program_, person_, EditedAlert()))
    return;
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

void ShowAlertWindow(Program& program, int person, AlertUse use, const std::string& text,
                     QWidget* parent) {
  AlertWindow window(program, person, use, text, parent);
  window.exec();
}

}  // namespace telvo
