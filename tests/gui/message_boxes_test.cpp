#include "ui/common/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/gui_support.h"

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

  // Escape answers No.
  WhenModalShows([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(boxes.Show({"Telvo", "Sure?", BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo}),
            kAnswerNo);
}

}  // namespace
}  // namespace telvo::test
