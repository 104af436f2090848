#include "ui/calllist/call_list_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindowStateChangeEvent>
#include <cmath>

#include "service/call_actions.h"
#include "service/purge.h"
#include "store/phone_log.h"
#include "ui/about/about_box.h"
#include "ui/calllist/call_icons.h"
#include "ui/common/fonts.h"
#include "ui/common/layout_units.h"
#include "ui/common/qt_text.h"
#include "ui/common/windows_colour.h"
#include "ui/help/help_window.h"
#include "ui/print/print_job.h"

namespace telvo {
namespace {

constexpr double kUnitsAcross = 100;
constexpr double kUnitsDown = 100;
constexpr int kLinesThatMustFit = 30;
constexpr double kRoomForLines = 96;
constexpr int kNoFontFits = 1;
constexpr int32_t kArchiveBackground = 0x80FFFF;  // light yellow

struct ButtonText {
  const char* name;
  const char* caption;
  const char* tooltip;
};
constexpr ButtonText kButtons[8] = {
    {"nextButton", "Next", "Display the next screen of calls"},
    {"previousButton", "Previous", "Display the previous screen of calls"},
    {"latestButton", "Latest", "Display the most recent calls"},
    {"printButton", "Print", "Print a range or all calls on your printer"},
    {"purgeButton", "Purge",
     "Remove the deleted calls.  Calls marked for archive go in your archive"},
    {"oldCallsButton", "Old Calls", "Toggle between active and archived calls"},
    {"doneButton", "Done", "Return to the message pad"},
    {"helpButton", "Help", "Display help screens"},
};
enum ButtonIndex { kNext, kPrevious, kLatest, kPrint, kPurge, kOldCalls, kDone, kHelp };

constexpr CallIcon kPictures[] = {CallIcon::kPhone, CallIcon::kCheck, CallIcon::kNail,
                                  CallIcon::kUrgent};
// The hidden labels that hold each icon's picture.
constexpr const char* kPictureNames[] = {"phoneImage", "checkImage", "nailImage", "urgentImage"};

}  // namespace

QColor PaletteColour(int index) {
  // Four colours a row, as the palette is usually shown.
  // clang-format off
  static const QColor palette[16] = {
      {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
      {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
      {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
      {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
  // clang-format on
  return palette[index & 15];
}

std::optional<double> CallListFontPoints(double heightPixels) {
  const double pixelsPerUnit = heightPixels / kUnitsDown;
  for (const double points : kFontLadder) {
    const double lineUnits = QFontMetricsF(MsSansSerif(points)).height() / pixelsPerUnit;
    if (kLinesThatMustFit * lineUnits <= kRoomForLines) return points;
  }
  return std::nullopt;
}

QFont ChooseCallListFont(Program& program, const QWidget& window) {
  if (const auto points = CallListFontPoints(window.height())) return MsSansSerif(*points);
  ShowNotice(program, "Telvo", "No Suitable Font Found\nProgram Ending");
  program.env.EndProgram(kNoFontFits);
  return MsSansSerif(kFontLadder.back());  // not reached: the program has ended
}

CallListWindow::CallListWindow(Program& program, QWidget* parent)
    : QWidget(parent, Qt::Window), program_(program), engine_(program, *this) {
  setObjectName(QStringLiteral("callListWindow"));
  CreateControls();
  Load();
}

void CallListWindow::CreateControls() {
  for (int i = 0; i < 8; ++i) {
    auto* button = new QPushButton(QString::fromLatin1(kButtons[i].caption), this);
    button->setObjectName(QLatin1String(kButtons[i].name));
    button->setToolTip(QString::fromLatin1(kButtons[i].tooltip));
    connect(button, &QPushButton::clicked, this, [this, i] { onButtonClicked(i); });
    buttons_[i] = button;
  }
  // The hidden pictures a row's icon is given a copy of.
  for (int i = 0; i < 4; ++i) {
    auto* picture = new QLabel(this);
    picture->setObjectName(QLatin1String(kPictureNames[i]));
    picture->setPixmap(CallIconPicture(kPictures[i]));
    picture->hide();
  }
  for (int row = 0; row < kPageRows; ++row) {
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("rowIcon%1").arg(row));
    icon->setScaledContents(true);
    icon->installEventFilter(this);
    rowIcons_[row] = icon;
  }
  CreateMenus();
}

void CallListWindow::CreateMenus() {
  actionsMenu_ = new QMenu(QStringLiteral("Actions"), this);
  actionsMenu_->setObjectName(QStringLiteral("actionsMenu"));
  auto item = [this](QMenu* menu, const char* name, const char* caption,
                     void (CallListWindow::*handler)()) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  deleteAction_ = item(actionsMenu_, "deleteAction", "&Delete", &CallListWindow::onDeleteChosen);
  archiveAction_ =
      item(actionsMenu_, "archiveAction", "&Archive", &CallListWindow::onArchiveChosen);
  importantAction_ =
      item(actionsMenu_, "importantAction", "&Important", &CallListWindow::onImportantChosen);
  exportAction_ = item(actionsMenu_, "exportAction", "&Export", &CallListWindow::onExportChosen);
  forwardAction_ =
      item(actionsMenu_, "forwardAction", "&Forward", &CallListWindow::onForwardChosen);
  markNewAction_ = item(actionsMenu_, "markNewAction", "&New", &CallListWindow::onMarkNewChosen);
  helpMenu_ = new QMenu(QStringLiteral("Help Menu"), this);
  helpMenu_->setObjectName(QStringLiteral("helpMenu"));
  item(helpMenu_, "contentsAction", "&Contents", &CallListWindow::onContentsChosen);
  item(helpMenu_, "aboutAction", "&About", &CallListWindow::onAboutChosen);
}

void CallListWindow::Load() {
  ProgramState& s = program_.state;
  s.activeWindow = kCallList;
  setWindowTitle(ToQt("Calls for " + program_.workgroup.NameOf(s.viewed.person)));
  background_ = Qt::white;
  SizeAndCentre(this, 1.0, 18.0 / 20.0);
  for (QLabel* icon : rowIcons_) {
    icon->setToolTip(QStringLiteral("Click for call disposition choices"));
    icon->hide();
  }
  const QFont font = ChooseCallListFont(program_, *this);
  setFont(font);
  for (QPushButton* button : buttons_) button->setFont(font);
  buttonWidth_ = std::round(TextWidth("Old Calls      "));
  LayOut();
  engine_.SetBook(s.viewed.book);
  engine_.ShowCallPage();
}

void CallListWindow::LayOut() {
  const LayoutUnits units(*this, kUnitsAcross, kUnitsDown);
  for (int i = 0; i < 8; ++i) units.PlaceControl(buttons_[i], 0, i * buttonWidth_, buttonWidth_, 5);
  for (int row = 0; row < kPageRows; ++row)
    units.PlaceControl(rowIcons_[row], iconTop_[row], 1, 3, 4);
}

bool CallListWindow::PhoneLogShown() const { return !program_.state.viewed.book.archive; }

// --- the canvas -------------------------------------------------------------

void CallListWindow::Clear() {
  drawn_.clear();
  for (QLabel* icon : rowIcons_) icon->hide();
  update();
}

double CallListWindow::TextWidth(std::string_view text) {
  const LayoutUnits units(*this, kUnitsAcross, kUnitsDown);
  return units.UnitsAcross(QFontMetricsF(font()).horizontalAdvance(ToQt(std::string(text))));
}

double CallListWindow::LineHeight() {
  return TextHeightInUnits(font(), LayoutUnits(*this, kUnitsAcross, kUnitsDown));
}

void CallListWindow::DrawText(double x, double y, std::string_view text) {
  drawn_[{y, x}] = {std::string(text), colour_};
  update();
}

void CallListWindow::ShowRowIcon(int row, double top, CallIcon icon) {
  iconTop_[row] = top;
  LayoutUnits(*this, kUnitsAcross, kUnitsDown).PlaceControl(rowIcons_[row], top, 1, 3, 4);
  const int picture = static_cast<int>(icon);
  rowIcons_[row]->setPixmap(findChild<QLabel*>(QLatin1String(kPictureNames[picture]))->pixmap());
  rowIcons_[row]->show();
}

std::vector<CallListWindow::DrawnText> CallListWindow::Page() const {
  std::vector<DrawnText> page;
  for (const auto& [at, text] : drawn_)
    page.push_back({at.second, at.first, text.first, text.second});
  return page;
}

void CallListWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  painter.setFont(font());
  const double ascent = QFontMetricsF(font()).ascent();
  const double perX = width() / kUnitsAcross;
  const double perY = height() / kUnitsDown;
  for (const auto& [at, text] : drawn_) {
    painter.setPen(PaletteColour(text.second));
    // Drawn as plain text: callers and messages are shown as they were typed.
    painter.drawText(QPointF(at.second * perX, at.first * perY + ascent), ToQt(text.first));
  }
}

// --- events -------------------------------------------------------------------

void CallListWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void CallListWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) onWindowStateChanged();
}

void CallListWindow::onWindowStateChanged() {
  // Coming back from minimized lists the newest calls again.
  if (lastState_ & Qt::WindowMinimized) {
    engine_.LatestPage();
  }
  lastState_ = windowState();
}

void CallListWindow::keyPressEvent(QKeyEvent* event) {
  // Escape presses Done, the window's cancel button, wherever the focus is.
  if (event->key() == Qt::Key_Escape) {
    onButtonClicked(kDone);
    return;
  }
  QWidget::keyPressEvent(event);
}

void CallListWindow::closeEvent(QCloseEvent* event) {
  if (!unloaded_) onUnloaded();
  event->accept();
}

void CallListWindow::onUnloaded() {
  unloaded_ = true;
  program_.state.activeWindow = kMessagePad;
  emit Unloaded();
}

bool CallListWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int row = 0; row < kPageRows; ++row) {
      if (watched != rowIcons_[row]) continue;
      onRowIconPressed(row, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CallListWindow::onButtonClicked(int index) {
  switch (index) {
    case kNext:
      engine_.NextPage();
      break;
    case kPrevious:
      engine_.PreviousPage();
      break;
    case kLatest:
      engine_.LatestPage();
      break;
    case kPrint:
      RunPrintJob(program_, this);
      break;
    case kPurge:
      PurgeAfterAsking();
      break;
    case kOldCalls:
      ToggleOldCalls();
      break;
    case kDone:
      close();
      break;
    case kHelp:
      helpMenu_->exec(QCursor::pos());
      break;
    default:
      break;
  }
}

void CallListWindow::PurgeAfterAsking() {
  const std::string question =
      std::string("You are about to purge answered phone calls") +
      (PhoneLogShown() ? " from your active calls." : " from your archived calls.") +
      " Do you want to continue?";
  if (AskYesNo(program_, "Purge Answered Phone Calls", question) != kAnswerYes) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  PurgeCalls(program_);
  QApplication::restoreOverrideCursor();
  engine_.LatestPage();
}

// Between the phone log and the archive.
void CallListWindow::ToggleOldCalls() {
  ShowView(PhoneLogShown());
  engine_.SetBook(program_.state.viewed.book);
  engine_.ShowCallPage();
}

void CallListWindow::ShowView(bool archive) {
  ProgramState& s = program_.state;
  const Person& person = program_.workgroup.at(s.viewed.person);
  s.viewed.book = {person, archive};
  buttons_[kOldCalls]->setText(archive ? QStringLiteral("Active Calls")
                                       : QStringLiteral("Old Calls"));
  background_ = archive ? ToQColor(kArchiveBackground) : palette().color(QPalette::Base);
  setWindowTitle(ToQt((archive ? "Purged Calls for " : "Calls for ") + person.name));
  update();
}

void CallListWindow::onRowIconPressed(int row, const QPoint& at) {
  chosenAction_ = kActionNone;
  const bool archive = !PhoneLogShown();
  for (QAction* action : {forwardAction_, importantAction_, markNewAction_})
    action->setEnabled(!archive);
  exportAction_->setEnabled(true);
  actionsMenu_->exec(at);
  if (chosenAction_ > 0) ApplyCallAction(program_, engine_, row, chosenAction_);
}

void CallListWindow::onContentsChosen() { ShowHelp(this, QStringLiteral("Introduction")); }

void CallListWindow::onAboutChosen() { ShowAboutBox(program_, this); }

}  // namespace telvo
