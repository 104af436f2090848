#include "ui/alert/alert_window.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "service/alert_file.h"
#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"

namespace telvo {
namespace {

constexpr double kAcross = 100, kDown = 100;
constexpr double kHeadingLeft = 5, kHeadingTop[2] = {10, 17};

// The alert file ends its lines with CR LF; the text box with its own breaks.
QString ForEditing(const std::string& alert) {
  return ToQt(alert).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The font of a control of the message pad, when the window opens over it.
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
  Form_Load();
}

void AlertWindow::Form_Load() {
  program_.state.activeWindow = kAlertWindow;
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(ToQt("Alert for " + program_.workgroup.NameOf(person_)));
  CreateControls();
  ApplyPadFonts();
  SizeAndCentre(this, 0.5, 0.5);
  PlaceControls();
  text1_->setPlainText(ForEditing(text_));
  loaded_ = EditedAlert();
  // Read only rather than disabled: a long alert must still scroll, and its
  // text must not be greyed out for the person who has to read it.
  text1_->setReadOnly(!Editing());
  WriteHeading();
  if (Editing()) text1_->setFocus();
}

void AlertWindow::CreateControls() {
  heading_ = {PlainLabel(this, "Heading1"), PlainLabel(this, "Heading2")};
  text1_ = new QPlainTextEdit(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->setTabChangesFocus(true);  // Tab reaches the buttons, as everywhere else
  text1_->viewport()->installEventFilter(this);
  const char* captions[] = {"OK", "Cancel", "Remove"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
    button->setObjectName(QStringLiteral("Command1(%1)").arg(i));
    connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    command1_[static_cast<size_t>(i)] = button;
  }
  command1_[0]->setDefault(true);
}

void AlertWindow::ApplyPadFonts() {
  QWidget* pad = parentWidget();
  text1_->setFont(PadFont(pad, "Caller", kFontLadder[2]));
  const QFont captions = PadFont(pad, "Label2", kFontLadder[3]);
  for (QLabel* label : heading_) label->setFont(captions);
  for (QPushButton* button : command1_) button->setFont(captions);
}

void AlertWindow::PlaceControls() {
  const LayoutUnits units(*this, kAcross, kDown);
  for (size_t line = 0; line < heading_.size(); ++line)
    units.PlaceControl(heading_[line], kHeadingTop[line], kHeadingLeft, 90, 7);
  units.PlaceControl(text1_, 26, 5, 90, 56);
  for (size_t i = 0; i < command1_.size(); ++i)
    units.PlaceControl(command1_[i], 86, 5 + 32.5 * static_cast<double>(i), 25, 9);
}

// Written once at load rather than on every activation: the labels keep it.
void AlertWindow::WriteHeading() {
  if (!Editing()) {
    heading_[0]->setText(QStringLiteral("Please note the following message."));
    heading_[1]->clear();
    return;
  }
  heading_[0]->setText(QStringLiteral("Enter a message you want people"));
  heading_[1]->setText(
      ToQt("taking calls for " + program_.workgroup.NameOf(person_) + " to know."));
}

bool AlertWindow::Editing() const { return use_ == AlertUse::kEdit; }

// The text as the alert file holds it: Windows-1252, lines ended by CR LF.
// The raw text keeps non-breaking spaces, which the plain text turns into
// blanks.
std::string AlertWindow::EditedAlert() const {
  QString text = text1_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return FromQt(text);
}

void AlertWindow::Command1_Click(int index) {
  switch (index) {
    case 0:
      // A colleague holding the file keeps the window open with the text.
      if (Editing() && EditedAlert() != loaded_ && !WriteAlert(program_, person_, EditedAlert()))
        return;
      accept();
      return;
    case 1:
      reject();
      return;
    case 2:
      if (!text_.empty()) RemoveAlert(program_, person_);
      accept();
      return;
  }
}

void AlertWindow::Text1_DblClick() {
  ShowNotice(program_, "Telvo", "Be sure to enter an alert");
}

bool AlertWindow::eventFilter(QObject* watched, QEvent* event) {
  // Only the editor hints: the alert shown to a message taker is not for
  // typing into.
  if (watched == text1_->viewport() && event->type() == QEvent::MouseButtonDblClick &&
      Editing())
    Text1_DblClick();
  return QDialog::eventFilter(watched, event);
}

void ShowAlertWindow(Program& program, int person, AlertUse use, const std::string& text,
                     QWidget* parent) {
  AlertWindow window(program, person, use, text, parent);
  window.exec();
}

}  // namespace telvo
