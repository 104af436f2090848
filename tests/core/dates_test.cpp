#include "core/dates.h"

#include <gtest/gtest.h>

namespace telvo {
namespace {

TEST(DatesTest, ReadsMonthFirstAndRefusesWhatIsNoCalendarDate) {
  // Month first even where the other order would also be a date.
  EXPECT_EQ(ReadDate("02-03-1999"), (Date{1999, 2, 3}));
  EXPECT_EQ(ReadDate("2/3/1999"), (Date{1999, 2, 3}));
  EXPECT_EQ(ReadDate(" 1-5-99 "), (Date{1999, 1, 5}));
  // Two-digit years: 00 to 29 in this century, 30 to 99 in the last.
  EXPECT_EQ(ReadDate("01-05-00"), (Date{2000, 1, 5}));
  EXPECT_EQ(ReadDate("01-05-29"), (Date{2029, 1, 5}));
  EXPECT_EQ(ReadDate("01-05-30"), (Date{1930, 1, 5}));
  EXPECT_EQ(ReadDate("2-29-24"), (Date{2024, 2, 29}));
  for (const char* text :
       {"02-30-2026", "02-29-1900", "13-01-1999", "00-10-1999", "04-31-1999", "31-12-1999",
        "1-5/1999", "1-5", "1-5-999", "1-5-19999", "001-05-1999", "", "Jan 5 1999", "12-31-1999x"})
    EXPECT_FALSE(ReadDate(text).has_value()) << text;
}

TEST(DatesTest, OwnFormsReadBackAsWritten) {
  for (Date date : {Date{1999, 12, 31}, Date{2000, 1, 1}, Date{2029, 11, 12}, Date{1930, 6, 7}}) {
    const std::string text = FormatDate(date);
    EXPECT_EQ(text.size(), 10u);
    EXPECT_EQ(ReadDate(text), date) << text;
  }
  EXPECT_EQ(FormatDate(LocalDateTime{2026, 1, 5, 23, 59, 0}), "01-05-2026");
  EXPECT_EQ(FormatTime(LocalDateTime{2026, 12, 6, 0, 5, 0}), "12:05 AM");
  EXPECT_EQ(FormatTime(LocalDateTime{2026, 12, 6, 9, 5, 0}), "9:05 AM");
  EXPECT_EQ(FormatTime(LocalDateTime{2026, 12, 6, 12, 0, 0}), "12:00 PM");
}

}  // namespace
}  // namespace telvo
