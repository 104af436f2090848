#pragma once
// The call list: one person's calls, from the phone log or the
// archive, a page at a time, with the row of command buttons along the top
// and, in front of each call, the icon whose Actions menu marks, forwards or
// exports it. The paging engine lays the calls out; this window is the
// canvas it draws on and remembers what was drawn, in layout units, so the
// page follows the window's size.
//
// Controls carry their member's name, without the underscore, as their
// object name ("actionsMenu"), which is how tests find them; the buttons
// along the top are named for what they do ("nextButton", "doneButton"),
// the rows' icons by their row ("rowIcon0" to "rowIcon11").

#include <QColor>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/program.h"
#include "ui/calllist/call_canvas.h"
#include "ui/calllist/call_paging_engine.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace telvo {

// The window's font: the largest of the ladder with which 30 lines fit in
// 96 of `window`'s 100 units down. When none does, says so and ends the
// program.
QFont ChooseCallListFont(Program& program, const QWidget& window);
// The largest size of the ladder at which the call list's lines fit a window
// `heightPixels` high; none when no size fits.
std::optional<double> CallListFontPoints(double heightPixels);

// The standard 16-colour palette (0 black ... 15 white).
QColor PaletteColour(int index);

class CallListWindow : public QWidget, public CallCanvas {
  Q_OBJECT

 public:
  // Loads the window over the viewed book and lists its
  // newest calls. May end the program when no font fits the screen.
  explicit CallListWindow(Program& program, QWidget* parent = nullptr);

  // One text on the page as drawn: where (in layout units), what, and its
  // palette colour.
  struct DrawnText {
    double x;
    double y;
    std::string text;  // Windows-1252 bytes, as the log holds them
    int colour;
    bool operator==(const DrawnText&) const = default;
  };
  // The page as it is drawn now, top to bottom, left to right.
  std::vector<DrawnText> Page() const;

  // CallCanvas
  void Clear() override;
  double TextWidth(std::string_view text) override;
  double LineHeight() override;
  void SetTextColor(int paletteIndex) override { colour_ = paletteIndex; }
  void DrawText(double x, double y, std::string_view text) override;
  void ShowRowIcon(int row, double top, CallIcon icon) override;

 signals:
  // The window has unloaded and hands over to the switch window.
  void Unloaded();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void Load();
  void LayOut();
  void onWindowStateChanged();
  void onUnloaded();
  // `index` is one of the buttons along the top, left to right.
  void onButtonClicked(int index);
  void PurgeAfterAsking();
  void ToggleOldCalls();
  void onRowIconPressed(int row, const QPoint& at);
  void onDeleteChosen() { chosenAction_ = kActionDelete; }
  void onArchiveChosen() { chosenAction_ = kActionArchive; }
  void onImportantChosen() { chosenAction_ = kActionImportant; }
  void onExportChosen() { chosenAction_ = kActionExport; }
  void onForwardChosen() { chosenAction_ = kActionForward; }
  void onMarkNewChosen() { chosenAction_ = kActionNew; }
  void onContentsChosen();
  void onAboutChosen();
  bool PhoneLogShown() const;
  void ShowView(bool archive);

  Program& program_;
  CallPagingEngine engine_;
  // The action chosen from the Actions menu while it is open.
  int chosenAction_ = kActionNone;
  QPushButton* buttons_[8] = {};  // along the top, left to right
  QLabel* rowIcons_[kPageRows] = {};
  double iconTop_[kPageRows] = {};
  QMenu* actionsMenu_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* archiveAction_ = nullptr;
  QAction* importantAction_ = nullptr;
  QAction* exportAction_ = nullptr;
  QAction* forwardAction_ = nullptr;
  QAction* markNewAction_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QColor background_;
  double buttonWidth_ = 0;  // W, in units
  int colour_ = 0;
  // Keyed by position (y, x): a redrawn row's texts replace the old ones.
  std::map<std::pair<double, double>, std::pair<std::string, int>> drawn_;
  Qt::WindowStates lastState_ = Qt::WindowNoState;
  bool unloaded_ = false;
};

}  // namespace telvo
