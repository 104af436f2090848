#include "ui/options/options_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "core/options_rules.h"
#include "core/workgroup.h"
#include "ui/common/file_dialogs.h"
#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"
#include "ui/common/windows_colour.h"

namespace telvo {
namespace {

constexpr int32_t kWhite = 0xFFFFFF;

template <typename Control>
Control* Make(QWidget* parent, const QString& name, const QString& caption = {},
              const QString& tip = {}) {
  auto* control = new Control(caption, parent);
  control->setObjectName(name);
  if (!tip.isEmpty()) control->setToolTip(tip);
  return control;
}

QString Indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

}  // namespace

OptionsDialog::OptionsDialog(Program& program, QWidget* parent)
    : QDialog(parent), program_(program) {
  setObjectName(QStringLiteral("Form4"));
  CreateControls();
  Form_Load();
}

void OptionsDialog::CreateControls() {
  const std::array<std::pair<const char*, const char*>, 6> commands = {{
      {"Choose a Workgroup", "Pick a .WGL file"},
      {"Identify yourself", "Select your name from the list"},
      {"Initials", "Your initials go on messages you send"},
      {"Pick default \"for\" person", "Select the person you usually take messages for."},
      {"Colors", "Background color for message pad."},
      {"Popup Program", "A program that displays the mailslot popup"},
  }};
  for (int i = 0; i < 6; ++i) {
    const auto& [caption, tip] = commands[static_cast<size_t>(i)];
    command1_[static_cast<size_t>(i)] = Make<QPushButton>(this, Indexed("Command1", i),
                                                          QString::fromLatin1(caption),
                                                          QString::fromLatin1(tip));
    connect(command1_[static_cast<size_t>(i)], &QPushButton::clicked, this,
            [this, i] { Command1_Click(i); });
  }
  for (int i = 0; i < 4; ++i) {
    // Paths and names come from files: never read as markup.
    QLabel* label = Make<QLabel>(this, Indexed("Label1", i));
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PaintBackground(label, kWhite);
    label1_[static_cast<size_t>(i)] = label;
  }
  const char* requirements[] = {"Required: your name from the list",
                                "Required: a person from the list"};
  for (int i = 0; i < 2; ++i) {
    QLabel* hint = Make<QLabel>(this, Indexed("RequiredHint", i + 1),
                                QString::fromLatin1(requirements[i]));
    hint->setForegroundRole(QPalette::PlaceholderText);
    requiredHint_[static_cast<size_t>(i)] = hint;
  }

  const std::array<std::pair<const char*, const char*>, 3> options = {{
      {"No Popup", "Normal notification choice for Windows NT Workstation"},
      {"Mailslot Popup", "Uses an external mailslot notification program to alert you."},
      {"Telvo Popup",
       "Checks every 10 seconds for new messages.  No external program neccesary"},
  }};
  for (int i = 0; i < 3; ++i) {
    const auto& [caption, tip] = options[static_cast<size_t>(i)];
    option1_[static_cast<size_t>(i)] = Make<QRadioButton>(
        this, Indexed("Option1", i), QString::fromLatin1(caption), QString::fromLatin1(tip));
    connect(option1_[static_cast<size_t>(i)], &QRadioButton::clicked, this,
            [this, i] { Option1_Click(i); });
  }
  check1_ =
      Make<QCheckBox>(this, QStringLiteral("Check1"), QStringLiteral("Minimize after delivery"),
                      QStringLiteral("Telvo minimizes after you take a message"));
  check2_ =
      Make<QCheckBox>(this, QStringLiteral("Check2"), QStringLiteral("Suppress splash screen"),
                      QStringLiteral("Select to eliminate the splash screen at start of Telvo"));

  text1_ = new QLineEdit(this);
  text1_->setObjectName(QStringLiteral("Text1"));
  text1_->installEventFilter(this);
  list1_ = new QListWidget(this);
  list1_->setObjectName(QStringLiteral("List1"));
  // A name is picked by a click, even on the name already selected, or by
  // selecting it with the keys; merely tabbing into the list picks nothing.
  connect(list1_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { List1_Click(list1_->row(item)); });
  connect(list1_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> selected = list1_->selectedItems();
    if (!selected.isEmpty()) List1_Click(list1_->row(selected.first()));
  });

  command2_ = Make<QPushButton>(this, QStringLiteral("Command2"), QStringLiteral("OK"));
  command3_ = Make<QPushButton>(this, QStringLiteral("Command3"), QStringLiteral("Cancel"));
  help_ = Make<QPushButton>(this, QStringLiteral("Help"), QStringLiteral("Help"));
  command2_->setDefault(true);
  connect(command2_, &QPushButton::clicked, this, &OptionsDialog::Command2_Click);
  connect(command3_, &QPushButton::clicked, this, &OptionsDialog::Command3_Click);
  connect(help_, &QPushButton::clicked, this, &OptionsDialog::Help_Click);
}

void OptionsDialog::Form_Load() {
  ProgramState& s = program_.state;
  if (program_.hooks.StopPoller) program_.hooks.StopPoller();
  command1_[5]->setEnabled(false);
  label1_[3]->setEnabled(false);

  setWindowTitle(QStringLiteral("Telvo Options"));
  backColor_ = program_.settings.padColor;
  for (QWidget* control : {static_cast<QWidget*>(this), static_cast<QWidget*>(check1_),
                           static_cast<QWidget*>(check2_)})
    PaintBackground(control, program_.settings.padColor);
  // The option buttons hold their own colour: a colour chosen later paints
  // only the dialog and the check boxes.
  for (QRadioButton* option : option1_) PaintBackground(option, program_.settings.padColor);
  s.activeWindow = kOptionsDialog;

  SizeAndCentre(this, 8.0 / 11.0, 16.0 / 20.0);
  setFixedSize(size());
  const LayoutUnits units(*this, 90, 100);
  PlaceControls(units, ChooseFonts(units));

  LoadNames(program_.settings.workgroupPath);
  FillValues();
}

double OptionsDialog::ChooseFonts(const LayoutUnits& units) {
  const OptionsFontSizes sizes = ChooseOptionsFontSizes(
      [&](double points) { return TextHeightInUnits(MsSansSerif(points), units); });
  const QFont dialogFont = MsSansSerif(sizes.dialog);
  const QFont labelFont = MsSansSerif(sizes.labels);
  setFont(dialogFont);
  for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control != list1_ && control != text1_) control->setFont(labelFont);
  }
  return TextHeightInUnits(dialogFont, units);
}

void OptionsDialog::PlaceControls(const LayoutUnits& units, double lineHeight) {
  struct Place {
    QWidget* control;
    double left, top, width, height;
  };
  const Place places[] = {
      {command1_[0], 5, 3, 25, 6},  {label1_[0], 32, 3, 50, 4},
      {command1_[1], 5, 13, 25, 6}, {label1_[1], 32, 13, 25, 4},
      {list1_, 60, 13, 25, 20 * lineHeight},
      {command1_[2], 5, 23, 25, 6}, {text1_, 32, 23, 12, 4},
      {requiredHint_[0], 32, 17.5, 28, 4},
      {command1_[3], 5, 33, 25, 6}, {label1_[2], 32, 33, 25, 4},
      {requiredHint_[1], 32, 37.5, 28, 4},
      {command1_[4], 5, 43, 25, 6}, {option1_[0], 5, 53, 25, 4},
      {check1_, 32, 53, 25, 6},     {option1_[2], 5, 59, 25, 4},
      {check2_, 32, 60, 25, 6},     {option1_[1], 5, 65, 25, 4},
      {command1_[5], 5, 73, 18, 6}, {label1_[3], 26, 73, 30, 4},
      {command2_, 12, 85, 10, 6},   {command3_, 25, 85, 10, 6},
      {help_, 38, 85, 10, 6},
  };
  for (const Place& p : places) units.PlaceControl(p.control, p.top, p.left, p.width, p.height);
}

void OptionsDialog::FillValues() {
  SetLabel(0, program_.settings.workgroupPath);
  SetLabel(1, program_.settings.name);
  SetLabel(2, program_.settings.defaultRecipient);
  SetLabel(3, program_.settings.popupProgram);
  text1_->setText(ToQt(program_.settings.initials));

  list1_->setEnabled(false);
  EnablePickButtons();
  text1_->setEnabled(false);
  check2_->setChecked(program_.settings.splash == Splash::kSuppressed);
  check1_->setChecked(program_.settings.deliver == Deliver::kMinimized);

  // A choice the file spells otherwise shows as the internal one.
  const Choice<Notification>& notification = program_.settings.notification;
  const int option = notification == Notification::kNone       ? 0
                     : notification == Notification::kExternal ? 1
                                                               : 2;
  option1_[static_cast<size_t>(option)]->setChecked(true);
  Option1_Click(option);
}

void OptionsDialog::LoadNames(const std::string& path) {
  const std::string configured = program_.settings.workgroupPath;
  program_.settings.workgroupPath = path;
  // With the dialog as the caller a failure shows no box: the list stays
  // empty, and OK then refuses to save a workgroup without names.
  static_cast<void>(LoadWorkgroup(program_, names_));
  program_.settings.workgroupPath = configured;

  const QSignalBlocker quiet(list1_);
  list1_->clear();
  for (const std::string& name : names_) list1_->addItem(ToQt(name));
  ShowRequirements();
}

void OptionsDialog::EnablePickButtons() {
  command1_[1]->setEnabled(!names_.empty());
  command1_[3]->setEnabled(!names_.empty());
}

void OptionsDialog::EnableMainControls(bool enabled) {
  for (QPushButton* command : command1_) command->setEnabled(enabled);
  for (QRadioButton* option : option1_) option->setEnabled(enabled);
  for (QWidget* control : {static_cast<QWidget*>(command2_), static_cast<QWidget*>(command3_),
                           static_cast<QWidget*>(check1_), static_cast<QWidget*>(check2_)})
    control->setEnabled(enabled);
}

void OptionsDialog::SetLabel(int index, const std::string& text) {
  labelText_[static_cast<size_t>(index)] = text;
  label1_[static_cast<size_t>(index)]->setText(ToQt(text));
  ShowRequirements();
}

void OptionsDialog::ShowRequirements() {
  for (size_t i = 0; i < requiredHint_.size(); ++i) {
    const std::string& chosen = labelText_[i + 1];
    requiredHint_[i]->setVisible(std::find(names_.begin(), names_.end(), chosen) == names_.end());
  }
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text1_ && event->type() == QEvent::FocusIn) {
    // After the click or key that brought the focus has placed the cursor.
    QMetaObject::invokeMethod(
        this, [this] { text1_->setSelection(0, std::min<int>(50, text1_->text().size())); },
        Qt::QueuedConnection);
  }
  if (watched == text1_ && event->type() == QEvent::FocusOut) {
    // Another window coming to the front is no leaving of the box.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      text1_->setEnabled(false);
  }
  return QDialog::eventFilter(watched, event);
}

void ShowOptionsDialog(Program& program, QWidget* parent) {
  OptionsDialog dialog(program, parent);
  dialog.exec();
}

}  // namespace telvo
