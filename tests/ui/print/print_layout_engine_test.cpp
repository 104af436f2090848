#include "ui/print/print_layout_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "store/phone_log.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

struct Printout { std::vector<std::string> drawn; int pages = 1, started = 0; bool ended = false; };

// Every byte is 1/16 inch wide and every line 1/4 inch high: both exact in
// binary, so the page arithmetic below is exact too. Each draw is noted as
// "x,y text", with [b], [u] or [s] for the styles and "pN:" in front past page 1.
struct RecordingCanvas : PrintCanvas {
  explicit RecordingCanvas(Printout& out) : out(out) { ++out.started; }
  double TextWidth(std::string_view text) override { return 0.0625 * double(text.size()); }
  double TextHeight(std::string_view) override { return 0.25; }
  void SetX(double left) override { x = left; }
  double Y() override { return y; }
  void SetBold(bool on) override { style[0] = on ? "[b]" : ""; }
  void SetUnderline(bool on) override { style[1] = on ? "[u]" : ""; }
  void SetStrikethrough(bool on) override { style[2] = on ? "[s]" : ""; }
  void Draw(std::string_view text) override {
    char at[32];
    std::snprintf(at, sizeof at, "%g,%g ", x, y);
    out.drawn.push_back((out.pages > 1 ? "p" + std::to_string(out.pages) + ":" : "") + at +
                        std::string(text) + style[0] + style[1] + style[2]);
    x += TextWidth(text);
  }
  void EndLine() override { x = 0, y += 0.25; }
  void NewPage() override { ++out.pages, x = 0, y = 0; }
  void EndDocument() override { out.ended = true; }

  Printout& out;
  double x = 0, y = 0;
  std::string style[3];
};

std::string Body(char mark, const std::string& date, const std::string& caller,
                 std::string time = "9:05 AM", std::string phone = "", std::string message = "Hi") {
  return std::string(1, mark) + date + "\x11" + caller + "\x11" + time + "\x11" + phone + "\x11" +
         message + "\x11";
}

struct PrintLayoutTest : ProgramTest {
  PrintLayoutTest() {
    SetPeople({"Ann"});
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
  }

  // A job with `range` in the dialog, drawn into `out` anew. Returns the time
  // column, which holds each printed call's time and style.
  std::vector<std::string> Print(std::optional<PrintRange> range, Program* job = nullptr) {
    out.drawn.clear(), out.pages = 1, out.ended = false;
    PrintJobWindows windows;
    windows.AskPrintRange = [&] { return range; };
    windows.StartPrinter = [&] { return std::make_unique<RecordingCanvas>(out); };
    PrintCalls(job ? *job : program, windows);
    std::vector<std::string> times;
    for (const std::string& d : out.drawn)
      if (d.rfind("0,", 0) == 0 && d.find('-') == std::string::npos)
        times.push_back(d.substr(d.find(' ') + 1));
    return times;
  }

  Printout out;
};

TEST_F(PrintLayoutTest, BreakLines) {
  RecordingCanvas canvas(out);
  using Lines = std::vector<std::string>;
  // Half an inch holds 8 characters: a word that wide stays whole, a wider one
  // is cut; a cut at blanks drops only the first of them.
  EXPECT_EQ(BreakLines(canvas, "12345678", 0.5), Lines{"12345678"});
  EXPECT_EQ(BreakLines(canvas, "123456789AB", 0.5), (Lines{"12345678", "9AB"}));
  EXPECT_EQ(BreakLines(canvas, "aaaaaaa   bbb", 0.5), (Lines{"aaaaaaa", "  bbb"}));
  // A CR LF starts a new line, and the words around it keep their blank when
  // the line was also cut at one.
  EXPECT_EQ(BreakLines(canvas, "one two\r\nthree four five six", 1.25),
            (Lines{"one two", "three four five six"}));
  EXPECT_EQ(BreakLines(canvas, "", 2.1), Lines{""});
  // A character wider than the column moves on, one to a line; after 31 lines the rest is dropped.
  EXPECT_EQ(BreakLines(canvas, std::string(40, 'a'), 0.05), Lines(31, "a"));
}

TEST_F(PrintLayoutTest, DateLinesStylesByMarkAndTheChosenDates) {
  // A box that does not hold a date refuses the job before anything opens.
  Print(PrintRange{false, "13-01-1999", "01-05-1999"});
  Print(PrintRange{false, "01-05-1999", "02-30-1999"});
  EXPECT_EQ(out.started, 0);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0], (MessageBox{"Telvo ", "Invalid Beginning Date", BoxIcon::kStop}));
  EXPECT_EQ(boxes.shown()[1].text, "Invalid Ending Date");

  std::string log;
  for (const std::string& body : {
           Body(MARK_ARCHIVE, "12-31-1998", "Old", "8:00 AM"),
           Body(MARK_NEW, "02-30-1999", "Invalid day"),
           Body('\x09', "not a date", "Skipped"),
           Body(' ', "01-04-1999", "Sue", "9:05 AM", "555",
                "Please call back tomorrow morning about the invoice"),
           Body(MARK_DELETE, "01-05-1999", std::string(40, 'C'), "10:00 AM"),
           Body(MARK_IMPORTANT, "01-05-1999", "Joe", "9:05 AM", "555-1234", "Call back")})
    log += FrameRecord(body);
  WriteWholeFile(LogFile(0), log);
  Print(PrintRange{true, "", ""});
  EXPECT_EQ(out.drawn, (std::vector<std::string>{
      // Newest first; the date line is bold only, whatever the mark.
      "0,0 01-05-1999[b]",
      "0,0.25 9:05 AM[u]", "1,0.25 Joe[u]", "3.25,0.25 555-1234[u]", "4.75,0.25 Call back[u]",
      // Same date: no date line. A long caller takes a second row.
      "0,1 10:00 AM[s]", "1,1 " + std::string(33, 'C') + "[s]", "3.25,1 [s]", "4.75,1 Hi[s]",
      "1,1.25 " + std::string(7, 'C') + "[s]",
      // A blank mark is plain; the message goes on alone. Records whose
      // date is not a date are left out.
      "0,2 01-04-1999[b]", "0,2.25 9:05 AM", "1,2.25 Sue", "3.25,2.25 555",
      "4.75,2.25 Please call back tomorrow morning about the", "4.75,2.5 invoice",
      "0,3.25 12-31-1998[b]", "0,3.5 8:00 AM[s]", "1,3.5 Old[s]", "3.25,3.5 [s]", "4.75,3.5 Hi[s]",
  }));

  // A range holds both its days, read month first, whichever box has the earlier.
  using Times = std::vector<std::string>;
  EXPECT_EQ(Print(PrintRange{false, "1-4-1999", "12/31/98"}), (Times{"9:05 AM", "8:00 AM[s]"}));
  EXPECT_EQ(Print(PrintRange{false, "02-28-1999", "01-06-1999"}), Times{});
  EXPECT_TRUE(out.ended);  // an empty listing is still a document
  EXPECT_EQ(boxes.shown().size(), 2u);
}

TEST_F(PrintLayoutTest, PagesEndAtTenInches) {
  RecordingCanvas canvas(out);
  PrintJob job;
  job.PrintLineHeight = canvas.TextHeight("T");
  auto print = [&](const std::string& caller, const std::string& time, int calls = 1,
                   const std::string& date = "01-05-1999") {
    for (state.RecordText = Body(MARK_NEW, date, caller, time); calls--;)
      PrintCall(state, canvas, job);
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
  // A call taller than a page starts on the page it finds empty.
  canvas.NewPage();
  job.PrintLineHeight = 6.0;
  print("Tall", "Tall");
  EXPECT_EQ(out.pages, 4);
  // A new page repeats no date line; a changed date, or one printed before, gets one.
  for (const char* entry : {"0,9.25 Two", "p2:0,0 Next", "p3:0,0 Last", "p3:0,0.75 01-04-1999[b]",
                            "p4:0,0 01-05-1999[b]", "p4:0,0.25 Tall"})
    EXPECT_NE(std::find(out.drawn.begin(), out.drawn.end(), entry), out.drawn.end()) << entry;
}

// Runs `probe` as each box is shown.
struct ProbingBoxes : ScriptedMessageBoxes {
  int Show(const MessageBox& box) override { probe(); return ScriptedMessageBoxes::Show(box); }
  std::function<void()> probe;
};

TEST_F(PrintLayoutTest, DamagedLogPrintsTheNewerCallsThenReportsWithTheLogClosed) {
  WriteWholeFile(LogFile(0), "garbage12" + FrameRecord(Body(MARK_NEW, "01-05-1999", "Joe")));
  ProbingBoxes probing;
  std::vector<bool> logFree;  // at each box
  probing.probe = [&] {
    std::unique_ptr<File> file;
    logFree.push_back(env.OpenFile(state.CurrentLogPath, FileAccess::kRead, &file).ok());
  };
  Program job{env, probing};
  job.state = state;
  EXPECT_EQ(Print(PrintRange{true, "", ""}, &job), std::vector<std::string>{"9:05 AM"});
  EXPECT_TRUE(out.ended);
  ASSERT_EQ(logFree, std::vector<bool>{true});
  EXPECT_NE(probing.last().text.find("damaged at byte 7."), std::string::npos);
}

}  // namespace
}  // namespace telvo::test
