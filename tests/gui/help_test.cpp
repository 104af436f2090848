#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QScrollBar>
#include <QTextBlock>

#include "gui/gui_support.h"
#include "ui/help/help_window.h"

namespace telvo::test {
namespace {

HelpWindow* OpenHelp() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* help = qobject_cast<HelpWindow*>(window); help && help->isVisible()) return help;
  return nullptr;
}

// The text of the first line in view.
QString TopLine(HelpWindow* help) { return help->cursorForPosition(QPoint(4, 4)).block().text(); }

TEST(HelpWindowTest, OpensAtTheIntroductionAndFindsEachSection) {
  ShowHelp(nullptr);
  HelpWindow* help = OpenHelp();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->objectName(), QStringLiteral("helpWindow"));
  EXPECT_EQ(TopLine(help), QStringLiteral("Telvo"));
  EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Telvo Popup")));

  // The one window moves to another section, and back.
  ShowHelp(nullptr, QStringLiteral("Options"));
  EXPECT_EQ(OpenHelp(), help);
  EXPECT_GT(help->verticalScrollBar()->value(), 0);
  EXPECT_EQ(TopLine(help), QStringLiteral("Options"));
  ShowHelp(nullptr, QStringLiteral("Introduction"));
  EXPECT_EQ(TopLine(help), QStringLiteral("Telvo"));
  help->close();
}

TEST(HelpWindowTest, HelpFromAModalWindowBelongsToItSoItCanBeRead) {
  QDialog options;
  HelpWindow* help = nullptr;
  WhenModalShows([&](QWidget* modal) {
    ShowHelp(modal);
    help = Find<HelpWindow>(modal);
    if (help) {
      EXPECT_TRUE(help->isWindow() && help->isVisible());
    }
    modal->close();
  });
  options.exec();
  EXPECT_NE(help, nullptr);
}

}  // namespace
}  // namespace telvo::test
