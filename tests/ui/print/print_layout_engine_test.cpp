#include "ui/print/print_layout_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "store/phone_log.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

// Every byte is 1/16 inch wide and every line 1/4 inch high: both exact in
// binary, so the page arithmetic below is exact too.
constexpr double kCharWidth = 0.0625;
constexpr double kLineHeight = 0.25;

// What a canvas received: one "x,y text" entry per draw, with [b], [u] or
// [s] for bold, underline and strikethrough, and "pN:" in front past page 1.
struct Printout {
  std::vector<std::string> drawn;
  int pages = 1;
  bool ended = false;
};

class RecordingCanvas : public PrintCanvas {
 public:
  explicit RecordingCanvas(Printout* out) : out_(out) {}
  double TextWidth(std::string_view text) override { return kCharWidth * double(text.size()); }
  double TextHeight(std::string_view) override { return kLineHeight; }
  void SetX(double x) override { x_ = x; }
  double Y() override { return y_; }
  void SetBold(bool on) override { bold_ = on; }
  void SetUnderline(bool on) override { underline_ = on; }
  void SetStrikethrough(bool on) override { strike_ = on; }
  void Draw(std::string_view text) override {
    char at[32];
    std::snprintf(at, sizeof at, "%g,%g ", x_, y_);
    std::string page = out_->pages > 1 ? "p" + std::to_string(out_->pages) + ":" : "";
    out_->drawn.push_back(page + at + std::string(text) + (bold_ ? "[b]" : "") +
                          (underline_ ? "[u]" : "") + (strike_ ? "[s]" : ""));
    x_ += TextWidth(text);
  }
  void EndLine() override { x_ = 0, y_ += kLineHeight; }
  void NewPage() override { ++out_->pages, x_ = 0, y_ = 0; }
  void EndDocument() override { out_->ended = true; }

 private:
  Printout* out_;
  double x_ = 0, y_ = 0;
  bool bold_ = false, underline_ = false, strike_ = false;
};

std::string Body(char mark, const std::string& date, const std::string& caller,
                 const std::string& phone = "", const std::string& message = "Hi (CW)",
                 const std::string& time = "9:05 AM") {
  return std::string(1, mark) + date + "\x11" + caller + "\x11" + time + "\x11" + phone + "\x11" +
         message + "\x11";
}

class PrintLayoutTest : public ProgramTest {
 protected:
  PrintLayoutTest() {
    SetPeople({"Ann"});
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
  }

  // Oldest first, as the file holds them.
  void WriteLog(const std::vector<std::string>& bodies) {
    std::string bytes;
    for (const std::string& body : bodies) bytes += FrameRecord(body);
    WriteWholeFile(LogFile(0), bytes);
  }

  void Print(std::optional<PrintRange> range, Program& job) {
    PrintJobWindows windows;
    windows.AskPrintRange = [&] { return range; };
    windows.StartPrinter = [&] {
      ++printersStarted;
      return std::make_unique<RecordingCanvas>(&out);
    };
    windows.SetHourglass = [&](bool busy) { hourglass.push_back(busy); };
    PrintCalls(job, windows);
  }
  void Print(std::optional<PrintRange> range) { Print(std::move(range), program); }

  // The texts drawn in the time column, which hold each printed call's time.
  std::vector<std::string> TimesPrinted() const {
    std::vector<std::string> times;
    for (const std::string& d : out.drawn)
      if (d.rfind("0,", 0) == 0 && d.find('-') == std::string::npos)
        times.push_back(d.substr(d.find(' ') + 1));
    return times;
  }

  Printout out;
  int printersStarted = 0;
  std::vector<bool> hourglass;
};

TEST_F(PrintLayoutTest, BreakLines) {
  Printout unused;
  RecordingCanvas canvas(&unused);
  using Lines = std::vector<std::string>;
  // The phone column holds 20 characters: a word of exactly that width stays
  // whole, a wider one is cut between characters.
  EXPECT_EQ(BreakLines(canvas, "12345678901234567890", 1.25), Lines{"12345678901234567890"});
  EXPECT_EQ(BreakLines(canvas, "ABCDEFGHIJKLMNOPQRSTUVWXY", 1.25),
            (Lines{"ABCDEFGHIJKLMNOPQRST", "UVWXY"}));
  EXPECT_EQ(BreakLines(canvas, "Call me back about it", 1.25), (Lines{"Call me back about", "it"}));
  // The first blank of a cut is dropped; the blanks after it stay.
  EXPECT_EQ(BreakLines(canvas, std::string(19, 'a') + "   bbb", 1.25),
            (Lines{std::string(19, 'a'), "  bbb"}));
  // A CR LF starts a new line, and the words around it keep their blank when
  // the line was also cut at one.
  EXPECT_EQ(BreakLines(canvas, "Call back\r\nafter lunch", 3.1),
            (Lines{"Call back", "after lunch"}));
  EXPECT_EQ(BreakLines(canvas, "one two\r\nthree four five six", 1.25),
            (Lines{"one two", "three four five six"}));
  EXPECT_EQ(BreakLines(canvas, "A\r\n\r\nB", 3.1), (Lines{"A", "", "B"}));
  EXPECT_EQ(BreakLines(canvas, "", 2.1), Lines{""});
  // Beyond 31 lines the text is dropped.
  std::string words;
  for (char c = 'a'; c <= 'z'; ++c) words += std::string(19, c) + ' ';
  for (char c = 'A'; c <= 'J'; ++c) words += std::string(19, c) + ' ';
  Lines lines = BreakLines(canvas, words, 1.25);
  ASSERT_EQ(lines.size(), kMaxPrintLines);
  EXPECT_EQ(lines.back(), std::string(19, 'E'));
  // A character wider than the column still moves on, one to a line.
  EXPECT_EQ(BreakLines(canvas, "abc", 0.05), (Lines{"a", "b", "c"}));
}

TEST_F(PrintLayoutTest, ColumnsDateLinesAndStylesByMark) {
  const std::string longCaller(40, 'C');
  WriteLog({
      Body(MARK_NEW, "02-30-1999", "Invalid day"),
      Body(MARK_ARCHIVE, "01-05-1999", "Old", "", "Hi (CW)", "8:00 AM"),
      Body('\x09', "not a date", "Skipped"),
      Body(' ', "01-04-1999", "Sue", "555",
           "Please call back tomorrow morning about the invoice (CW)"),
      Body(MARK_DELETE, "01-05-1999", longCaller, "", "Hi (CW)", "10:00 AM"),
      Body(MARK_IMPORTANT, "01-05-1999", "Joe", "555-1234", "Call back (CW)"),
  });
  Print(PrintRange{true, "", ""});
  EXPECT_TRUE(out.ended);
  // One printed row to a line.
  // clang-format off
  EXPECT_EQ(out.drawn, (std::vector<std::string>{
      // Newest first; the date line is bold only, whatever the mark.
      "0,0 01-05-1999[b]",
      "0,0.25 9:05 AM[u]", "1,0.25 Joe[u]", "3.25,0.25 555-1234[u]", "4.75,0.25 Call back (CW)[u]",
      // Same date: no date line. A long caller takes a second row.
      "0,1 10:00 AM[s]", "1,1 " + std::string(33, 'C') + "[s]", "3.25,1 [s]", "4.75,1 Hi (CW)[s]",
      "1,1.25 " + std::string(7, 'C') + "[s]",
      // A blank mark is plain; the message goes on alone.
      "0,2 01-04-1999[b]",
      "0,2.25 9:05 AM", "1,2.25 Sue", "3.25,2.25 555",
      "4.75,2.25 Please call back tomorrow morning about the",
      "4.75,2.5 invoice (CW)",
      // A date printed before gets its line again after another one.
      "0,3.25 01-05-1999[b]",
      "0,3.5 8:00 AM[s]", "1,3.5 Old[s]", "3.25,3.5 [s]", "4.75,3.5 Hi (CW)[s]",
  }));
  // clang-format on
}

TEST_F(PrintLayoutTest, PagesEndAtTenInches) {
  RecordingCanvas canvas(&out);
  PrintJob job;
  job.PrintLineHeight = kLineHeight;
  auto print = [&](const std::string& caller, const std::string& time, int calls = 1,
                   const std::string& date = "01-05-1999") {
    for (state.RecordText = Body(MARK_NEW, date, caller, "", "Hi (CW)", time); calls--;)
      PrintCall(state, canvas, job);
  };
  auto printed = [&](const std::string& text) {
    return std::find(out.drawn.begin(), out.drawn.end(), text) != out.drawn.end();
  };
  // A one-row call takes 0.75 inch, the first 1.0 with its date line: after
  // twelve the next call begins at 9.25. Two rows plus one reach exactly 10.0
  // and stay on the page.
  print("Joe", "9:05 AM", 12);
  print(std::string(40, 'C'), "Two");
  print("Joe", "Next");
  // Twelve more leave the next call at 9.75: its one row would fit, its row
  // plus one does not.
  print("Joe", "9:05 AM", 12);
  print("Joe", "Last");
  print("Other", "Other", 1, "01-04-1999");
  EXPECT_EQ(out.pages, 3);
  EXPECT_TRUE(printed("0,9.25 Two"));
  // A new page does not repeat the date line; a changed date gets one.
  EXPECT_TRUE(printed("p2:0,0 Next"));
  EXPECT_TRUE(printed("p3:0,0 Last"));
  EXPECT_TRUE(printed("p3:0,0.75 01-04-1999[b]"));

  // A call taller than a page starts on the page it finds empty.
  out = {};
  RecordingCanvas fresh(&out);
  PrintJob tall;
  tall.PrintLineHeight = 6.0;
  state.RecordText = Body(MARK_NEW, "01-05-1999", "Joe");
  PrintCall(state, fresh, tall);
  EXPECT_EQ(out.pages, 1);
}

TEST_F(PrintLayoutTest, DateRangeIsInclusiveAndMonthFirst) {
  WriteLog({
      Body('\x09', "12-30-1998", "Dec30", "", "Hi (CW)", "Dec30"),  // no mark: plain
      Body(MARK_NEW, "12-31-1998", "Dec31", "", "Hi (CW)", "Dec31"),
      Body(MARK_DELETE, "01-01-1999", "Jan1", "", "Hi (CW)", "Jan1"),
      Body(MARK_NEW, "01-05-1999", "Jan5", "", "Hi (CW)", "Jan5"),
      Body(MARK_NEW, "01-06-1999", "Jan6", "", "Hi (CW)", "Jan6"),
  });
  using Times = std::vector<std::string>;
  auto printed = [&](PrintRange range) {
    out = {};
    Print(range);
    return TimesPrinted();
  };
  EXPECT_EQ(printed({false, "12/31/98", "1-5-1999"}), (Times{"Jan5", "Jan1[s]", "Dec31"}));
  EXPECT_EQ(printed({false, "01-05-1999", "12-31-1998"}), (Times{"Jan5", "Jan1[s]", "Dec31"}));
  EXPECT_EQ(printed({false, "01-01-1999", "01-01-1999"}), (Times{"Jan1[s]"}));
  EXPECT_EQ(printed({false, "02-01-1999", "02-28-1999"}), Times{});
  EXPECT_TRUE(out.ended);  // an empty listing is still a document
  EXPECT_EQ(printed({true, "junk", ""}), (Times{"Jan6", "Jan5", "Jan1[s]", "Dec31", "Dec30"}));
  EXPECT_TRUE(boxes.shown().empty());

  // A box that does not hold a date refuses the job before anything opens.
  printersStarted = 0;
  Print(PrintRange{false, "13-01-1999", "01-05-1999"});
  Print(PrintRange{false, "01-05-1999", "02-30-1999"});
  EXPECT_EQ(printersStarted, 0);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0], (MessageBox{"Telvo ", "Invalid Beginning Date", BoxIcon::kStop}));
  EXPECT_EQ(boxes.shown()[1].text, "Invalid Ending Date");
}

// Notes whether the log could be locked at the moment each box was shown.
class LockProbingBoxes : public ScriptedMessageBoxes {
 public:
  LockProbingBoxes(Env& env, std::string path) : env_(env), path_(std::move(path)) {}
  int Show(const MessageBox& box) override {
    std::unique_ptr<File> file;
    logFree.push_back(env_.OpenFile(path_, FileAccess::kRead, &file).ok());
    return ScriptedMessageBoxes::Show(box);
  }
  std::vector<bool> logFree;

 private:
  Env& env_;
  std::string path_;
};

TEST_F(PrintLayoutTest, JobOpensTheLogOnlyToPrintAndClosesItBeforeAnyMessage) {
  // Cancel: no printer, no file, no pointer change.
  Print(std::nullopt);
  EXPECT_EQ(printersStarted, 0);
  EXPECT_FALSE(env.FileExists(state.CurrentLogPath));
  EXPECT_TRUE(hourglass.empty());

  // A log held elsewhere: the open's own message, and no document.
  WriteLog({Body(MARK_NEW, "01-05-1999", "Joe")});
  {
    std::unique_ptr<File> held;
    ASSERT_TRUE(posix.OpenFile(state.CurrentLogPath, FileAccess::kUpdate, &held).ok());
    Print(PrintRange{true, "", ""});
  }
  EXPECT_EQ(boxes.last(), (MessageBox{"Ann", "Message file is locked up", BoxIcon::kStop}));
  EXPECT_FALSE(out.ended);
  EXPECT_EQ(hourglass, (std::vector<bool>{true, false}));

  // A log that fails to be read, and one that may be written but not read.
  faults.ResetCounts();
  faults.FailNth(FileOp::kRead, 2, kDeviceIoError);  // the first read after the probe
  Print(PrintRange{true, "", ""});
  EXPECT_EQ(boxes.last().text, "Unknown Error  57");
  EXPECT_TRUE(out.ended);
  out = {};
  faults.FailNth(FileOp::kRead, 3, kPathFileAccessError);  // the next job's probe
  Print(PrintRange{true, "", ""});
  EXPECT_EQ(boxes.last(),
            (MessageBox{"Ann", "Insufficient file permissions to view calls", BoxIcon::kStop}));
  EXPECT_FALSE(out.ended);
  EXPECT_EQ(hourglass, (std::vector<bool>{true, false, true, false, true, false}));

  // Damage below the newest call: that call is printed, the document sent,
  // and the damage reported once the log is free again.
  WriteWholeFile(LogFile(0), "garbage12" + FrameRecord(Body(MARK_NEW, "01-05-1999", "Joe")));
  LockProbingBoxes probe(env, state.CurrentLogPath);
  Program job{env, probe};
  job.state = state;
  Print(PrintRange{true, "", ""}, job);
  EXPECT_TRUE(out.ended);
  EXPECT_EQ(out.drawn[2], "1,0.25 Joe");
  ASSERT_EQ(probe.shown().size(), 1u);
  EXPECT_EQ(probe.last().caption, "Ann");
  EXPECT_NE(probe.last().text.find("byte 7."), std::string::npos);
  EXPECT_EQ(probe.logFree, std::vector<bool>{true});
}

}  // namespace
}  // namespace telvo::test
