#include "store/call_actions.h"

#include <gtest/gtest.h>

#include "store/phone_log.h"
#include "store/post_message.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

std::string Body(const std::string& caller, char mark = MARK_NEW) {
  return std::string(1, mark) + "12-06-2026\x11" + caller + "\x11" "9:05 AM\x11" "555\x11" "m (CW)\x11";
}

// Remembers what it was asked to draw instead of drawing.
struct RecordingView : CallPageView {
  struct Redraw {
    int row;
    int64_t start;
    std::string body;
    bool operator==(const Redraw&) const = default;
  };
  explicit RecordingView(ProgramState& state) : state(state) {}
  void RedrawRow() override { redrawn.push_back({state.PageRow, state.ReadPos, state.RecordText}); }
  void ShowNewestPage() override { ++relisted; }

  ProgramState& state;
  std::vector<Redraw> redrawn;
  int relisted = 0;
};

class CallActionsTest : public ProgramTest {
 protected:
  CallActionsTest() {
    SetPeople({"Ann", "Bob"});
    state.MyInitials = "CW";
    state.SelectedPerson = 0;
    state.CurrentLogPath = state.PersonLog[0];
    state.CurrentLogOwner = "Ann";
    original = FrameRecord(Body("Old")) + FrameRecord(Body("Mid")) + FrameRecord(Body("New"));
    WriteWholeFile(LogFile(0), original);
    ListPage();
  }

  // The page memory as a listing leaves it: newest call in row 0.
  void ListPage() {
    auto log = OpenPhoneLog(program);
    int row = 0;
    WalkBackward(*log, state.LogLength, [&](const Record& r) {
      state.PageStart[static_cast<size_t>(row)] = r.start;
      state.PageText[static_cast<size_t>(row++)] = r.body;
      return row < kPageRows;
    });
    state.PagingActive = 1;
  }

  void Apply(int row, int16_t action) {
    state.PageRow = static_cast<int16_t>(row);
    state.CallAction = action;
    ApplyCallAction(program, view);
  }

  std::string With(char mark, size_t at) {
    std::string bytes = original;
    bytes[at] = mark;
    return bytes;
  }

  std::string original;
  RecordingView view{state};
};

TEST_F(CallActionsTest, WritesTheMarkByteInPlaceAndRedrawsTheRow) {
  const int64_t mid = state.PageStart[1];
  ASSERT_EQ(mid, static_cast<int64_t>(FrameRecord(Body("Old")).size()));
  const std::pair<int16_t, char> actions[] = {{kActionDelete, MARK_DELETE},
                                              {kActionArchive, MARK_ARCHIVE},
                                              {kActionImportant, MARK_IMPORTANT},
                                              {kActionNew, MARK_NEW}};
  for (auto [action, mark] : actions) {
    Apply(1, action);
    EXPECT_EQ(Log(0), With(mark, static_cast<size_t>(mid) + 2)) << action;
    EXPECT_EQ(view.redrawn.back(), (RecordingView::Redraw{1, mid, Body("Mid", mark)}));
  }
  // "&New" on a call that is already new still writes its byte.
  const int writes = faults.count(FileOp::kWrite);
  Apply(1, kActionNew);
  EXPECT_EQ(faults.count(FileOp::kWrite), writes + 1);
  EXPECT_EQ(Log(0), original);

  // No choice: nothing is opened.
  const int opens = faults.count(FileOp::kOpen);
  Apply(1, kActionNone);
  EXPECT_EQ(faults.count(FileOp::kOpen), opens);

  // A failed write is reported under the owner's name and leaves the byte.
  faults.FailNth(FileOp::kWrite, faults.count(FileOp::kWrite) + 1, kDeviceIoError);
  Apply(1, kActionDelete);
  EXPECT_EQ(boxes.last(), (MessageBox{"Ann", "Unknown Error  57", BoxIcon::kStop}));
  EXPECT_EQ(Log(0), original);
  EXPECT_EQ(view.redrawn.size(), 5u);

  // A message posted to the person meanwhile only appends.
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "Late";
  PostMessage(program, pad);
  const std::string posted = Log(0).substr(original.size());
  Apply(2, kActionArchive);
  EXPECT_EQ(Log(0), With(MARK_ARCHIVE, 2) + posted);
}

TEST_F(CallActionsTest, NothingIsWrittenAfterAPurgeElsewhere) {
  // Another workstation purged the oldest call: the rows now point elsewhere.
  const std::string purged = original.substr(FrameRecord(Body("Old")).size());
  WriteWholeFile(LogFile(0), purged);
  Apply(1, kActionDelete);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo",
                                      "Purge was performed by another user.\r"
                                      "Message log will be redisplayed from beginning.\r"
                                      "Please retry marking this message.",
                                      BoxIcon::kStop}));
  EXPECT_EQ(view.relisted, 1);
  EXPECT_EQ(state.PagingActive, 0);
  EXPECT_EQ(faults.count(FileOp::kWrite), 0);
  EXPECT_EQ(Log(0), purged);
  EXPECT_TRUE(view.redrawn.empty());
}

}  // namespace
}  // namespace telvo::test
