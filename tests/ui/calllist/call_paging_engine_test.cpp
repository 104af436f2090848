#include "ui/calllist/call_paging_engine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "store/phone_log.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

// Every character is one unit wide; a text drawn where one was drawn before
// replaces it, as the window does when a row is redrawn.
class RecordingCanvas : public CallCanvas {
 public:
  struct Text {
    double x, y;
    std::string text;
    int color;
  };

  void Clear() override {
    texts.clear();
    icons.clear();
  }
  double TextWidth(std::string_view text) override { return static_cast<double>(text.size()); }
  double LineHeight() override { return lineHeight; }
  void SetTextColor(int paletteIndex) override { color = paletteIndex; }
  void DrawText(double x, double y, std::string_view text) override {
    std::erase_if(texts, [&](const Text& t) { return t.x == x && t.y == y; });
    texts.push_back({x, y, std::string(text), color});
  }
  void ShowRowIcon(int row, double top, CallIcon icon) override { icons[row] = {top, icon}; }

  std::vector<std::string> Column(double x) const {
    std::vector<std::string> lines;
    for (const Text& t : texts)
      if (t.x == x) lines.push_back(t.text);
    return lines;
  }

  double lineHeight = 5;
  int color = -1;
  std::vector<Text> texts;
  std::map<int, std::pair<double, CallIcon>> icons;
};

std::string Caller(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "C%05d", i);
  return text;
}

std::string Body(const std::string& caller, char mark = MARK_NEW, const std::string& msg = "m") {
  return std::string(1, mark) + "12-06-2026\x11" + caller + "\x11" "9:05 AM\x11" "555\x11" + msg +
         " (CW)\x11";
}

std::string LogOf(int calls, const std::string& msg = "m") {
  std::string bytes;
  for (int i = 0; i < calls; ++i) bytes += FrameRecord(Body(Caller(i), MARK_NEW, msg));
  return bytes;
}

std::vector<std::string> Range(int from, int downTo) {
  std::vector<std::string> callers;
  for (int i = from; i >= downTo; --i) callers.push_back(Caller(i));
  return callers;
}

class CallPagingEngineTest : public ProgramTest {
 protected:
  CallPagingEngineTest() {
    SetPeople({"Ann"});
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
  }

  std::vector<std::string> Page() const { return canvas.Column(kCallerColumnX); }

  RecordingCanvas canvas;
  CallPagingEngine engine{program, canvas};
};

TEST_F(CallPagingEngineTest, PagesTenThousandCallsBothWaysInFileOrder) {
  // Six one-line calls fit a page: 7 + 6 * (1 + 2) * 5 = 97, a seventh would end at 112.
  WriteWholeFile(LogFile(0), LogOf(10000));
  engine.LatestPage();
  std::vector<std::string> down = Page();
  ASSERT_EQ(down.size(), 6u);
  while (boxes.shown().empty()) {
    engine.NextPage();
    const std::vector<std::string> page = Page();
    if (boxes.shown().empty()) down.insert(down.end(), page.begin(), page.end());
  }
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "No more messages.", BoxIcon::kStop}));
  EXPECT_EQ(down, Range(9999, 0));
  EXPECT_EQ(Page(), Range(3, 0));  // 10000 = 1666 * 6 + 4

  boxes.Clear();
  std::vector<std::vector<std::string>> up{Page()};
  while (boxes.shown().empty()) {
    engine.PreviousPage();
    if (boxes.shown().empty()) up.push_back(Page());
  }
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "Beginning of messages reached.", BoxIcon::kStop}));
  std::vector<std::string> upward;
  for (auto page = up.rbegin(); page != up.rend(); ++page)
    upward.insert(upward.end(), page->begin(), page->end());
  EXPECT_EQ(upward, Range(9999, 0));
}

TEST_F(CallPagingEngineTest, BytesReadForAPageDoNotGrowWithTheFile) {
  auto pageCosts = [&](int calls) {
    WriteWholeFile(LogFile(0), LogOf(calls));
    faults.ResetCounts();
    engine.LatestPage();
    const int64_t latest = faults.bytesRead();
    faults.ResetCounts();
    engine.NextPage();
    return std::make_pair(latest, faults.bytesRead());
  };
  const auto small = pageCosts(20);
  const auto large = pageCosts(10000);
  EXPECT_EQ(small, large);
}

TEST_F(CallPagingEngineTest, PurgeElsewhereBetweenPagesRelistsFromTheNewest) {
  const std::string all = LogOf(20);
  WriteWholeFile(LogFile(0), all);
  engine.LatestPage();
  // Another workstation purges the three oldest calls: every position moves.
  const size_t recordSize = FrameRecord(Body(Caller(0))).size();
  WriteWholeFile(LogFile(0), all.substr(3 * recordSize));
  engine.NextPage();
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo",
                                      "Purge was performed by another user.\r"
                                      "Message log will be redisplayed from beginning.\r",
                                      BoxIcon::kStop}));
  EXPECT_EQ(Page(), Range(19, 14));
  EXPECT_EQ(state.PagingActive, 1);

  // The same, but the log cannot be opened again after the failed check: the
  // listing stops without leaving a row -1 behind for "Next" to read.
  WriteWholeFile(LogFile(0), all);
  faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + 2, kPathNotFound);
  engine.NextPage();
  EXPECT_EQ(boxes.last().text, "Invalid Path For User's Phonelog ");
  EXPECT_EQ(state.ContinueRow, 0);
  EXPECT_EQ(state.PagingActive, 0);
  engine.NextPage();
  EXPECT_EQ(Page(), Range(19, 14));

  // "Previous" with nothing newer, then a listing that cannot open the log.
  faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + 2, kPathNotFound);
  engine.ShowPreviousPage();
  EXPECT_EQ(state.ContinueRow, 0);
  EXPECT_EQ(state.PagingActive, 0);
}

TEST_F(CallPagingEngineTest, WrapsEachColumnByItsRules) {
  EXPECT_EQ(WrapColumn(canvas, "abcdefghijklmnopqrstuvwxyz", 20),
            (std::vector<std::string>{"abcdefghijklmnopqrst", "uvwxyz"}));
  EXPECT_EQ(WrapColumn(canvas, "the quick brown fox jumps over", 15),
            (std::vector<std::string>{"the quick brown", "fox jumps over"}));
  // The break ends the line; the words after it keep their blank.
  EXPECT_EQ(WrapColumn(canvas, "ab\r\ncd ef", 5), (std::vector<std::string>{"ab", "cd ef"}));
  EXPECT_EQ(WrapColumn(canvas, "", 33), (std::vector<std::string>{""}));
  std::string words;
  for (int i = 0; i < 40; ++i) words += (i ? " w" : "w") + std::to_string(10 + i);
  const std::vector<std::string> lines = WrapColumn(canvas, words, 3);
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines.back(), "w40");
}

TEST_F(CallPagingEngineTest, DrawsRowsByMarkAndAlwaysTheFirstCall) {
  std::string bytes;
  const std::pair<char, const char*> calls[] = {
      {' ', "B"}, {MARK_NEW, "N"}, {MARK_DELETE, "D"}, {MARK_ARCHIVE, "A"}, {MARK_IMPORTANT, "I"}};
  for (auto [mark, caller] : calls) bytes += FrameRecord(Body(caller, mark));
  WriteWholeFile(LogFile(0), bytes);
  engine.LatestPage();
  EXPECT_EQ(Page(), (std::vector<std::string>{"I", "A", "D", "N", "B"}));
  const std::vector<std::pair<double, CallIcon>> icons{
      {7, CallIcon::kUrgent}, {22, CallIcon::kNail}, {37, CallIcon::kCheck},
      {52, CallIcon::kPhone}, {67, CallIcon::kPhone}};
  for (size_t row = 0; row < icons.size(); ++row) EXPECT_EQ(canvas.icons[row], icons[row]);
  const RecordingCanvas::Text first = canvas.texts[0];
  EXPECT_EQ(first.text, "12-06-2026  9:05 AM");
  EXPECT_EQ(first.x, 5);
  EXPECT_EQ(first.y, 7);
  EXPECT_EQ(first.color, 9);
  EXPECT_EQ(canvas.Column(kPhoneColumnX).size(), 5u);
  EXPECT_EQ(canvas.Column(kMessageColumnX)[1], "m (CW)");
  EXPECT_EQ(state.PageRowTop[2], 37);

  // A call taller than the window is drawn when it comes first, 31 lines of it.
  std::string tall;
  for (int i = 0; i < 40; ++i) tall += "line\r\n";
  WriteWholeFile(LogFile(0), LogOf(2) + FrameRecord(Body("T", MARK_NEW, tall)));
  engine.LatestPage();
  EXPECT_EQ(Page(), (std::vector<std::string>{"T"}));
  EXPECT_EQ(canvas.Column(kMessageColumnX).size(), 31u);
  EXPECT_EQ(state.PageFull, 1);
  EXPECT_EQ(state.ContinueRow, 0);
}

TEST_F(CallPagingEngineTest, PagesHoldTwelveRowsAndPreviousSkipsNothing) {
  canvas.lineHeight = 1;  // 34 short calls would fit: the page memory holds 12
  WriteWholeFile(LogFile(0), LogOf(30));
  engine.LatestPage();
  EXPECT_EQ(Page(), Range(29, 18));
  engine.NextPage();
  engine.NextPage();
  EXPECT_EQ(Page(), Range(5, 0));
  engine.PreviousPage();
  EXPECT_EQ(Page(), Range(17, 6));
  engine.PreviousPage();
  EXPECT_EQ(Page(), Range(29, 18));

  // One call per page: when the newest call is the one that does not fit
  // above the page, the call below it is still shown on the way up.
  canvas.lineHeight = 5;
  WriteWholeFile(LogFile(0), LogOf(3, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12"));
  engine.LatestPage();
  engine.NextPage();
  engine.NextPage();
  EXPECT_EQ(Page(), Range(0, 0));
  engine.PreviousPage();
  EXPECT_EQ(Page(), Range(1, 1));
  engine.PreviousPage();
  EXPECT_EQ(Page(), Range(2, 2));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(CallPagingEngineTest, EmptyAndDamagedLogsStopTheListing) {
  engine.LatestPage();
  EXPECT_EQ(boxes.last(), (MessageBox{"Ann", "No Phone Calls", BoxIcon::kStop}));
  // A trailing length that points before the file's start.
  WriteWholeFile(LogFile(0), LogOf(1) + LogOf(1).substr(0, 3) + std::string("\x50\x00", 2));
  engine.LatestPage();
  EXPECT_EQ(boxes.last(), (MessageBox{"Ann",
                                      "The phone log is damaged at byte 45. "
                                      "Please call technical support.",
                                      BoxIcon::kStop}));
  EXPECT_EQ(state.PagingActive, 0);
  EXPECT_EQ(state.ContinueRow, 0);
}

}  // namespace
}  // namespace telvo::test
