#include "ui/splash/splash_screen.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "gui/gui_support.h"

namespace telvo::test {
namespace {

qint64 ImageOf(QWidget* splash, const char* picture) {
  return Find<QLabel>(splash, picture)->pixmap().cacheKey();
}

// Ticks until the step changes; returns how many ticks that took.
int TicksThroughStep(SplashScreen& splash) {
  const int step = splash.SplashStep();
  int ticks = 0;
  while (splash.SplashStep() == step && ticks < 100) {
    splash.Timer1_Timer();
    ++ticks;
  }
  return ticks;
}

TEST(SplashScreenTest, KeepsItsGridAndTexts) {
  SplashScreen splash;
  // The line joins its two end pictures, whatever the screen's size.
  auto* leftEnd = Find<QLabel>(&splash, "Picture5");
  auto* rightEnd = Find<QLabel>(&splash, "Picture3");
  auto* line = Find<QWidget>(&splash, "Line1");
  EXPECT_NEAR(line->x(), leftEnd->geometry().right() + 1, 1);
  EXPECT_NEAR(line->geometry().right() + 1, rightEnd->x(), 1);
  EXPECT_NEAR(line->geometry().center().y(), leftEnd->geometry().center().y(), 1);

  auto* start = Find<QPushButton>(&splash, "Command1");
  auto* title = Find<QLabel>(&splash, "Label1");
  EXPECT_TRUE(title->font().bold());
  EXPECT_NEAR(start->x() + start->width() / 2.0, splash.width() / 2.0, 1);
  EXPECT_NEAR(title->x() + title->width() / 2.0, splash.width() / 2.0, 1);
  EXPECT_EQ(
      (QStringList{start->text(), title->text(), Find<QLabel>(&splash, "Label4")->text().left(40)}),
      (QStringList{"Start Telvo", "Telvo", "There is no warranty or claim of fitness"}));
}

TEST(SplashScreenTest, PlaysTheMessageAlongTheLineAndClosesFiveSecondsLater) {
  SplashScreen splash;
  splash.show();
  QTimer* timer = splash.Timer1();
  EXPECT_EQ(timer->interval(), 500);
  const qint64 blankPad = ImageOf(&splash, "Picture7");
  EXPECT_EQ(ImageOf(&splash, "Picture8"), blankPad);
  auto* slip = Find<QLabel>(&splash, "Picture6");
  auto* tilde = Find<QLabel>(&splash, "Label3");
  EXPECT_FALSE(tilde->isVisible());

  // A pause of two ticks, then the pad is written on.
  splash.Timer1_Timer();
  splash.Timer1_Timer();
  EXPECT_EQ(ImageOf(&splash, "Picture8"), blankPad);
  splash.Timer1_Timer();
  EXPECT_EQ(ImageOf(&splash, "Picture8"), ImageOf(&splash, "Picture2"));

  // The slip leaves the pad, which is blank again, and the clock runs fast.
  splash.Timer1_Timer();
  EXPECT_TRUE(slip->isVisible());
  EXPECT_EQ(slip->pixmap().cacheKey(), ImageOf(&splash, "Picture4"));
  EXPECT_EQ(slip->pos(), Find<QLabel>(&splash, "Picture8")->pos());
  EXPECT_EQ(ImageOf(&splash, "Picture8"), blankPad);
  EXPECT_EQ(timer->interval(), 1);

  // Up by 4 units a tick from 55 until it has passed 35: seven ticks.
  EXPECT_EQ(TicksThroughStep(splash), 7);
  EXPECT_LT(slip->y(), Find<QLabel>(&splash, "Picture5")->y());
  // One step to the right, then it turns into the "~" on the line.
  EXPECT_EQ(TicksThroughStep(splash), 2);
  EXPECT_FALSE(slip->isVisible());
  EXPECT_TRUE(tilde->isVisible());
  // Along the line 10 units a tick from 22 until past 78.
  EXPECT_EQ(TicksThroughStep(splash), 6);
  EXPECT_FALSE(tilde->isVisible());
  EXPECT_EQ(ImageOf(&splash, "Picture3"), ImageOf(&splash, "Picture1"));
  EXPECT_EQ(timer->interval(), 5000);
  EXPECT_TRUE(splash.isVisible());

  splash.Timer1_Timer();
  EXPECT_FALSE(splash.isVisible());
  EXPECT_EQ(splash.result(), QDialog::Accepted);
  EXPECT_FALSE(timer->isActive());
}

TEST(SplashScreenTest, ClosesByItselfWhenShownModally) {
  // Intervals at a hundredth: a blink. Were it not to close, the guard rejects it.
  SplashScreen splash(nullptr, 0.01);
  QTimer::singleShot(3000, &splash, &QDialog::reject);
  EXPECT_EQ(splash.exec(), QDialog::Accepted);
  EXPECT_EQ(splash.SplashStep(), 7);
}

TEST(SplashScreenTest, StartTelvoClosesItAtOnceAndStopsTheAnimation) {
  SplashScreen splash;
  int stepWhenClicked = -1;
  WhenModalShows([&](QWidget* modal) {
    for (int tick = 0; tick < 6; ++tick) splash.Timer1_Timer();
    stepWhenClicked = splash.SplashStep();
    Find<QPushButton>(modal, "Command1")->click();
  });
  EXPECT_EQ(splash.exec(), QDialog::Accepted);
  EXPECT_EQ(stepWhenClicked, 4);
  EXPECT_FALSE(splash.Timer1()->isActive());
}

}  // namespace
}  // namespace telvo::test
