#include "core/dates.h"

#include <cstdio>

namespace telvo {
namespace {

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Reads 1 to `maxDigits` digits at `pos`; -1 when there are none.
int ReadNumber(std::string_view text, size_t& pos, size_t maxDigits, size_t* digits) {
  int value = 0;
  *digits = 0;
  while (pos < text.size() && *digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++*digits;
  }
  return *digits ? value : -1;
}

bool IsSeparator(char c) { return c == '-' || c == '/' || c == '.'; }

}  // namespace

bool IsValidDate(const Date& d) {
  return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= DaysIn(d.year, d.month);
}

std::optional<Date> ReadDate(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  size_t pos = 0, digits = 0;
  Date date;
  date.month = ReadNumber(text, pos, 2, &digits);
  if (date.month < 0 || pos >= text.size() || !IsSeparator(text[pos])) return std::nullopt;
  const char separator = text[pos++];
  date.day = ReadNumber(text, pos, 2, &digits);
  if (date.day < 0 || pos >= text.size() || text[pos] != separator) return std::nullopt;
  ++pos;
  date.year = ReadNumber(text, pos, 4, &digits);
  if (date.year < 0 || pos != text.size() || digits == 3 || digits == 1) return std::nullopt;
  if (digits == 2) date.year += date.year < 30 ? 2000 : 1900;
  if (!IsValidDate(date)) return std::nullopt;
  return date;
}

std::string FormatDate(const Date& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d-%02d-%04d", date.month % 100, date.day % 100,
                date.year % 10000);
  return text;
}

std::string FormatDate(const LocalDateTime& moment) {
  return FormatDate(Date{moment.year, moment.month, moment.day});
}

std::string FormatTime(const LocalDateTime& moment) {
  const int hour12 = moment.hour % 12 == 0 ? 12 : moment.hour % 12;
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d %s", hour12, moment.minute % 60,
                moment.hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace telvo
