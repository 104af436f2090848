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
#include <initializer_list>

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

}  // namespace

OptionsDialog::OptionsDialog(Program& program, QWidget* parent)
    : QDialog(parent), program_(program) {
  setObjectName(QStringLiteral("optionsDialog"));
  CreateControls();
  Load();
}

// The Tab key visits the controls in the order they are made.
void OptionsDialog::CreateControls() {
  CreateChoiceButtons();
  CreateChoiceLabels();
  CreatePopupOptions();
  minimizeAfterDeliveryCheck_ = Make<QCheckBox>(
      this, QStringLiteral("minimizeAfterDeliveryCheck"), QStringLiteral("Minimize after delivery"),
      QStringLiteral("Telvo minimizes after you take a message"));
  suppressSplashCheck_ = Make<QCheckBox>(
      this, QStringLiteral("suppressSplashCheck"), QStringLiteral("Suppress splash screen"),
      QStringLiteral("Select to eliminate the splash screen at start of Telvo"));

  initialsEdit_ = new QLineEdit(this);
  initialsEdit_->setObjectName(QStringLiteral("initialsEdit"));
  initialsEdit_->installEventFilter(this);
  namesList_ = new QListWidget(this);
  namesList_->setObjectName(QStringLiteral("namesList"));
  // A name is picked by a click, even on the name already selected, or by
  // selecting it with the keys; merely tabbing into the list picks nothing.
  connect(namesList_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { onNameClicked(namesList_->row(item)); });
  connect(namesList_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> selected = namesList_->selectedItems();
    if (!selected.isEmpty()) onNameClicked(namesList_->row(selected.first()));
  });

  okButton_ = Make<QPushButton>(this, QStringLiteral("okButton"), QStringLiteral("OK"));
  cancelButton_ = Make<QPushButton>(this, QStringLiteral("cancelButton"), QStringLiteral("Cancel"));
  helpButton_ = Make<QPushButton>(this, QStringLiteral("helpButton"), QStringLiteral("Help"));
  okButton_->setDefault(true);
  connect(okButton_, &QPushButton::clicked, this, &OptionsDialog::onOkClicked);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(helpButton_, &QPushButton::clicked, this, &OptionsDialog::onHelpClicked);
}

// The buttons down the left that each change one choice.
void OptionsDialog::CreateChoiceButtons() {
  const auto button = [this](const char* name, const char* caption, const char* tip) {
    return Make<QPushButton>(this, QString::fromLatin1(name), QString::fromLatin1(caption),
                             QString::fromLatin1(tip));
  };
  chooseWorkgroupButton_ =
      button("chooseWorkgroupButton", "Choose a Workgroup", "Pick a .WGL file");
  chooseNameButton_ =
      button("chooseNameButton", "Identify yourself", "Select your name from the list");
  editInitialsButton_ =
      button("editInitialsButton", "Initials", "Your initials go on messages you send");
  chooseDefaultPersonButton_ = button("chooseDefaultPersonButton", "Pick default \"for\" person",
                                      "Select the person you usually take messages for.");
  chooseColourButton_ = button("chooseColourButton", "Colors", "Background color for message pad.");
  choosePopupProgramButton_ = button("choosePopupProgramButton", "Popup Program",
                                     "A program that displays the mailslot popup");

  connect(chooseWorkgroupButton_, &QPushButton::clicked, this, &OptionsDialog::ChooseWorkgroup);
  connect(chooseNameButton_, &QPushButton::clicked, this, [this] { EnterPickMode(kName); });
  connect(editInitialsButton_, &QPushButton::clicked, this, &OptionsDialog::onInitialsClicked);
  connect(chooseDefaultPersonButton_, &QPushButton::clicked, this,
          [this] { EnterPickMode(kDefaultPerson); });
  connect(chooseColourButton_, &QPushButton::clicked, this, &OptionsDialog::ChooseColour);
  connect(choosePopupProgramButton_, &QPushButton::clicked, this,
          &OptionsDialog::ChoosePopupProgram);
}

void OptionsDialog::CreateChoiceLabels() {
  const char* names[] = {"workgroupLabel", "nameLabel", "defaultPersonLabel", "popupProgramLabel"};
  for (size_t i = 0; i < choiceLabels_.size(); ++i) {
    // Paths and names come from files: never read as markup.
    QLabel* label = Make<QLabel>(this, QString::fromLatin1(names[i]));
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PaintBackground(label, kWhite);
    choiceLabels_[i] = label;
  }
  const auto hint = [this](const char* name, const char* text) {
    QLabel* made = Make<QLabel>(this, QString::fromLatin1(name), QString::fromLatin1(text));
    made->setForegroundRole(QPalette::PlaceholderText);
    return made;
  };
  nameRequiredHint_ = hint("nameRequiredHint", "Required: your name from the list");
  defaultPersonRequiredHint_ =
      hint("defaultPersonRequiredHint", "Required: a person from the list");
}

// How new calls are announced: one of three.
void OptionsDialog::CreatePopupOptions() {
  const auto option = [this](const char* name, const char* caption, const char* tip,
                             Notification popup) {
    auto* made = Make<QRadioButton>(this, QString::fromLatin1(name), QString::fromLatin1(caption),
                                    QString::fromLatin1(tip));
    connect(made, &QRadioButton::clicked, this, [this, popup] { onPopupOptionClicked(popup); });
    return made;
  };
  noPopupOption_ =
      option("noPopupOption", "No Popup", "Normal notification choice for Windows NT Workstation",
             Notification::kNone);
  externalPopupOption_ = option("externalPopupOption", "Mailslot Popup",
                                "Uses an external mailslot notification program to alert you.",
                                Notification::kExternal);
  internalPopupOption_ =
      option("internalPopupOption", "Telvo Popup",
             "Checks every 10 seconds for new messages.  No external program neccesary",
             Notification::kInternal);
}

void OptionsDialog::Load() {
  ProgramState& s = program_.state;
  if (program_.hooks.StopPoller) program_.hooks.StopPoller();
  choosePopupProgramButton_->setEnabled(false);
  choiceLabels_[kPopupProgram]->setEnabled(false);

  setWindowTitle(QStringLiteral("Telvo Options"));
  backColor_ = program_.settings.padColor;
  for (QWidget* control :
       {static_cast<QWidget*>(this), static_cast<QWidget*>(minimizeAfterDeliveryCheck_),
        static_cast<QWidget*>(suppressSplashCheck_)})
    PaintBackground(control, program_.settings.padColor);
  // The option buttons hold their own colour: a colour chosen later paints
  // only the dialog and the check boxes.
  for (QRadioButton* option : {noPopupOption_, externalPopupOption_, internalPopupOption_})
    PaintBackground(option, program_.settings.padColor);
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
    if (control != namesList_ && control != initialsEdit_) control->setFont(labelFont);
  }
  return TextHeightInUnits(dialogFont, units);
}

void OptionsDialog::PlaceControls(const LayoutUnits& units, double lineHeight) {
  struct Place {
    QWidget* control;
    double left, top, width, height;
  };
  const Place places[] = {
      {chooseWorkgroupButton_, 5, 3, 25, 6},
      {choiceLabels_[kWorkgroup], 32, 3, 50, 4},
      {chooseNameButton_, 5, 13, 25, 6},
      {choiceLabels_[kName], 32, 13, 25, 4},
      {namesList_, 60, 13, 25, 20 * lineHeight},
      {editInitialsButton_, 5, 23, 25, 6},
      {initialsEdit_, 32, 23, 12, 4},
      {nameRequiredHint_, 32, 17.5, 28, 4},
      {chooseDefaultPersonButton_, 5, 33, 25, 6},
      {choiceLabels_[kDefaultPerson], 32, 33, 25, 4},
      {defaultPersonRequiredHint_, 32, 37.5, 28, 4},
      {chooseColourButton_, 5, 43, 25, 6},
      {noPopupOption_, 5, 53, 25, 4},
      {minimizeAfterDeliveryCheck_, 32, 53, 25, 6},
      {internalPopupOption_, 5, 59, 25, 4},
      {suppressSplashCheck_, 32, 60, 25, 6},
      {externalPopupOption_, 5, 65, 25, 4},
      {choosePopupProgramButton_, 5, 73, 18, 6},
      {choiceLabels_[kPopupProgram], 26, 73, 30, 4},
      {okButton_, 12, 85, 10, 6},
      {cancelButton_, 25, 85, 10, 6},
      {helpButton_, 38, 85, 10, 6},
  };
  for (const Place& p : places) units.PlaceControl(p.control, p.top, p.left, p.width, p.height);
}

void OptionsDialog::FillValues() {
  SetLabel(kWorkgroup, program_.settings.workgroupPath);
  SetLabel(kName, program_.settings.name);
  SetLabel(kDefaultPerson, program_.settings.defaultRecipient);
  SetLabel(kPopupProgram, program_.settings.popupProgram);
  initialsEdit_->setText(ToQt(program_.settings.initials));

  namesList_->setEnabled(false);
  EnablePickButtons();
  initialsEdit_->setEnabled(false);
  suppressSplashCheck_->setChecked(program_.settings.splash == Splash::kSuppressed);
  minimizeAfterDeliveryCheck_->setChecked(program_.settings.deliver == Deliver::kMinimized);

  // A choice the file spells otherwise shows as the internal one.
  const Choice<Notification>& notification = program_.settings.notification;
  const Notification shown = notification == Notification::kNone       ? Notification::kNone
                             : notification == Notification::kExternal ? Notification::kExternal
                                                                       : Notification::kInternal;
  PopupOption(shown)->setChecked(true);
  onPopupOptionClicked(shown);
}

void OptionsDialog::LoadNames(const std::string& path) {
  const std::string configured = program_.settings.workgroupPath;
  program_.settings.workgroupPath = path;
  // With the dialog as the caller a failure shows no box: the list stays
  // empty, and OK then refuses to save a workgroup without names.
  static_cast<void>(LoadWorkgroup(program_, names_));
  program_.settings.workgroupPath = configured;

  const QSignalBlocker quiet(namesList_);
  namesList_->clear();
  for (const std::string& name : names_) namesList_->addItem(ToQt(name));
  ShowRequirements();
}

void OptionsDialog::EnablePickButtons() {
  chooseNameButton_->setEnabled(!names_.empty());
  chooseDefaultPersonButton_->setEnabled(!names_.empty());
}

void OptionsDialog::EnableMainControls(bool enabled) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           chooseWorkgroupButton_, chooseNameButton_, editInitialsButton_,
           chooseDefaultPersonButton_, chooseColourButton_, choosePopupProgramButton_,
           noPopupOption_, externalPopupOption_, internalPopupOption_, okButton_, cancelButton_,
           minimizeAfterDeliveryCheck_, suppressSplashCheck_})
    control->setEnabled(enabled);
}

void OptionsDialog::SetLabel(ShownChoice choice, const std::string& text) {
  labelText_[choice] = text;
  choiceLabels_[choice]->setText(ToQt(text));
  ShowRequirements();
}

void OptionsDialog::ShowRequirements() {
  const auto listed = [this](ShownChoice choice) {
    return std::find(names_.begin(), names_.end(), labelText_[choice]) != names_.end();
  };
  nameRequiredHint_->setVisible(!listed(kName));
  defaultPersonRequiredHint_->setVisible(!listed(kDefaultPerson));
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == initialsEdit_ && event->type() == QEvent::FocusIn) {
    // After the click or key that brought the focus has placed the cursor.
    QMetaObject::invokeMethod(
        this,
        [this] {
          const int length = static_cast<int>(initialsEdit_->text().size());
          initialsEdit_->setSelection(0, std::min(50, length));
        },
        Qt::QueuedConnection);
  }
  if (watched == initialsEdit_ && event->type() == QEvent::FocusOut) {
    // Another window coming to the front is no leaving of the box.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      initialsEdit_->setEnabled(false);
  }
  return QDialog::eventFilter(watched, event);
}

void ShowOptionsDialog(Program& program, QWidget* parent) {
  OptionsDialog dialog(program, parent);
  dialog.exec();
}

}  // namespace telvo
