#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/gui_support.h"
#include "ui/common/qt_message_boxes.h"

namespace telvo::test {
namespace {

TEST(QtMessageBoxesTest, TextsFromFilesAreShownAsTheyAre) {
  QtMessageBoxes boxes;
  QString shownText;
  Qt::TextFormat format = Qt::AutoText;
  WhenModalShows([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    shownText = box->text();
    format = box->textFormat();
    box->button(QMessageBox::Yes)->click();
  });
  // A caller's name that looks like markup, and the program's line break.
  const int answer = boxes.Show({"Ann", "<b>Joe</b> <img src=x>\rDeliver?", BoxIcon::kQuestion,
                                 BoxButtons::kYesNo, kAnswerNo});
  EXPECT_EQ(answer, kAnswerYes);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(shownText, QStringLiteral("<b>Joe</b> <img src=x>\nDeliver?"));

  // Neither Escape nor the close box answers a question: only its buttons do.
  bool stillShown = false;
  WhenModalShows([&](QWidget* modal) {
    QTest::keyClick(modal, Qt::Key_Escape);
    modal->close();
    stillShown = modal->isVisible();
    qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(boxes.Show({"Telvo", "Sure?", BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}),
            kAnswerYes);
  EXPECT_TRUE(stillShown);
  // A box with OK alone still closes with Escape.
  WhenModalShows([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(boxes.Show({"Telvo", "Done.", BoxIcon::kInformation, BoxButtons::kOk, kAnswerOk}),
            kAnswerOk);
}

}  // namespace
}  // namespace telvo::test
