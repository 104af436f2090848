#include "core/program.h"

#include <gtest/gtest.h>

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

TEST_F(MessageBoxFacadeTest, PauseOneTickWaitsForTheNextWholeSecond) {
  // The clock reads in whole seconds, rounded: from 9:05:00.250 the reading
  // changes at 9:05:00.500, which the 20 ms steps reach after 260 ms.
  env.SleepMs(250);
  const int64_t before = env.sleptMs();
  PauseOneTick(program);
  EXPECT_EQ(env.sleptMs() - before, 260);
}

}  // namespace
}  // namespace telvo::test
