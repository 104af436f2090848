#pragma once
// Dates as the program writes and reads them. Every date text is read month
// first, whatever the system's locale, so the program re-reads its own
// "mm-dd-yyyy" texts exactly as it wrote them.

#include <optional>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace telvo {

struct Date {
  int year = 0, month = 0, day = 0;
  auto operator<=>(const Date&) const = default;  // NOLINT(modernize-use-nullptr): a false alarm
};

// Reads "mm-dd-yyyy", "m/d/yyyy", "m-d-yy" and the like: month, day and year
// as numbers separated by "-", "/" or ".", blanks around the text ignored.
// Two-digit years 00-29 are 20xx, 30-99 19xx. Nothing for a text that is not
// a real calendar date.
std::optional<Date> ReadDate(std::string_view text);

// "mm-dd-yyyy".
std::string FormatDate(const Date& date);
// The date part of a moment, as "mm-dd-yyyy"; also the program's short date
// form (the form a forwarded message is stamped with).
std::string FormatDate(const LocalDateTime& moment);
// "h:mm AM/PM", without padding.
std::string FormatTime(const LocalDateTime& moment);

bool IsValidDate(const Date& date);

}  // namespace telvo
