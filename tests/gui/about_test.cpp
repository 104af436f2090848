#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "gui/gui_support.h"
#include "support/program_fixture.h"
#include "ui/about/about_box.h"
#include "ui/common/qt_message_boxes.h"

namespace telvo::test {
namespace {

class AboutBoxTest : public ProgramTest {};

TEST_F(AboutBoxTest, APersonSeesTheSignAndOneEmptyLineAndOnlyOk) {
  QtMessageBoxes real;
  Program shown(env, real);
  QString title, text;
  bool plain = false;
  int buttons = 0;
  WhenModalShows([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {  // closed all the same, so the test fails instead of hanging
      ADD_FAILURE() << "not a message box";
      modal->close();
      return;
    }
    title = box->windowTitle();
    text = box->text();
    plain = box->icon() == QMessageBox::NoIcon;
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  ShowAboutBox(shown, nullptr);
  // Compared as UTF-8, so a failure prints readable text.
  EXPECT_EQ(title.toStdString(), "About  Telvo\u00A9");
  EXPECT_EQ(text.toStdString(),
            "Telvo Version 1.4.5\n\n"
            "Copyright \u00A9 2026 the Telvo developers. All rights reserved.");
  EXPECT_TRUE(plain);
  EXPECT_EQ(buttons, 1);
}

}  // namespace
}  // namespace telvo::test
