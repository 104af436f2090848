#include "core/alert_note.h"

#include <charconv>
#include <tuple>
#include <vector>

#include "core/dates.h"
#include "core/text.h"

namespace telvo {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kPosted = "Posted ";
constexpr std::string_view kBack = "Back ";
constexpr std::string_view kCallsTo = "Calls to ";

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// Splits off the last line of `text`: the line goes to `line`, `text` keeps
// what stood above it. False when `text` has one line only.
bool TakeLastLine(std::string_view* text, std::string_view* line) {
  const size_t end = text->rfind(kLineEnd);
  if (end == std::string_view::npos) return false;
  *line = text->substr(end + kLineEnd.size());
  *text = text->substr(0, end);
  return true;
}

std::optional<int> Number(std::string_view digits) {
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
    return std::nullopt;
  return value;
}

auto Key(const LocalDateTime& moment) {
  return std::tie(moment.year, moment.month, moment.day, moment.hour, moment.minute);
}

}  // namespace

std::string FormatMoment(const LocalDateTime& moment) {
  return FormatTime(moment) + " " + FormatDate(moment);
}

std::optional<LocalDateTime> ReadMoment(std::string_view text) {
  // "h:mm AM 12-09-2026": the time, its half of the day, the date.
  const size_t colon = text.find(':'), blank = text.find(' ');
  if (colon == std::string_view::npos || blank == std::string_view::npos || colon > blank ||
      text.size() < blank + 4 || text[blank + 3] != ' ')
    return std::nullopt;
  const auto hour = Number(text.substr(0, colon));
  const auto minute = Number(text.substr(colon + 1, blank - colon - 1));
  const std::string half = UpperCase(std::string(text.substr(blank + 1, 2)));
  const auto date = ReadDate(text.substr(blank + 4));
  if (!hour || !minute || *hour < 1 || *hour > 12 || *minute > 59 || blank - colon != 3 ||
      (half != "AM" && half != "PM") || !date)
    return std::nullopt;
  LocalDateTime moment;
  moment.year = date->year;
  moment.month = date->month;
  moment.day = date->day;
  moment.hour = *hour % 12 + (half == "PM" ? 12 : 0);
  moment.minute = *minute;
  return moment;
}

AlertNote ReadAlertNote(std::string_view stored) {
  AlertNote note;
  std::string_view rest = stored, line;
  if (!TakeLastLine(&rest, &line) || !StartsWith(line, kPosted)) {
    note.text = std::string(stored);
    return note;
  }
  note.posted = std::string(line.substr(kPosted.size()));
  // Read upwards: "Calls to" stands nearest the "Posted" line.
  std::string_view above = rest;
  if (TakeLastLine(&above, &line) && StartsWith(line, kCallsTo) && line.size() > kCallsTo.size()) {
    note.callsTo = std::string(line.substr(kCallsTo.size()));
    rest = above;
  }
  above = rest;
  if (TakeLastLine(&above, &line) && StartsWith(line, kBack)) {
    if (const auto back = ReadMoment(line.substr(kBack.size()))) {
      note.back = back;
      rest = above;
    }
  }
  note.text = std::string(rest);
  return note;
}

std::string AlertNoteText(const AlertNote& note) {
  std::string text = note.text;
  if (note.back) text += std::string(kLineEnd) + std::string(kBack) + FormatMoment(*note.back);
  if (!note.callsTo.empty()) text += std::string(kLineEnd) + std::string(kCallsTo) + note.callsTo;
  return text;
}

bool HasEnded(const AlertNote& note, const LocalDateTime& now) {
  return note.back && Key(*note.back) <= Key(now);
}

}  // namespace telvo
