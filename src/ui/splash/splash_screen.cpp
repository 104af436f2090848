#include "ui/splash/splash_screen.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "ui/common/fonts.h"
#include "ui/common/qt_text.h"
#include "ui/splash/rights_notice.h"
#include "ui/splash/splash_pictures.h"

namespace telvo {
namespace {

// The window is laid out on a grid 100 units across and 120 down.
constexpr double kAcross = 100;
constexpr double kDown = 120;

constexpr double kPictureWidth = 12;
constexpr double kPictureHeight = 14;
constexpr double kLineTop = 35;            // top of both ends of the line
constexpr double kLeftEnd = 10;            // Picture5's left
constexpr double kRightEnd = 90 - kPictureWidth;  // Picture3's left
constexpr double kLineY = kLineTop + kPictureHeight / 2;
constexpr double kLowerRowTop = 55;
constexpr double kTildeAboveLine = 2.3;

constexpr double kDisclaimerWidth = 84;
constexpr double kDisclaimerRoom = 28;  // from its top at 75 to the button at 105

constexpr int kPauseMs = 500;
constexpr int kFastMs = 1;
constexpr int kLingerMs = 5000;

const char kDisclaimer[] =
    "There is no warranty or claim of fitness or reliability. "
    "The program is distributed AS IS, and as such the author shall not be held liable "
    "for any loss of data, down time, loss of revenue or any other direct or indirect "
    "damage or claims caused by this program.";

QLabel* MakeLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

SplashScreen::SplashScreen(QWidget* parent, double tickScale)
    : QDialog(parent), tickScale_(tickScale) {
  Form_Load();
}

void SplashScreen::Form_Load() {
  setObjectName(QStringLiteral("Form6"));
  setWindowTitle(QStringLiteral("Telvo"));
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor(0xfa, 0xfb, 0xfd));
  setPalette(background);
  setAutoFillBackground(true);
  SizeAndCentre(this, 0.5, 0.75);
  units_.emplace(*this, kAcross, kDown);
  MakeLabels();
  MakeLineAndPictures();
  MakeButton();
  DrawPictures();
  PlaceControls();

  splashStep_ = 0;
  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  connect(timer1_, &QTimer::timeout, this, &SplashScreen::Timer1_Timer);
  SetInterval(kPauseMs);
  timer1_->start();
}

void SplashScreen::MakeLabels() {
  label1_ = MakeLabel(this, "Label1");
  label1_->setText(QStringLiteral("Telvo"));
  QFont title = MsSansSerif(18);
  title.setBold(true);
  label1_->setFont(title);
  QPalette blue = label1_->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  label1_->setPalette(blue);

  label2_ = MakeLabel(this, "Label2");
  label2_->setText(ToQt(kRightsNotice));
  label3_ = MakeLabel(this, "Label3");
  label3_->setText(QStringLiteral("~"));
  QFont tilde = MsSansSerif(18);
  tilde.setBold(true);
  label3_->setFont(tilde);
  label3_->setPalette(blue);
  label3_->hide();
  label4_ = MakeLabel(this, "Label4");
  label4_->setText(QString::fromLatin1(kDisclaimer));
  label4_->setWordWrap(true);
  label4_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void SplashScreen::MakeLineAndPictures() {
  line1_ = new QWidget(this);
  line1_->setObjectName(QStringLiteral("Line1"));
  line1_->setAutoFillBackground(true);
  QPalette ink = line1_->palette();
  ink.setColor(QPalette::Window, QColor(0x20, 0x2a, 0x44));
  line1_->setPalette(ink);

  for (int i = 1; i <= 10; ++i) {
    picture_[i] = MakeLabel(this, "");
    picture_[i]->setObjectName(QStringLiteral("Picture%1").arg(i));
    picture_[i]->setScaledContents(true);
  }
  // Image stores: their images are copied into the pictures that are seen.
  for (int store : {1, 2, 4, 7, 10}) picture_[store]->hide();
  picture_[6]->hide();  // until the animation lifts the slip off the pad
}

void SplashScreen::MakeButton() {
  command1_ = new QPushButton(QStringLiteral("Start Telvo"), this);
  command1_->setObjectName(QStringLiteral("Command1"));
  command1_->setFont(MsSansSerif(9.75));
  connect(command1_, &QPushButton::clicked, this, &QDialog::accept);
}

void SplashScreen::DrawPictures() {
  const QSize size(static_cast<int>(kPictureWidth / units_->UnitsAcross(1)),
                   static_cast<int>(kPictureHeight / units_->UnitsDown(1)));
  picture_[1]->setPixmap(DrawTelephone(size, true));
  picture_[2]->setPixmap(DrawMessagePad(size, true));
  picture_[3]->setPixmap(DrawTelephone(size, false));
  picture_[4]->setPixmap(DrawMessageSlip(size));
  picture_[5]->setPixmap(DrawTelephone(size, false));
  picture_[7]->setPixmap(DrawMessagePad(size, false));
  picture_[10]->setPixmap(DrawPencil(size));
  picture_[8]->setPixmap(picture_[7]->pixmap());
  picture_[9]->setPixmap(picture_[10]->pixmap());
}

void SplashScreen::PlaceControls() {
  const auto widthOf = [this](QWidget* w) { return units_->UnitsAcross(w->sizeHint().width()); };
  const auto heightOf = [this](QWidget* w) { return units_->UnitsDown(w->sizeHint().height()); };

  PlaceCentred(label1_, 5, widthOf(label1_), heightOf(label1_));

  // The notice and the disclaimer share the largest size of the ladder, up
  // to 12 points, at which the disclaimer fits above the button.
  const int pixelWidth = static_cast<int>(kDisclaimerWidth / units_->UnitsAcross(1));
  for (double points : kFontLadder) {
    if (points > 12) continue;
    label4_->setFont(MsSansSerif(points));
    if (units_->UnitsDown(label4_->heightForWidth(pixelWidth)) <= kDisclaimerRoom) break;
  }
  label2_->setFont(label4_->font());
  PlaceCentred(label2_, 20, widthOf(label2_), heightOf(label2_));
  PlaceCentred(label4_, 75, kDisclaimerWidth, kDisclaimerRoom);

  units_->PlaceControl(picture_[5], kLineTop, kLeftEnd, kPictureWidth, kPictureHeight);
  units_->PlaceControl(picture_[3], kLineTop, kRightEnd, kPictureWidth, kPictureHeight);
  const double thickness = units_->UnitsDown(2);
  units_->PlaceControl(line1_, kLineY - thickness / 2, kLeftEnd + kPictureWidth,
                       kRightEnd - kLeftEnd - kPictureWidth, thickness);
  units_->PlaceControl(picture_[8], kLowerRowTop, 10, kPictureWidth, kPictureHeight);
  units_->PlaceControl(picture_[9], kLowerRowTop, 25, kPictureWidth, kPictureHeight);
  label3Left_ = kLeftEnd + kPictureWidth;
  MoveLabel3();

  PlaceCentred(command1_, 105, std::max(30.0, widthOf(command1_) + 6), 9);
}

void SplashScreen::PlaceCentred(QWidget* control, double top, double width, double height) {
  units_->PlaceControl(control, top, (kAcross - width) / 2, width, height);
}

void SplashScreen::MovePicture6() {
  units_->PlaceControl(picture_[6], picture6_.top, picture6_.left, kPictureWidth,
                       kPictureHeight);
}

void SplashScreen::MoveLabel3() {
  units_->PlaceControl(label3_, kLineY - kTildeAboveLine, label3Left_,
                       units_->UnitsAcross(label3_->sizeHint().width()),
                       units_->UnitsDown(label3_->sizeHint().height()));
}

void SplashScreen::SetInterval(int milliseconds) {
  timer1_->setInterval(std::max(1, static_cast<int>(milliseconds * tickScale_)));
}

void SplashScreen::Timer1_Timer() {
  switch (splashStep_) {
    case 0:
    case 1:
      ++splashStep_;
      break;
    case 2:
      picture_[8]->setPixmap(picture_[2]->pixmap());
      ++splashStep_;
      break;
    case 3:
      picture_[6]->setPixmap(picture_[4]->pixmap());
      picture6_ = {kLowerRowTop, 10};
      MovePicture6();
      picture_[6]->show();
      picture_[6]->raise();  // it leaves over the pad, not behind it
      picture_[8]->setPixmap(picture_[7]->pixmap());
      SetInterval(kFastMs);
      ++splashStep_;
      break;
    case 4:
      RisePicture6();
      break;
    case 5:
      SlidePicture6();
      break;
    case 6:
      SendTilde();
      break;
    default:
      done(QDialog::Accepted);
      break;
  }
}

void SplashScreen::RisePicture6() {
  const bool wasAbove = picture6_.top < kLineTop;
  picture6_.top -= 4;
  MovePicture6();
  if (wasAbove) ++splashStep_;
}

void SplashScreen::SlidePicture6() {
  if (picture6_.left > kLeftEnd) {
    picture_[6]->hide();
    label3_->show();
    ++splashStep_;
    return;
  }
  picture6_.left += 4;
  MovePicture6();
}

void SplashScreen::SendTilde() {
  label3Left_ += 10;
  MoveLabel3();
  if (label3Left_ <= kRightEnd) return;
  label3_->hide();
  picture_[3]->setPixmap(picture_[1]->pixmap());
  SetInterval(kLingerMs);
  ++splashStep_;
}

// However the splash closes, its animation stops with it.
void SplashScreen::done(int result) {
  timer1_->stop();
  QDialog::done(result);
}

void ShowSplashScreen(Program&) {
  SplashScreen splash;
  splash.exec();
}

}  // namespace telvo
