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
constexpr double kLineTop = 35;                   // top of both ends of the line
constexpr double kLeftEnd = 10;                   // the left telephone's left
constexpr double kRightEnd = 90 - kPictureWidth;  // the right telephone's left
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
  Load();
}

void SplashScreen::Load() {
  setObjectName(QStringLiteral("splashScreen"));
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

  splashStep_ = kFirstPause;
  animationTimer_ = new QTimer(this);
  animationTimer_->setObjectName(QStringLiteral("animationTimer"));
  connect(animationTimer_, &QTimer::timeout, this, &SplashScreen::onAnimationTick);
  SetInterval(kPauseMs);
  animationTimer_->start();
}

void SplashScreen::MakeLabels() {
  titleLabel_ = MakeLabel(this, "titleLabel");
  titleLabel_->setText(QStringLiteral("Telvo"));
  QFont title = MsSansSerif(18);
  title.setBold(true);
  titleLabel_->setFont(title);
  QPalette blue = titleLabel_->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  titleLabel_->setPalette(blue);

  rightsNoticeLabel_ = MakeLabel(this, "rightsNoticeLabel");
  rightsNoticeLabel_->setText(ToQt(kRightsNotice));
  tildeLabel_ = MakeLabel(this, "tildeLabel");
  tildeLabel_->setText(QStringLiteral("~"));
  QFont tilde = MsSansSerif(18);
  tilde.setBold(true);
  tildeLabel_->setFont(tilde);
  tildeLabel_->setPalette(blue);
  tildeLabel_->hide();
  disclaimerLabel_ = MakeLabel(this, "disclaimerLabel");
  disclaimerLabel_->setText(QString::fromLatin1(kDisclaimer));
  disclaimerLabel_->setWordWrap(true);
  disclaimerLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void SplashScreen::MakeLineAndPictures() {
  telephoneLine_ = new QWidget(this);
  telephoneLine_->setObjectName(QStringLiteral("telephoneLine"));
  telephoneLine_->setAutoFillBackground(true);
  QPalette ink = telephoneLine_->palette();
  ink.setColor(QPalette::Window, QColor(0x20, 0x2a, 0x44));
  telephoneLine_->setPalette(ink);

  // Made in this order, each above the ones before it.
  const auto picture = [this](const char* name) {
    QLabel* made = MakeLabel(this, name);
    made->setScaledContents(true);
    return made;
  };
  ringingPhoneImage_ = picture("ringingPhoneImage");
  writtenPadImage_ = picture("writtenPadImage");
  rightPhonePicture_ = picture("rightPhonePicture");
  slipImage_ = picture("slipImage");
  leftPhonePicture_ = picture("leftPhonePicture");
  slipPicture_ = picture("slipPicture");
  blankPadImage_ = picture("blankPadImage");
  padPicture_ = picture("padPicture");
  pencilPicture_ = picture("pencilPicture");
  pencilImage_ = picture("pencilImage");
  for (QLabel* store :
       {ringingPhoneImage_, writtenPadImage_, slipImage_, blankPadImage_, pencilImage_})
    store->hide();
  slipPicture_->hide();  // until the animation lifts the slip off the pad
}

void SplashScreen::MakeButton() {
  startButton_ = new QPushButton(QStringLiteral("Start Telvo"), this);
  startButton_->setObjectName(QStringLiteral("startButton"));
  startButton_->setFont(MsSansSerif(9.75));
  connect(startButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void SplashScreen::DrawPictures() {
  const QSize size(static_cast<int>(kPictureWidth / units_->UnitsAcross(1)),
                   static_cast<int>(kPictureHeight / units_->UnitsDown(1)));
  ringingPhoneImage_->setPixmap(DrawTelephone(size, true));
  writtenPadImage_->setPixmap(DrawMessagePad(size, true));
  rightPhonePicture_->setPixmap(DrawTelephone(size, false));
  slipImage_->setPixmap(DrawMessageSlip(size));
  leftPhonePicture_->setPixmap(DrawTelephone(size, false));
  blankPadImage_->setPixmap(DrawMessagePad(size, false));
  pencilImage_->setPixmap(DrawPencil(size));
  padPicture_->setPixmap(blankPadImage_->pixmap());
  pencilPicture_->setPixmap(pencilImage_->pixmap());
}

void SplashScreen::PlaceControls() {
  const auto widthOf = [this](QWidget* w) { return units_->UnitsAcross(w->sizeHint().width()); };
  const auto heightOf = [this](QWidget* w) { return units_->UnitsDown(w->sizeHint().height()); };

  PlaceCentred(titleLabel_, 5, widthOf(titleLabel_), heightOf(titleLabel_));

  // The notice and the disclaimer share the largest size of the ladder, up
  // to 12 points, at which the disclaimer fits above the button.
  const int pixelWidth = static_cast<int>(kDisclaimerWidth / units_->UnitsAcross(1));
  for (double points : kFontLadder) {
    if (points > 12) continue;
    disclaimerLabel_->setFont(MsSansSerif(points));
    if (units_->UnitsDown(disclaimerLabel_->heightForWidth(pixelWidth)) <= kDisclaimerRoom) break;
  }
  rightsNoticeLabel_->setFont(disclaimerLabel_->font());
  PlaceCentred(rightsNoticeLabel_, 20, widthOf(rightsNoticeLabel_), heightOf(rightsNoticeLabel_));
  PlaceCentred(disclaimerLabel_, 75, kDisclaimerWidth, kDisclaimerRoom);

  units_->PlaceControl(leftPhonePicture_, kLineTop, kLeftEnd, kPictureWidth, kPictureHeight);
  units_->PlaceControl(rightPhonePicture_, kLineTop, kRightEnd, kPictureWidth, kPictureHeight);
  const double thickness = units_->UnitsDown(2);
  units_->PlaceControl(telephoneLine_, kLineY - thickness / 2, kLeftEnd + kPictureWidth,
                       kRightEnd - kLeftEnd - kPictureWidth, thickness);
  units_->PlaceControl(padPicture_, kLowerRowTop, 10, kPictureWidth, kPictureHeight);
  units_->PlaceControl(pencilPicture_, kLowerRowTop, 25, kPictureWidth, kPictureHeight);
  tildeLeft_ = kLeftEnd + kPictureWidth;
  MoveTilde();

  PlaceCentred(startButton_, 105, std::max(30.0, widthOf(startButton_) + 6), 9);
}

void SplashScreen::PlaceCentred(QWidget* control, double top, double width, double height) {
  units_->PlaceControl(control, top, (kAcross - width) / 2, width, height);
}

void SplashScreen::MoveSlip() {
  units_->PlaceControl(slipPicture_, slipPlace_.top, slipPlace_.left, kPictureWidth,
                       kPictureHeight);
}

void SplashScreen::MoveTilde() {
  units_->PlaceControl(tildeLabel_, kLineY - kTildeAboveLine, tildeLeft_,
                       units_->UnitsAcross(tildeLabel_->sizeHint().width()),
                       units_->UnitsDown(tildeLabel_->sizeHint().height()));
}

void SplashScreen::SetInterval(int milliseconds) {
  animationTimer_->setInterval(std::max(1, static_cast<int>(milliseconds * tickScale_)));
}

void SplashScreen::onAnimationTick() {
  switch (splashStep_) {
    case kFirstPause:
    case kSecondPause:
      ++splashStep_;
      break;
    case kWritePad:
      padPicture_->setPixmap(writtenPadImage_->pixmap());
      ++splashStep_;
      break;
    case kLiftSlip:
      slipPicture_->setPixmap(slipImage_->pixmap());
      slipPlace_ = {kLowerRowTop, 10};
      MoveSlip();
      slipPicture_->show();
      slipPicture_->raise();  // it leaves over the pad, not behind it
      padPicture_->setPixmap(blankPadImage_->pixmap());
      SetInterval(kFastMs);
      ++splashStep_;
      break;
    case kRaiseSlip:
      RaiseSlip();
      break;
    case kSlideSlip:
      SlideSlip();
      break;
    case kSendTilde:
      SendTilde();
      break;
    default:
      done(QDialog::Accepted);
      break;
  }
}

void SplashScreen::RaiseSlip() {
  const bool wasAbove = slipPlace_.top < kLineTop;
  slipPlace_.top -= 4;
  MoveSlip();
  if (wasAbove) ++splashStep_;
}

void SplashScreen::SlideSlip() {
  if (slipPlace_.left > kLeftEnd) {
    slipPicture_->hide();
    tildeLabel_->show();
    ++splashStep_;
    return;
  }
  slipPlace_.left += 4;
  MoveSlip();
}

void SplashScreen::SendTilde() {
  tildeLeft_ += 10;
  MoveTilde();
  if (tildeLeft_ <= kRightEnd) return;
  tildeLabel_->hide();
  rightPhonePicture_->setPixmap(ringingPhoneImage_->pixmap());
  SetInterval(kLingerMs);
  ++splashStep_;
}

// However the splash closes, its animation stops with it.
void SplashScreen::done(int result) {
  animationTimer_->stop();
  QDialog::done(result);
}

void ShowSplashScreen(Program&) {
  SplashScreen splash;
  splash.exec();
}

}  // namespace telvo
