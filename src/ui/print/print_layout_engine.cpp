#include "ui/print/print_layout_engine.h"

#include <algorithm>

#include "core/call_fields.h"
#include "core/line_wrap.h"
#include "core/marks.h"
#include "service/call_actions.h"
#include "service/store_messages.h"

namespace telvo {
namespace {

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
  return WrapLines(text, width, kPaperFit, kMaxPrintLines,
                   [&canvas](std::string_view line) { return canvas.TextWidth(line); });
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
  const CallBook book = s.viewed.book;
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
