#include "core/pad_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace telvo {
namespace {

TEST(PadRulesTest, StampedTimeIsAlwaysEightCharacters) {
  EXPECT_EQ(StampFor({2026, 12, 6, 9, 5, 0}).time, " 9:05 AM");
  EXPECT_EQ(StampFor({2026, 12, 6, 0, 5, 0}).time, "12:05 AM");
  EXPECT_EQ(StampFor({2026, 12, 6, 22, 59, 0}).time, "10:59 PM");
  EXPECT_EQ(StampFor({2026, 1, 2, 13, 0, 0}).date, "01-02-2026");
  // Blanks are a caller as far as the buttons go.
  EXPECT_TRUE(CallerAllowsDelivery(" "));
  EXPECT_FALSE(CallerAllowsDelivery(""));
}

TEST(PadRulesTest, CannedPhrasesJoinTheTrimmedMessage) {
  EXPECT_EQ(WithCannedPhrase("", 0), "Please call.");
  EXPECT_EQ(WithCannedPhrase("   ", 1), "Will call back.");
  EXPECT_EQ(WithCannedPhrase("  about the lease  ", 2), "about the lease Returned your call.");
  // Only blanks are trimmed: line breaks inside and at the end stay.
  EXPECT_EQ(WithCannedPhrase(" one\ntwo\n ", 0), "one\ntwo\n Please call.");
}

TEST(PadRulesTest, DatesAreReadMonthFirstAndRewritten) {
  EXPECT_EQ(PadDate("1/2/1999"), "01-02-1999");
  EXPECT_EQ(PadDate(" 12-6-26 "), "12-06-2026");
  EXPECT_FALSE(PadDate("tomorrow").has_value());
}

TEST(PadRulesTest, TextsThatLeaveThePad) {
  EXPECT_FALSE(HoldsTypedMessage("", "", ""));
  EXPECT_TRUE(HoldsTypedMessage("", "", " "));
  EXPECT_TRUE(HoldsTypedMessage("", "\n", ""));
  EXPECT_TRUE(HoldsTypedMessage("Joe", "", ""));

  EXPECT_EQ(DeliverCaption("Tom & Jerry"), "&Deliver to Tom && Jerry");
  EXPECT_EQ(DeliverCaption("<b>Ann</b>"), "&Deliver to <b>Ann</b>");

  EXPECT_EQ(StoredMessage("one\ntwo\n"), "one\r\ntwo\r\n");
  EXPECT_EQ(PadMessage("one\r\ntwo\rthree\r"), "one\ntwo\nthree\n");
}

TEST(PadRulesTest, FontsStepDownUntilTwentyFourLinesFit) {
  // Heights in units for the five steps of the ladder.
  auto steps = [](std::vector<double> heights) {
    return PadFontStep([heights](int step) { return heights.at(static_cast<size_t>(step)); });
  };
  EXPECT_EQ(steps({3.75, 9, 9, 9, 9}), 0);  // exactly 90 units fits
  EXPECT_EQ(steps({5, 3.8, 3, 2, 1}), 2);
  EXPECT_EQ(steps({9, 9, 9, 9, 9}), 4);  // the smallest is kept even when too tall
}

}  // namespace
}  // namespace telvo
