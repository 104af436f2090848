#include "ui/calllist/call_paging_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "store/phone_log.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

std::string Caller(int i) { return "C" + std::to_string(100000 + i); }

std::string Body(const std::string& caller, char mark = MARK_NEW, const std::string& msg = "m") {
  return std::string(1, mark) + "12-06-2026\x11" + caller + "\x11" "9:05 AM\x11" "555\x11" + msg +
         " (CW)\x11";
}

// Calls C100000 (oldest) onwards, framed as the file holds them.
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

using Pages = std::vector<std::vector<std::string>>;

// The fixture is the canvas: every character is one unit wide, and a text
// drawn where one was drawn before replaces it, as a redrawn row does.
class CallPagingEngineTest : public ProgramTest, public CallCanvas {
 protected:
  struct Text { double x, y; std::string text; int color; };

  CallPagingEngineTest() {
    SetPeople({"Ann"});
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
  }
  void Clear() override { texts.clear(), icons.clear(); }
  double TextWidth(std::string_view text) override { return static_cast<double>(text.size()); }
  double LineHeight() override { return lineHeight; }
  void SetTextColor(int paletteIndex) override { color = paletteIndex; }
  void DrawText(double x, double y, std::string_view text) override {
    std::erase_if(texts, [&](const Text& t) { return t.x == x && t.y == y; });
    texts.push_back({x, y, std::string(text), color});
  }
  void ShowRowIcon(int row, double top, CallIcon icon) override { icons[row] = {top, icon}; }

  std::vector<std::string> Page() const {  // the callers shown
    std::vector<std::string> callers;
    for (const Text& t : texts)
      if (t.x == kCallerColumnX) callers.push_back(t.text);
    return callers;
  }

  // "Latest", "Next" until there is no more, then "Previous" until the
  // beginning: the pages seen going down, which going up must match.
  Pages PageDownAndUp() {
    auto press = [&](void (CallPagingEngine::*button)()) {
      boxes.Clear();
      (engine.*button)();
      return boxes.shown().empty();
    };
    Pages down, up;
    press(&CallPagingEngine::LatestPage);
    for (down.push_back(Page()); press(&CallPagingEngine::NextPage);) down.push_back(Page());
    EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "No more messages.", BoxIcon::kStop}));
    for (up.push_back(Page()); press(&CallPagingEngine::PreviousPage);) up.push_back(Page());
    EXPECT_EQ(boxes.last().text, "Beginning of messages reached.");
    EXPECT_EQ(Pages(up.rbegin(), up.rend()), down);
    return down;
  }

  double lineHeight = 5;
  int color = -1;
  std::vector<Text> texts;
  std::map<int, std::pair<double, CallIcon>> icons;
  CallPagingEngine engine{program, *this};
};

TEST_F(CallPagingEngineTest, PagesDownAndUpInFileOrderSkippingNothing) {
  // Six one-line calls fit a page: 7 + 6 * (1 + 2) * 5 = 97, a seventh would end at 112.
  WriteWholeFile(LogFile(0), LogOf(10000));
  Pages down = PageDownAndUp();
  ASSERT_EQ(down.size(), 1667u);  // 10000 = 1666 * 6 + 4
  for (int i = 0; i < 1667; ++i)
    EXPECT_EQ(down[size_t(i)], Range(9999 - 6 * i, std::max(0, 9994 - 6 * i)));

  // 34 short calls would fit, but the page memory holds 12.
  lineHeight = 1;
  WriteWholeFile(LogFile(0), LogOf(30));
  down = PageDownAndUp();
  EXPECT_EQ(down, (Pages{Range(29, 18), Range(17, 6), Range(5, 0)}));

  // One twelve-line call per page: the newest call does not fit above the
  // page, and the call below it is still shown on the way up.
  lineHeight = 5;
  WriteWholeFile(LogFile(0), LogOf(3, std::string(11 * 33, 'x')));
  down = PageDownAndUp();
  EXPECT_EQ(down, (Pages{Range(2, 2), Range(1, 1), Range(0, 0)}));
}

TEST_F(CallPagingEngineTest, BytesReadForAPageDoNotGrowWithTheFile) {
  auto firstTwoPages = [&](int calls) {
    WriteWholeFile(LogFile(0), LogOf(calls));
    faults.ResetCounts();
    engine.LatestPage();
    engine.NextPage();
    return faults.bytesRead();
  };
  EXPECT_EQ(firstTwoPages(20), firstTwoPages(10000));
}

TEST_F(CallPagingEngineTest, PurgeElsewhereBetweenPagesRelistsFromTheNewest) {
  const std::string all = LogOf(20);
  WriteWholeFile(LogFile(0), all);
  engine.LatestPage();
  // Another workstation purges the three oldest calls: every position moves.
  WriteWholeFile(LogFile(0), all.substr(3 * FrameRecord(Body(Caller(0))).size()));
  engine.NextPage();
  EXPECT_EQ(boxes.last().text, "Purge was performed by another user.\r"
                               "Message log will be redisplayed from beginning.\r");
  EXPECT_EQ(Page(), Range(19, 14));

  // The same, but the log cannot be opened again after the failed check: the
  // listing stops without leaving a row -1 behind for "Next" to read.
  WriteWholeFile(LogFile(0), all);
  faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + 2, kPathNotFound);
  engine.NextPage();
  EXPECT_EQ(boxes.last().text, "Invalid Path For User's Phonelog ");
  EXPECT_EQ(state.ContinueRow, 0);
  engine.NextPage();
  EXPECT_EQ(Page(), Range(19, 14));
}

TEST_F(CallPagingEngineTest, WrapsEachColumnByItsRules) {
  using Lines = std::vector<std::string>;
  // A word wider than the column is cut; a cut at blanks drops only the first.
  EXPECT_EQ(WrapColumn(*this, "abcdefghijklmno", 10), (Lines{"abcdefghij", "klmno"}));
  EXPECT_EQ(WrapColumn(*this, "the quick  brown fox", 9), (Lines{"the quick", " brown", "fox"}));
  // The break ends the line; the words after it keep their blank.
  EXPECT_EQ(WrapColumn(*this, "ab\r\ncd ef", 5), (Lines{"ab", "cd ef"}));
  EXPECT_EQ(WrapColumn(*this, "", 33), Lines{""});
  Lines cut(30, "a");  // after 31 lines the text is dropped
  cut.push_back("b");
  EXPECT_EQ(WrapColumn(*this, std::string(30, 'a') + "bcd", 1), cut);
}

TEST_F(CallPagingEngineTest, DrawsRowsByMark) {
  WriteWholeFile(LogFile(0), FrameRecord(Body("B", ' ')) + FrameRecord(Body("N")) +
                                 FrameRecord(Body("D", MARK_DELETE)) +
                                 FrameRecord(Body("A", MARK_ARCHIVE)) +
                                 FrameRecord(Body("I", MARK_IMPORTANT)));
  engine.LatestPage();
  std::vector<std::pair<std::string, int>> rows;  // caller and its colour
  for (const Text& t : texts)
    if (t.x == kCallerColumnX) rows.push_back({t.text, t.color});
  EXPECT_EQ(rows, (decltype(rows){{"I", 9}, {"A", 12}, {"D", 7}, {"N", 0}, {"B", 0}}));
  EXPECT_EQ(icons, (decltype(icons){{0, {7, CallIcon::kUrgent}}, {1, {22, CallIcon::kNail}},
                                    {2, {37, CallIcon::kCheck}}, {3, {52, CallIcon::kPhone}},
                                    {4, {67, CallIcon::kPhone}}}));
}

}  // namespace
}  // namespace telvo::test
