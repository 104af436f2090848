#include "core/program.h"

#include <gtest/gtest.h>

#include <set>

#include "store/locked_open.h"
#include "support/program_fixture.h"

namespace telvo::test {
namespace {

class MessageBoxFacadeTest : public ProgramTest {};

TEST_F(MessageBoxFacadeTest, BoxesShowWhatTheStateSays) {
  state.BoxTitle = "Telvo ";
  state.BoxText = "Continue?";
  // Enter at once takes the default button: No.
  EXPECT_EQ(AskYesNo(program), kAnswerNo);
  EXPECT_EQ(boxes.last(), (MessageBox{"Telvo ", "Continue?", BoxIcon::kQuestion,
                                      BoxButtons::kYesNo, kAnswerNo}));
  boxes.Answer(kAnswerYes);
  EXPECT_EQ(AskYesNo(program), kAnswerYes);
  EXPECT_EQ(state.BoxAnswer, kAnswerYes);
  ShowError(program);
  EXPECT_EQ(boxes.last().icon, BoxIcon::kStop);
  EXPECT_EQ(state.BoxAnswer, kAnswerOk);
}

TEST_F(MessageBoxFacadeTest, PausesBeforeRetriesAreSpread) {
  // Pauses that all ended on the clock's next second kept waiting
  // workstations retrying in step; drawn pauses drift apart.
  std::set<int64_t> lengths;
  LockedOpener opener(env);
  for (int retry = 1; retry <= 10; ++retry) {
    const int64_t before = env.sleptMs();
    opener.PauseBeforeRetry(retry);
    const int64_t pause = env.sleptMs() - before;
    EXPECT_GE(pause, retry == 1 ? kFirstRetryPauseMinMs : kRetryPauseMinMs);
    EXPECT_LE(pause, retry == 1 ? kFirstRetryPauseMaxMs : kRetryPauseMaxMs);
    lengths.insert(pause);
  }
  EXPECT_GT(lengths.size(), 5u);
}

}  // namespace
}  // namespace telvo::test
