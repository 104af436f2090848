#pragma once
// The splash screen: the title, the rights notice, a disclaimer and a short
// animation of a message travelling along a telephone line. It closes when
// "Start Telvo" is pressed, or by itself five seconds after the animation.

#include <QDialog>
#include <optional>

#include "core/program.h"
#include "ui/common/layout_units.h"

class QLabel;
class QPushButton;
class QTimer;

namespace telvo {

class SplashScreen : public QDialog {
  Q_OBJECT

 public:
  // `tickScale` multiplies every timer interval, so a test can watch a whole
  // showing in a fraction of the time; the program uses 1.
  explicit SplashScreen(QWidget* parent = nullptr, double tickScale = 1.0);

  // The step the next tick of Timer1 performs, 0 to 7.
  int SplashStep() const { return splashStep_; }
  QTimer* Timer1() const { return timer1_; }

  // One tick of the animation clock.
  void Timer1_Timer();

  void done(int result) override;

 private:
  struct Place {
    double top;
    double left;
  };

  void Form_Load();
  void MakeLabels();
  void MakeLineAndPictures();
  void MakeButton();
  void DrawPictures();
  void PlaceControls();
  void PlaceCentred(QWidget* control, double top, double width, double height);
  void MovePicture6();
  void MoveLabel3();
  void SetInterval(int milliseconds);

  void RisePicture6();
  void SlidePicture6();
  void SendTilde();

  double tickScale_;
  int splashStep_ = 0;
  Place picture6_{};
  double label3Left_ = 0;
  std::optional<LayoutUnits> units_;

  QLabel* label1_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* label4_ = nullptr;
  QWidget* line1_ = nullptr;
  QLabel* picture_[11] = {};  // Picture1 .. Picture10; slot 0 unused
  QPushButton* command1_ = nullptr;
  QTimer* timer1_ = nullptr;
};

// Shows the splash screen modally; returns when it has closed.
void ShowSplashScreen(Program& program);

}  // namespace telvo
