#include "store/locked_open.h"

#include <gtest/gtest.h>

#include <set>

#include "support/program_fixture.h"

namespace telvo::test {
namespace {

class LockedOpenerTest : public ProgramTest {};

TEST_F(LockedOpenerTest, PausesBeforeRetriesAreSpread) {
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
