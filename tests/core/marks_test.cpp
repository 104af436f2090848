#include "core/marks.h"

#include <gtest/gtest.h>

namespace telvo::test {
namespace {

// Bytes that are no mark (hand-written or damaged logs) look new, are named
// by their value, and go at the next purge, as they always have.
TEST(MarksTest, EveryByteHasAMeaning) {
  EXPECT_EQ(MarkName(MARK_ARCHIVE) + MarkName(' ') + MarkName('\x7f') + MarkName(0),
            "archivenew0x7F0x00");
  const Mark& odd = MarkOf('\xe9');
  EXPECT_EQ(odd.icon, CallIcon::kPhone);
  EXPECT_EQ(odd.purge, PurgeAction::kDrop);
}

}  // namespace
}  // namespace telvo::test
