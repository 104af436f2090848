#include "ui/calllist/placeholder_call_list.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"

namespace telvo {
namespace {

constexpr double kFontPoints = 12;

QLabel* PlainLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  // The name comes from the shared workgroup list.
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  return label;
}

}  // namespace

PlaceholderCallList::PlaceholderCallList(Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), program_(program) {
  setObjectName(QStringLiteral("Form2"));
  program_.state.ActiveWindow = kCallList;
  const ProgramState& s = program_.state;
  setWindowTitle(ToQt(s.CurrentLogOwner));
  setFont(MsSansSerif(kFontPoints));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PlainLabel(ToQt("Phone calls of " + s.CurrentLogOwner), "Label1", this));
  layout->addWidget(PlainLabel(
      QStringLiteral("The call list is not part of this version of Telvo yet."), "Label2", this));
  auto* done = new QPushButton(QStringLiteral("Done"), this);
  // "Done" is the seventh of the call list's row of buttons.
  done->setObjectName(QStringLiteral("Command1_6"));
  done->setToolTip(QStringLiteral("Return to the message pad"));
  done->setDefault(true);
  connect(done, &QPushButton::clicked, this, &QWidget::close);
  layout->addWidget(done, 0, Qt::AlignHCenter);
  // Escape presses "Done", as on the call list.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
          &QWidget::close);
  SizeAndCentre(this, 0.5, 0.3);
}

void PlaceholderCallList::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void PlaceholderCallList::Form_Unload() {
  program_.state.ActiveWindow = kMessagePad;
  emit Unloaded();
}

}  // namespace telvo
