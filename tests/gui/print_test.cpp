#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "gui/gui_support.h"
#include "store/folder_store.h"
#include "support/program_fixture.h"
#include "support/records.h"
#include "ui/common/windows_colour.h"
#include "ui/print/print_job.h"
#include "ui/print/print_range_dialog.h"

namespace telvo::test {
namespace {

// The dialog's background and the inside of its date boxes.
constexpr int32_t kPaleYellow = 0x0080FFFF;

class PrintTest : public ProgramTest {
 protected:
  PrintTest() {
    SetPeople({"Ann", "Bob"});
    state.viewed.person = 1;
    state.viewed.book = FolderBook("Bob", workgroup.at(1).log);
  }

  PrintRangeDialog& Open() {
    dialog = std::make_unique<PrintRangeDialog>(program);
    dialog->show();
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QApplication::processEvents();
    return *dialog;
  }
  template <typename Control>
  Control* Get(const char* name) {
    return Find<Control>(dialog.get(), name);
  }
  QLineEdit* Box(const char* name) { return Get<QLineEdit>(name); }
  // Types into the box that has the focus, replacing what is selected.
  void Type(const char* name, const char* text) {
    QLineEdit* box = Box(name);
    box->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    box->selectAll();
    QTest::keyClicks(box, QString::fromLatin1(text));
  }
  void Tab() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QApplication::processEvents();
  }
  std::string FocusName() {
    QApplication::processEvents();
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName().toStdString() : "";
  }

  // Prints Bob's log into a PDF in the temporary folder, answering the range
  // dialog with `answer`; returns the PDF's text, pages split by form feeds.
  std::string PrintToPdf(std::function<void(QWidget*)> answer) {
    const std::string pdf = temp.file("calls.pdf");
    std::filesystem::remove(pdf);
    WhenModalShows(std::move(answer));
    RunPrintJobToFile(program, nullptr, QString::fromStdString(pdf));
    if (!std::filesystem::exists(pdf)) return "(no file)";
    std::string text;
    FILE* out = popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r");
    if (!out) return "(no pdftotext)";
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, out)) > 0;) text.append(chunk, n);
    pclose(out);
    return text;
  }

  std::unique_ptr<PrintRangeDialog> dialog;
};

// Sets the dialog's range and presses Print.
std::function<void(QWidget*)> PrintRange(const char* begin, const char* end) {
  return [=](QWidget* modal) {
    Find<QLineEdit>(modal, "beginningDateEdit")->setText(QString::fromLatin1(begin));
    Find<QLineEdit>(modal, "endingDateEdit")->setText(QString::fromLatin1(end));
    Find<QPushButton>(modal, "printButton")->click();
  };
}

TEST_F(PrintTest, DialogStartsAtTodayAndGreysTheDatesForAllDates) {
  env.SetNow({2026, 3, 9, 14, 30, 0});
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Print Calls for Bob");
  EXPECT_EQ(Box("beginningDateEdit")->text(), "03-09-2026");
  EXPECT_EQ(Box("endingDateEdit")->text(), "03-09-2026");
  EXPECT_FALSE(Get<QCheckBox>("printAllCheck")->isChecked());
  EXPECT_EQ(FocusName(), "beginningDateEdit");

  // "Print All Dates" greys both dates and their labels; the texts stay.
  Get<QCheckBox>("printAllCheck")->click();
  for (const char* name :
       {"beginningDateEdit", "endingDateEdit", "beginningDateLabel", "endingDateLabel"})
    EXPECT_FALSE(Get<QWidget>(name)->isEnabled()) << name;
  Get<QCheckBox>("printAllCheck")->click();
  EXPECT_TRUE(Box("beginningDateEdit")->isEnabled());
  EXPECT_EQ(Box("beginningDateEdit")->text(), "03-09-2026");
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PrintTest, LeavingABoxRewritesItsDateOrRefusesAndKeepsTheFocus) {
  Open();
  Type("beginningDateEdit", "2/3/1999");
  Tab();
  EXPECT_EQ(Box("beginningDateEdit")->text(), "02-03-1999");
  EXPECT_EQ(FocusName(), "endingDateEdit");

  Type("endingDateEdit", "13-45-1999");
  Tab();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.last().text, "Invalid Ending Date");
  EXPECT_EQ(boxes.last().caption, "Telvo ");
  EXPECT_EQ(Box("endingDateEdit")->text(), "13-45-1999");
  EXPECT_EQ(FocusName(), "endingDateEdit");
}

// The dates were checked only when a box lost the focus, and a click on
// Print does not take it: Print checks both again.
TEST_F(PrintTest, PrintRefusesABoxThatHoldsNoDateAndSwapsReversedDates) {
  Open();
  Type("endingDateEdit", "12-31-1998");
  Tab();  // the ending date left with a date; the focus is on "Print All Dates"
  Box("beginningDateEdit")->setText("soon");
  Get<QPushButton>("printButton")->click();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.last().text, "Invalid Beginning Date");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(FocusName(), "beginningDateEdit");

  // Reversed dates are exchanged, compared as dates, not as texts.
  Box("beginningDateEdit")->setText("1/5/99");
  Get<QPushButton>("printButton")->click();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  const telvo::PrintRange range = dialog->Range();
  EXPECT_EQ(range.beginDate, "12-31-1998");
  EXPECT_EQ(range.endDate, "01-05-1999");
  EXPECT_EQ(boxes.shown().size(), 1u);

  // Escape and the close box are Cancel, whatever the boxes hold.
  WhenModalShows([](QWidget* modal) {
    Find<QLineEdit>(modal, "beginningDateEdit")->setText("soon");
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_FALSE(AskPrintRange(program, nullptr));
  WhenModalShows([](QWidget* modal) { modal->close(); });
  EXPECT_FALSE(AskPrintRange(program, nullptr));
  EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(PrintTest, PrintsTheRangeNewestFirstUnderDateLinesIntoAPdf) {
  std::string log;
  for (auto [date, caller] : {std::pair{"06-01-2026", "Old Olga"},
                              {"06-02-2026", "First Fay"},
                              {"06-02-2026", "Second Sam"},
                              {"06-03-2026", "Third Tom"},
                              {"06-04-2026", "New Ned"}})
    log += CallRecord(TestCall{.date = date, .caller = caller});
  WriteWholeFile(LogFile(1), log);

  const std::string text = PrintToPdf(PrintRange("06-03-2026", "6/2/26"));
  const size_t tom = text.find("Third Tom"), sam = text.find("Second Sam"),
               fay = text.find("First Fay");
  ASSERT_NE(fay, std::string::npos) << text;
  EXPECT_LT(text.find("06-03-2026"), tom);
  EXPECT_LT(tom, text.find("06-02-2026"));
  EXPECT_LT(text.find("06-02-2026"), sam);
  EXPECT_LT(sam, fay);
  EXPECT_EQ(text.find("06-02-2026", text.find("06-02-2026") + 1), std::string::npos)
      << "one date line for two calls of a day";
  EXPECT_NE(text.find("555-0100"), std::string::npos);
  EXPECT_NE(text.find("call back (CW)"), std::string::npos);
  EXPECT_EQ(text.find("Old Olga"), std::string::npos);
  EXPECT_EQ(text.find("New Ned"), std::string::npos);
  EXPECT_EQ(text.find('\f', 0), text.rfind('\f')) << "one page";

  // Cancel prints nothing; no box either way.
  EXPECT_EQ(PrintToPdf([](QWidget* modal) { Find<QPushButton>(modal, "cancelButton")->click(); }),
            "(no file)");
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PrintTest, ALongLogContinuesOnFurtherPages) {
  std::string log;
  for (int i = 1; i <= 60; ++i)
    log += CallRecord(TestCall{.caller = "Caller " + std::to_string(i)});
  WriteWholeFile(LogFile(1), log);

  const std::string text = PrintToPdf([](QWidget* modal) {
    Find<QCheckBox>(modal, "printAllCheck")->click();
    Find<QPushButton>(modal, "printButton")->click();
  });
  const size_t secondPage = text.find('\f');
  ASSERT_NE(secondPage, std::string::npos) << text;
  EXPECT_LT(text.find("Caller 60"), secondPage);
  EXPECT_GT(text.find("Caller 1\n"), secondPage);
  EXPECT_EQ(text.find("12-06-2026", secondPage), std::string::npos)
      << "a new page does not repeat the date line";
  for (int i = 1; i <= 60; ++i)
    EXPECT_NE(text.find("Caller " + std::to_string(i) + " "), std::string::npos) << i;
}

TEST_F(PrintTest, APrinterThatCannotPrintIsReportedAndLeavesNoHourglass) {
  WriteWholeFile(LogFile(1), CallRecord(TestCall{}));
  WhenModalShows(PrintRange("12-06-2026", "12-06-2026"));
  RunPrintJobToFile(program, nullptr, QString::fromStdString(temp.file("gone/calls.pdf")));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.last().caption, "Telvo");
  EXPECT_EQ(boxes.last().icon, BoxIcon::kStop);
  EXPECT_TRUE(boxes.last().text.starts_with("The printer ")) << boxes.last().text;
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PrintPdfPath, NamesTheOwnerAndDateAndNeverReusesAFile) {
  const QString folder = QDir::tempPath() + QStringLiteral("/telvo-print-path-test");
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  const QString first =
      UnusedPdfPath(folder, QStringLiteral("Cy/Di"), QStringLiteral("06-12-2026"));
  EXPECT_EQ(first, folder + QStringLiteral("/Telvo calls Cy-Di 06-12-2026.pdf"));
  QFile(first).open(QIODevice::WriteOnly);
  EXPECT_EQ(UnusedPdfPath(folder, QStringLiteral("Cy/Di"), QStringLiteral("06-12-2026")),
            folder + QStringLiteral("/Telvo calls Cy-Di 06-12-2026 (2).pdf"));
  QDir(folder).removeRecursively();
}

}  // namespace
}  // namespace telvo::test
