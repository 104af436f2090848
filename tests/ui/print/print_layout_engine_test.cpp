#include "ui/print/print_layout_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

using Lines = std::vector<std::string>;

// Every byte is 1/16 inch wide and every line 1/4 inch high, both exact in
// binary. Each draw is noted as "x,y text" with [b], [u] or [s] for the styles
// and "pN:" in front past page 1, and the end of the document as "end".
struct RecordingCanvas : PrintCanvas {
  explicit RecordingCanvas(Lines& into) : drawn(into) {}
  double TextWidth(std::string_view text) override { return 0.0625 * double(text.size()); }
  double TextHeight(std::string_view) override { return 0.25; }
  void SetX(double left) override { x = left; }
  double Y() override { return y; }
  void SetBold(bool on) override { style[0] = on ? "[b]" : ""; }
  void SetUnderline(bool on) override { style[1] = on ? "[u]" : ""; }
  void SetStrikethrough(bool on) override { style[2] = on ? "[s]" : ""; }
  void Draw(std::string_view text) override {
    char at[48];
    std::snprintf(at, sizeof at, "p%d:%g,%g ", page, x, y);
    drawn.push_back((page > 1 ? at : at + 3) + std::string(text) + style[0] + style[1] + style[2]);
    x += TextWidth(text);
  }
  void EndLine() override { x = 0, y += 0.25; }
  void NewPage() override { ++page, x = 0, y = 0; }
  void EndDocument() override { drawn.push_back("end"); }

  Lines& drawn;
  double x = 0, y = 0;
  int page = 1;
  std::string style[3];
};

std::string Body(char mark, std::string date, std::string caller, std::string time = "9:05 AM",
                 std::string phone = "", std::string message = "Hi") {
  return CallBody({mark, date, caller, time, phone, message});
}

// The fixture answers the job's boxes, noting at each whether the job had let go of the log.
struct PrintLayoutTest : ProgramTest, ScriptedMessageBoxes {
  PrintLayoutTest() {
    SetPeople({"Ann"});
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
  }
  int Show(const MessageBox& box) override {
    std::unique_ptr<File> file;
    logFree.push_back(env.OpenFile(state.viewed.book.file(), FileAccess::kRead, &file).ok());
    return ScriptedMessageBoxes::Show(box);
  }

  // A job with `range` in the dialog, drawn anew. Returns the time column:
  // the date lines and each printed call's time, with their styles.
  Lines Print(std::optional<PrintRange> range) {
    drawn.clear();
    printing.state = state;
    printing.settings = settings;
    printing.workgroup = workgroup;
    printing.store = &store;
    PrintCalls(printing, {[&] { return range; },
                          [&] {
                            ++started;
                            return std::make_unique<RecordingCanvas>(drawn);
                          },
                          {}});
    Lines times;
    for (const std::string& d : drawn)
      if (d.starts_with("0,")) times.push_back(d.substr(d.find(' ') + 1));
    return times;
  }

  Lines drawn;
  int started = 0;            // documents begun
  std::vector<bool> logFree;  // at each box
  Program printing{env, *this};
};

TEST_F(PrintLayoutTest, DateLinesStylesByMarkAndTheChosenDates) {
  // A box that does not hold a date refuses the job before anything opens.
  Print(PrintRange{false, "13-01-1999", "01-05-1999"});
  Print(PrintRange{false, "01-05-1999", "02-30-1999"});
  EXPECT_EQ(started, 0);
  EXPECT_EQ(shown(), (std::vector<MessageBox>{{"Telvo ", "Invalid Beginning Date", BoxIcon::kStop},
                                              {"Telvo ", "Invalid Ending Date", BoxIcon::kStop}}));

  std::string log;
  for (const std::string& body :
       {Body(MARK_ARCHIVE, "12-31-1998", "Old", "8:00 AM"),
        Body(MARK_NEW, "02-30-1999", "Invalid day"), Body('\x09', "not a date", "Skipped"),
        Body(' ', "01-04-1999", "Sue", "9:05 AM", "555",
             "Please call back tomorrow morning about the invoice"),
        Body(MARK_DELETE, "01-05-1999", std::string(40, 'C'), "10:00 AM"),
        Body(MARK_IMPORTANT, "01-05-1999", "Joe", "9:05 AM", "555-1234", "Call back")})
    log += FrameRecord(body);
  WriteWholeFile(LogFile(0), log);
  Print(PrintRange{true, "", ""});
  // Newest first, a bold date line wherever the date changes, the style by
  // mark; a long caller or message goes on in rows of its own. Records whose
  // date is not a date are left out.
  EXPECT_EQ(drawn, (Lines{"0,0 01-05-1999[b]",
                          "0,0.25 9:05 AM[u]",
                          "1,0.25 Joe[u]",
                          "3.25,0.25 555-1234[u]",
                          "4.75,0.25 Call back[u]",
                          "0,1 10:00 AM[s]",
                          "1,1 " + std::string(33, 'C') + "[s]",
                          "3.25,1 [s]",
                          "4.75,1 Hi[s]",
                          "1,1.25 " + std::string(7, 'C') + "[s]",
                          "0,2 01-04-1999[b]",
                          "0,2.25 9:05 AM",
                          "1,2.25 Sue",
                          "3.25,2.25 555",
                          "4.75,2.25 Please call back tomorrow morning about the",
                          "4.75,2.5 invoice",
                          "0,3.25 12-31-1998[b]",
                          "0,3.5 8:00 AM[s]",
                          "1,3.5 Old[s]",
                          "3.25,3.5 [s]",
                          "4.75,3.5 Hi[s]",
                          "end"}));

  // A range holds both its days, read month first, whichever box has the earlier.
  EXPECT_EQ(Print(PrintRange{false, "1-4-1999", "12/31/98"}),
            (Lines{"01-04-1999[b]", "9:05 AM", "12-31-1998[b]", "8:00 AM[s]"}));
  EXPECT_EQ(Print(PrintRange{false, "02-28-1999", "01-06-1999"}), Lines{});
  EXPECT_EQ(drawn, Lines{"end"});  // an empty listing is still a document
  EXPECT_EQ(shown().size(), 2u);
}

TEST_F(PrintLayoutTest, PagesEndAtTenInches) {
  RecordingCanvas canvas(drawn);
  PrintJob job{{}, canvas.TextHeight("T"), ""};
  // A one-row call takes 0.75 inch, the first 1.0 with its date line: after twelve, "Two" begins
  // at 9.25 and its two rows plus one reach exactly 10.0, on the page. Twelve more leave "Last" at
  // 9.75: its one row would fit, its row plus one does not.
  struct Calls {
    int count;
    std::string time, caller = "Joe", date = "01-05-1999";
  };
  for (Calls c : {Calls{12, "9:05 AM"},
                  {1, "Two", std::string(40, 'C')},
                  {1, "Next"},
                  {12, "9:05 AM"},
                  {1, "Last"},
                  {1, "Other", "Other", "01-04-1999"}})
    for (const std::string body = Body(MARK_NEW, c.date, c.caller, c.time); c.count--;)
      PrintCall(body, canvas, job);
  // A call taller than a page goes to a new one and stays there.
  job.PrintLineHeight = 6.0;
  PrintCall(Body(MARK_NEW, "01-05-1999", "Joe", "Tall"), canvas, job);
  // The time column but for the calls at 9:05: a new page repeats no date line, a new date has one.
  Lines times;
  for (const std::string& d : drawn)
    if ((d.starts_with("0,") || d.find(":0,") == 2) && !d.ends_with("9:05 AM")) times.push_back(d);
  EXPECT_EQ(times, (Lines{"0,0 01-05-1999[b]", "0,9.25 Two", "p2:0,0 Next", "p3:0,0 Last",
                          "p3:0,0.75 01-04-1999[b]", "p3:0,1 Other", "p4:0,0 01-05-1999[b]",
                          "p4:0,0.25 Tall"}));
}

TEST_F(PrintLayoutTest, DamagedLogPrintsTheNewerCallsThenReportsWithTheLogClosed) {
  WriteWholeFile(LogFile(0), "garbage12" + FrameRecord(Body(MARK_NEW, "01-05-1999", "Joe")));
  EXPECT_EQ(Print(PrintRange{true, "", ""}), (Lines{"01-05-1999[b]", "9:05 AM"}));
  EXPECT_EQ(drawn.back(), "end");
  ASSERT_EQ(logFree, std::vector<bool>{true});
  EXPECT_NE(last().text.find("damaged at byte 7."), std::string::npos);

  // A log that may be written but not read: nothing is printed.
  faults.FailNth(FileOp::kRead, faults.count(FileOp::kRead) + 1, kPathFileAccessError);
  EXPECT_EQ(Print(PrintRange{true, "", ""}), Lines{});
  EXPECT_EQ(last(),
            (MessageBox{"Ann", "Insufficient file permissions to view calls", BoxIcon::kStop}));
}

}  // namespace
}  // namespace telvo::test
