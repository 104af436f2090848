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
  // The steps of the animation, in order: what the next tick does.
  enum Step : int {
    kFirstPause,
    kSecondPause,
    kWritePad,   // the pad is written on
    kLiftSlip,   // the slip leaves the pad, and the clock runs fast
    kRaiseSlip,  // up to the line, a few units a tick
    kSlideSlip,  // one move right, then the slip becomes the "~" on the line
    kSendTilde,  // the "~" runs along the line; the far telephone rings
    kClose,      // after the linger
  };

  // `tickScale` multiplies every timer interval, so a test can watch a whole
  // showing in a fraction of the time; the program uses 1.
  explicit SplashScreen(QWidget* parent = nullptr, double tickScale = 1.0);

  // The step the next tick of the animation timer performs.
  int SplashStep() const { return splashStep_; }
  QTimer* AnimationTimer() const { return animationTimer_; }

  // One tick of the animation clock.
  void onAnimationTick();

  void done(int result) override;

 private:
  struct Place {
    double top;
    double left;
  };

  void Load();
  void MakeLabels();
  void MakeLineAndPictures();
  void MakeButton();
  void DrawPictures();
  void PlaceControls();
  void PlaceCentred(QWidget* control, double top, double width, double height);
  void MoveSlip();
  void MoveTilde();
  void SetInterval(int milliseconds);

  void RaiseSlip();
  void SlideSlip();
  void SendTilde();

  double tickScale_;
  int splashStep_ = kFirstPause;
  Place slipPlace_{};
  double tildeLeft_ = 0;
  std::optional<LayoutUnits> units_;

  QLabel* titleLabel_ = nullptr;
  QLabel* rightsNoticeLabel_ = nullptr;
  QLabel* tildeLabel_ = nullptr;
  QLabel* disclaimerLabel_ = nullptr;
  QWidget* telephoneLine_ = nullptr;
  // The pictures that are seen.
  QLabel* leftPhonePicture_ = nullptr;
  QLabel* rightPhonePicture_ = nullptr;
  QLabel* slipPicture_ = nullptr;
  QLabel* padPicture_ = nullptr;
  QLabel* pencilPicture_ = nullptr;
  // Hidden image stores: their images are copied into the pictures that are seen.
  QLabel* ringingPhoneImage_ = nullptr;
  QLabel* writtenPadImage_ = nullptr;
  QLabel* slipImage_ = nullptr;
  QLabel* blankPadImage_ = nullptr;
  QLabel* pencilImage_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QTimer* animationTimer_ = nullptr;
};

// Shows the splash screen modally; returns when it has closed.
void ShowSplashScreen(Program& program);

}  // namespace telvo
