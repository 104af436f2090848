#include "service/call_actions.h"

#include <gtest/gtest.h>

#include "service/delivery.h"
#include "store/folder_store.h"
#include "store/phone_log.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

// A log of three calls listed as the call list leaves it, newest in row 0;
// the fixture is the view and notes each redraw as "row@start:body".
class CallActionsTest : public ProgramTest, public CallPageView {
 protected:
  CallActionsTest() {
    SetPeople({"Ann"});
    state.viewed.book = FolderBook("Ann", workgroup.at(0).log);
    WriteWholeFile(LogFile(0), original);
    rows = store.ReadPage(state.viewed.book, {}, PageDirection::kOlder, kPageRows).calls;
  }
  const Call* ShownCall(int row) const override {
    return row < static_cast<int>(rows.size()) ? &rows[static_cast<size_t>(row)] : nullptr;
  }
  void RedrawRow(int row, const Call& call) override {
    redrawn.push_back(std::to_string(row) + "@" + std::to_string(call.id.position) + ":" +
                      call.body);
  }
  void ShowNewestPage() override { ++relisted; }

  void Apply(int row, int16_t action) { ApplyCallAction(program, *this, row, action); }
  std::string With(char mark, size_t at) { return std::string(original).replace(at, 1, 1, mark); }

  const size_t oldSize = CallRecord("Old").size();
  const std::string original = CallRecord("Old") + CallRecord("Mid") + CallRecord("New");
  std::vector<Call> rows;
  std::vector<std::string> redrawn;
  int relisted = 0;
};

TEST_F(CallActionsTest, WritesOnlyTheMarkByteAndRedrawsTheRow) {
  const std::pair<int16_t, char> actions[] = {{kActionDelete, MARK_DELETE},
                                              {kActionArchive, MARK_ARCHIVE},
                                              {kActionImportant, MARK_IMPORTANT},
                                              {kActionNew, MARK_NEW}};
  for (auto [action, mark] : actions) {
    Apply(1, action);
    EXPECT_EQ(Log(0), With(mark, oldSize + 2)) << action;
    EXPECT_EQ(redrawn.back(), "1@" + std::to_string(oldSize) + ":" + CallBody("Mid", mark));
  }
  // "&New" on a call that is already new still writes its byte.
  Apply(1, kActionNew);
  EXPECT_EQ(faults.count(FileOp::kWrite), 5);
  EXPECT_EQ(Log(0), original);

  // A message posted to the person after the listing only appends.
  ASSERT_TRUE(PostMessage(
      program,
      {.selectedIndex = 0, .caller = "Late", .date = "", .time = "", .phone = "", .message = ""}));
  const std::string posted = Log(0).substr(original.size());
  ASSERT_FALSE(posted.empty());
  Apply(2, kActionArchive);
  EXPECT_EQ(Log(0), With(MARK_ARCHIVE, 2) + posted);
}

TEST_F(CallActionsTest, NothingIsWrittenAfterAPurgeElsewhere) {
  // Another workstation purged the oldest call: the rows now point elsewhere.
  WriteWholeFile(LogFile(0), original.substr(oldSize));
  Apply(1, kActionDelete);
  EXPECT_EQ(boxes.last().text,
            "Purge was performed by another user.\r"
            "Message log will be redisplayed from beginning.\r"
            "Please retry marking this message.");
  EXPECT_EQ(relisted, 1);
  EXPECT_EQ(faults.count(FileOp::kWrite), 0);
  EXPECT_EQ(Log(0), original.substr(oldSize));
}

}  // namespace
}  // namespace telvo::test
