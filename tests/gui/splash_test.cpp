#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "gui/gui_support.h"
#include "ui/splash/splash_screen.h"

namespace telvo::test {
namespace {

// The animation clock's intervals: a pause, a fast run, the linger before closing.
constexpr int kPauseMs = 500;
constexpr int kFastMs = 1;
constexpr int kLingerMs = 5000;

qint64 ImageOf(QWidget* splash, const char* picture) {
  return Find<QLabel>(splash, picture)->pixmap().cacheKey();
}

// Ticks until the step changes; returns how many ticks that took.
int TicksThroughStep(SplashScreen& splash) {
  const int step = splash.SplashStep();
  int ticks = 0;
  while (splash.SplashStep() == step && ticks < 100) {
    splash.onAnimationTick();
    ++ticks;
  }
  return ticks;
}

TEST(SplashScreenTest, PlaysTheMessageAlongTheLineAndClosesFiveSecondsLater) {
  SplashScreen splash;
  splash.show();
  QTimer* timer = splash.AnimationTimer();
  EXPECT_EQ(timer->interval(), kPauseMs);
  const qint64 blankPad = ImageOf(&splash, "blankPadImage");
  EXPECT_EQ(ImageOf(&splash, "padPicture"), blankPad);
  auto* slip = Find<QLabel>(&splash, "slipPicture");
  auto* tilde = Find<QLabel>(&splash, "tildeLabel");
  EXPECT_FALSE(tilde->isVisible());

  // A pause of two ticks, then the pad is written on.
  splash.onAnimationTick();
  splash.onAnimationTick();
  EXPECT_EQ(ImageOf(&splash, "padPicture"), blankPad);
  splash.onAnimationTick();
  EXPECT_EQ(ImageOf(&splash, "padPicture"), ImageOf(&splash, "writtenPadImage"));

  // The slip leaves the pad, which is blank again, and the clock runs fast.
  splash.onAnimationTick();
  EXPECT_TRUE(slip->isVisible());
  EXPECT_EQ(slip->pixmap().cacheKey(), ImageOf(&splash, "slipImage"));
  EXPECT_EQ(slip->pos(), Find<QLabel>(&splash, "padPicture")->pos());
  EXPECT_EQ(ImageOf(&splash, "padPicture"), blankPad);
  EXPECT_EQ(timer->interval(), kFastMs);

  // Up by 4 units a tick from 55 until it has passed 35: seven ticks.
  EXPECT_EQ(TicksThroughStep(splash), 7);
  EXPECT_LT(slip->y(), Find<QLabel>(&splash, "leftPhonePicture")->y());
  // One step to the right, then it turns into the "~" on the line.
  EXPECT_EQ(TicksThroughStep(splash), 2);
  EXPECT_FALSE(slip->isVisible());
  EXPECT_TRUE(tilde->isVisible());
  // Along the line 10 units a tick from 22 until past 78.
  EXPECT_EQ(TicksThroughStep(splash), 6);
  EXPECT_FALSE(tilde->isVisible());
  EXPECT_EQ(ImageOf(&splash, "rightPhonePicture"), ImageOf(&splash, "ringingPhoneImage"));
  EXPECT_EQ(timer->interval(), kLingerMs);
  EXPECT_TRUE(splash.isVisible());

  splash.onAnimationTick();
  EXPECT_FALSE(splash.isVisible());
  EXPECT_EQ(splash.result(), QDialog::Accepted);
  EXPECT_FALSE(timer->isActive());
}

TEST(SplashScreenTest, ClosesByItselfWhenShownModally) {
  // Intervals at a hundredth: a blink. Were it not to close, the guard rejects it.
  SplashScreen splash(nullptr, 0.01);
  QTimer::singleShot(3000, &splash, &QDialog::reject);
  EXPECT_EQ(splash.exec(), QDialog::Accepted);
  EXPECT_EQ(splash.SplashStep(), SplashScreen::kClose);
}

TEST(SplashScreenTest, StartTelvoClosesItAtOnceAndStopsTheAnimation) {
  SplashScreen splash;
  int stepWhenClicked = -1;
  WhenModalShows([&](QWidget* modal) {
    for (int tick = 0; tick < 6; ++tick) splash.onAnimationTick();
    stepWhenClicked = splash.SplashStep();
    Find<QPushButton>(modal, "startButton")->click();
  });
  EXPECT_EQ(splash.exec(), QDialog::Accepted);
  EXPECT_EQ(stepWhenClicked, SplashScreen::kRaiseSlip);
  EXPECT_FALSE(splash.AnimationTimer()->isActive());
}

}  // namespace
}  // namespace telvo::test
