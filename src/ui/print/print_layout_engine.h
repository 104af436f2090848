#pragma once
// The print job: the calls of the log on screen, newest first, as a
// four-column listing (time, caller, phone, message) with a bold date line
// wherever the date changes and a type style by mark. It lays the calls out
// on a PrintCanvas and never sees the printer or the range dialog itself.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/program.h"
#include "ui/print/print_canvas.h"

namespace telvo {

// A column text is cut after this many lines.
inline constexpr size_t kMaxPrintLines = 31;

// Left edges and breaking widths of the columns, in inches.
inline constexpr double kTimeLeft = 0.0;
inline constexpr double kCallerLeft = 1.0, kCallerWidth = 2.1;
inline constexpr double kPhoneLeft = 3.25, kPhoneWidth = 1.25;
inline constexpr double kMessageLeft = 4.75, kMessageWidth = 3.1;
// No call's rows may pass this far down a page.
inline constexpr double kPrintPageBottom = 10.0;

// What the print range dialog holds when Print is pressed.
struct PrintRange {
  bool allDates = false;  // "Print All Dates"
  std::string beginDate;  // as typed, month first
  std::string endDate;
};

// Which calls a job prints: all, or those dated from `first` to `last`,
// both days included.
struct DateFilter {
  bool allDates = true;
  Date first, last;
  bool Admits(const Date& date) const { return allDates || (first <= date && date <= last); }
};

// Reads a range into a filter, the earlier date first whichever box holds it.
// On a text that is not a date, returns false with the message that names the
// box ("Invalid Beginning Date" or "Invalid Ending Date").
bool ReadDateFilter(const PrintRange& range, DateFilter* filter, std::string* error);

// The state of one job.
struct PrintJob {
  DateFilter filter;
  double PrintLineHeight = 0;   // the height of "T", measured once per job
  std::string LastPrintedDate;  // date text of the last date line printed
};

// Splits a text into lines narrower than `width` on the canvas, cutting at
// blanks where it can and inside a word that is too wide on its own, and
// starting a new line after each CR LF. At least one line (an empty text
// gives one empty line), at most kMaxPrintLines; the remainder is dropped.
std::vector<std::string> BreakLines(PrintCanvas& canvas, std::string_view text, double width);

// Prints the call whose body is `body` if its date reads as a date and
// passes the job's filter.
void PrintCall(std::string_view body, PrintCanvas& canvas, PrintJob& job);

// Calls read from the store at a time while printing.
inline constexpr int kPrintPageCalls = 256;

// What the job needs from the windows.
struct PrintJobWindows {
  // Shows the print range dialog modally: the range when Print was pressed,
  // nothing for Cancel.
  std::function<std::optional<PrintRange>()> AskPrintRange;
  // A document on the default printer; nothing when none can be had (the
  // window has said why).
  std::function<std::unique_ptr<PrintCanvas>()> StartPrinter;
  // The call list window's pointer: the hourglass while `busy`. Optional.
  std::function<void(bool busy)> SetHourglass;
};

// The print job for the book the call list shows, read page by page; no
// file is held while a message is shown.
void PrintCalls(Program& program, const PrintJobWindows& windows);

}  // namespace telvo
