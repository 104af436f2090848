#include "ui/print/print_layout_engine.h"

#include <algorithm>
#include <utility>

#include "core/marks.h"
#include "core/call_fields.h"
#include "service/store_messages.h"
#include "service/call_actions.h"

namespace telvo {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

struct Cut {
  std::string line;
  bool atBlank = false;  // the blank that ended the line was taken from rest
};

// The longest prefix of `rest` that fits: whole words up to a blank, or, when
// the first word alone is too wide, as many characters as fit. Removes the
// line (and the blank after it) from `rest`.
Cut CutLine(PrintCanvas& canvas, std::string& rest, double width) {
  Cut cut;
  if (canvas.TextWidth(rest) < width) {
    cut.line = std::exchange(rest, std::string());
    return cut;
  }
  for (size_t from = 0;;) {
    size_t blank = std::min(rest.find(' ', from), rest.size());
    std::string_view word = std::string_view(rest).substr(0, blank);
    if (canvas.TextWidth(word) < width) {
      cut.line = word;
      if (blank == rest.size()) {  // only a canvas that measures unsteadily gets here
        rest.clear();
        return cut;
      }
      from = blank + 1;
      continue;
    }
    if (!cut.line.empty()) {
      rest.erase(0, cut.line.size() + 1);
      cut.atBlank = true;
      return cut;
    }
    size_t fits = 0;
    while (fits < rest.size() &&
           canvas.TextWidth(std::string_view(rest).substr(0, fits + 1)) <= width)
      ++fits;
    // A character wider than the whole column still goes on a line of its
    // own; otherwise the rest of the text would never move and be lost.
    fits = std::min(std::max<size_t>(fits, 1), rest.size());
    cut.line = rest.substr(0, fits);
    rest.erase(0, fits);
    return cut;
  }
}

void SetMarkStyle(PrintCanvas& canvas, const std::string& mark) {
  const PrintStyle style = MarkOf(mark.empty() ? ' ' : mark[0]).print;
  if (style == PrintStyle::kStruckThrough) canvas.SetStrikethrough(true);
  if (style == PrintStyle::kUnderlined) canvas.SetUnderline(true);
}

void DrawColumnLine(PrintCanvas& canvas, const std::vector<std::string>& lines, size_t row,
                    double left) {
  if (row >= lines.size()) return;
  canvas.SetX(left);
  canvas.Draw(lines[row]);
}

void SetHourglass(const PrintJobWindows& windows, bool busy) {
  if (windows.SetHourglass) windows.SetHourglass(busy);
}

}  // namespace

bool ReadDateFilter(const PrintRange& range, DateFilter* filter, std::string* error) {
  *filter = DateFilter{};
  if (range.allDates) return true;
  std::optional<Date> first = ReadDate(range.beginDate);
  if (!first) {
    *error = "Invalid Beginning Date";
    return false;
  }
  std::optional<Date> last = ReadDate(range.endDate);
  if (!last) {
    *error = "Invalid Ending Date";
    return false;
  }
  filter->allDates = false;
  filter->first = std::min(*first, *last);
  filter->last = std::max(*first, *last);
  return true;
}

std::vector<std::string> BreakLines(PrintCanvas& canvas, std::string_view text, double width) {
  std::vector<std::string> lines;
  std::string rest(text);
  bool usedUp = false;
  while (lines.size() < kMaxPrintLines && !usedUp) {
    Cut cut = CutLine(canvas, rest, width);
    size_t pair = cut.line.find(kLineBreak);
    if (pair != std::string::npos) {
      if (pair + kLineBreak.size() < cut.line.size()) {
        // The text after the break goes back in front of what is left, with
        // the blank that separated the two when the line ended at one.
        rest = cut.line.substr(pair + kLineBreak.size()) + (cut.atBlank ? " " : "") + rest;
      }
      cut.line.resize(pair);
    }
    usedUp = rest.empty();
    lines.push_back(std::move(cut.line));
  }
  return lines;
}

void PrintCall(std::string_view body, PrintCanvas& canvas, PrintJob& job) {
  const CallFields s = ParseCallBody(body);
  std::optional<Date> date = ReadDate(s.date);
  if (!date || !job.filter.Admits(*date)) return;

  const std::vector<std::string> message = BreakLines(canvas, s.message, kMessageWidth);
  const std::vector<std::string> phone = BreakLines(canvas, s.phone, kPhoneWidth);
  const std::vector<std::string> caller = BreakLines(canvas, s.caller, kCallerWidth);
  const size_t rows = std::max({message.size(), phone.size(), caller.size()});

  // The call's rows and its date line. A call taller than a page is printed
  // where the page is still empty rather than after a blank page.
  const double y = canvas.Y();
  if (y > 0 && y + job.PrintLineHeight * static_cast<double>(rows + 1) > kPrintPageBottom)
    canvas.NewPage();

  if (s.date != job.LastPrintedDate) {
    canvas.SetX(0);
    canvas.SetBold(true);
    canvas.Draw(s.date);
    canvas.EndLine();
    job.LastPrintedDate = s.date;
    canvas.SetBold(false);
  }

  SetMarkStyle(canvas, s.mark);
  canvas.SetX(kTimeLeft);
  canvas.Draw(s.time);
  for (size_t row = 0; row < rows; ++row) {
    DrawColumnLine(canvas, caller, row, kCallerLeft);
    DrawColumnLine(canvas, phone, row, kPhoneLeft);
    DrawColumnLine(canvas, message, row, kMessageLeft);
    canvas.EndLine();
  }
  canvas.SetStrikethrough(false);
  canvas.SetUnderline(false);
  canvas.EndLine();
  canvas.EndLine();
}

void PrintCalls(Program& program, const PrintJobWindows& windows) {
  ProgramState& s = program.state;
  std::optional<PrintRange> range = windows.AskPrintRange();
  if (!range) return;

  // The range is read once, before anything is opened, so a box that does
  // not hold a date refuses the job instead of failing in the middle of it.
  PrintJob job;
  std::string refusal;
  if (!ReadDateFilter(*range, &job.filter, &refusal)) {
    ShowStop(program, "Telvo ", refusal);
    return;
  }

  std::unique_ptr<PrintCanvas> canvas = windows.StartPrinter();
  if (!canvas) return;
  SetHourglass(windows, true);
  job.PrintLineHeight = canvas->TextHeight("T");
  job.LastPrintedDate.clear();

  // Page by page from the newest call; the calls newer than a damaged
  // region are sound, so they are printed and the damage reported after.
  const CallBook book = BookShown(s.viewed);
  CallPage page;
  CallId from;
  do {
    page = program.store->ReadPage(book, from, PageDirection::kOlder, kPrintPageCalls);
    const bool notOpened = from.position < 0 && page.calls.empty() && !page.error.ok() &&
                           page.error.kind != StoreError::Kind::kDamaged;
    if (notOpened) {
      // Nothing to print: the document is left unfinished, so the printer
      // gets no empty page.
      SetHourglass(windows, false);
      return ShowStop(program, book.owner.name, LogFailureText(page.error));
    }
    for (const Call& call : page.calls) PrintCall(call.body, *canvas, job);
    if (!page.calls.empty()) from = page.calls.back().id;
  } while (page.error.ok() && page.more);
  canvas->EndDocument();
  SetHourglass(windows, false);
  if (!page.error.ok()) ShowStop(program, book.owner.name, LogFailureText(page.error));
}

}  // namespace telvo
