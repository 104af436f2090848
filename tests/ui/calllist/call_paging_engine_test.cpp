#include "ui/calllist/call_paging_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

using Lines = std::vector<std::string>;
using Pages = std::vector<Lines>;

std::string Caller(int i) { return "C" + std::to_string(100000 + i); }

std::string Record(const std::string& caller, char mark = MARK_NEW, const std::string& msg = "m") {
  return CallRecord({.mark = mark, .caller = caller, .phone = "", .message = msg});
}

// Calls C100000 (oldest) onwards, as the file holds them.
std::string LogOf(int calls, const std::string& msg = "m") {
  std::string bytes;
  for (int i = 0; i < calls; ++i) bytes += Record(Caller(i), MARK_NEW, msg);
  return bytes;
}

// The callers from `from` down to `downTo`, as a page lists them.
Lines Range(int from, int downTo) {
  Lines callers;
  for (int i = from; i >= downTo; --i) callers.push_back(Caller(i));
  return callers;
}

// The fixture is the canvas: every character is one unit wide, a text is
// noted with its colour after a slash unless that is 0 (black), and a text
// drawn where one was drawn before replaces it, as a redrawn row does.
class CallPagingEngineTest : public ProgramTest, public CallCanvas {
 protected:
  CallPagingEngineTest() {
    SetPeople({"Ann"});
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
    engine.SetBook(state.viewed.book);
  }
  void Clear() override { texts.clear(), icons.clear(); }
  double TextWidth(std::string_view text) override { return static_cast<double>(text.size()); }
  double LineHeight() override { return lineHeight; }
  void SetTextColor(int paletteIndex) override { color = paletteIndex; }
  void DrawText(double x, double y, std::string_view text) override {
    texts[{x, y}] = std::string(text) + (color ? "/" + std::to_string(color) : "");
  }
  void ShowRowIcon(int row, double top, CallIcon icon) override { icons[row] = {top, icon}; }

  Lines Page() const {  // the callers shown, top to bottom
    Lines callers;
    for (const auto& [at, text] : texts)
      if (at.first == kCallerColumnX) callers.push_back(text);
    return callers;
  }

  // With `log` in the file, "Latest", "Next" until there is no more, then "Previous" until the
  // beginning: the pages seen going down, which going up must match.
  Pages PageDownAndUp(const std::string& log) {
    WriteWholeFile(LogFile(0), log);
    boxes.Clear();
    Pages down, up;
    for (engine.LatestPage(); boxes.shown().empty(); engine.NextPage()) down.push_back(Page());
    EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "No more messages.", BoxIcon::kStop}));
    boxes.Clear();
    for (; boxes.shown().empty(); engine.PreviousPage()) up.push_back(Page());
    EXPECT_EQ(boxes.last().text, "Beginning of messages reached.");
    EXPECT_EQ(Pages(up.rbegin(), up.rend()), down);
    return down;
  }

  double lineHeight = 5;
  int color = -1;
  std::map<std::pair<double, double>, std::string> texts;  // by x and y
  std::map<int, std::pair<double, CallIcon>> icons;
  CallPagingEngine engine{program, *this};
};

TEST_F(CallPagingEngineTest, PagesDownAndUpInFileOrderSkippingNothing) {
  WriteWholeFile(LogFile(0), "");
  engine.LatestPage();
  EXPECT_EQ(boxes.shown(), (std::vector<MessageBox>{{"Ann", "No Phone Calls", BoxIcon::kStop}}));

  // Six one-line calls fit a page: 7 + 6 * (1 + 2) * 5 = 97, a seventh would end at 112.
  Pages sixes;
  for (int top = 9999; top >= 0; top -= 6) sixes.push_back(Range(top, std::max(0, top - 5)));
  EXPECT_EQ(PageDownAndUp(LogOf(10000)), sixes);

  // 34 short calls would fit, but the page memory holds 12.
  lineHeight = 1;
  EXPECT_EQ(PageDownAndUp(LogOf(30)), (Pages{Range(29, 18), Range(17, 6), Range(5, 0)}));

  // One twelve-line call per page: the newest call does not fit above the
  // page, and the call below it is still shown on the way up.
  lineHeight = 5;
  EXPECT_EQ(PageDownAndUp(LogOf(3, std::string(12 * 33, 'x'))),
            (Pages{Range(2, 2), Range(1, 1), Range(0, 0)}));
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
  WriteWholeFile(LogFile(0), LogOf(20));
  engine.LatestPage();
  // Another workstation purges the three oldest calls: every position moves.
  WriteWholeFile(LogFile(0), LogOf(20).substr(3 * Record(Caller(0)).size()));
  engine.NextPage();
  EXPECT_EQ(boxes.last().text,
            "Purge was performed by another user.\r"
            "Message log will be redisplayed from beginning.\r");
  EXPECT_EQ(Page(), Range(19, 14));

  // The same, but the log cannot be opened again after the failed check: the
  // listing stops without leaving a row -1 behind for "Next" to read.
  WriteWholeFile(LogFile(0), LogOf(20));
  faults.FailNth(FileOp::kOpen, faults.count(FileOp::kOpen) + 2, kPathNotFound);
  engine.NextPage();
  EXPECT_EQ(boxes.last().text, "Invalid Path For User's Phonelog ");
  engine.NextPage();
  EXPECT_EQ(Page(), Range(19, 14));
}

TEST_F(CallPagingEngineTest, DrawsRowsByMark) {
  WriteWholeFile(LogFile(0), Record("B", ' ') + Record("N") + Record("D", MARK_DELETE) +
                                 Record("A", MARK_ARCHIVE) + Record("I", MARK_IMPORTANT));
  engine.LatestPage();
  EXPECT_EQ(Page(), (Lines{"I/9", "A/12", "D/7", "N", "B"}));
  EXPECT_EQ(icons, (decltype(icons){{0, {7, CallIcon::kUrgent}},
                                    {1, {22, CallIcon::kNail}},
                                    {2, {37, CallIcon::kCheck}},
                                    {3, {52, CallIcon::kPhone}},
                                    {4, {67, CallIcon::kPhone}}}));
}

}  // namespace
}  // namespace telvo::test
