#include "ui/calllist/call_paging_engine.h"

#include <algorithm>
#include <memory>

#include "store/phone_log.h"

namespace telvo {
namespace {

constexpr size_t kNoBlank = std::string_view::npos;

// The longest prefix that ends just before a blank and is no wider than
// `width`, or kNoBlank. Widths grow with the prefix, so the first prefix that
// is too wide ends the search.
size_t PrefixBeforeBlank(CallCanvas& canvas, std::string_view text, double width) {
  size_t best = kNoBlank;
  for (size_t blank = text.find(' '); blank != kNoBlank; blank = text.find(' ', blank + 1)) {
    if (canvas.TextWidth(text.substr(0, blank)) > width) break;
    best = blank;
  }
  return best;
}

// The longest run of leading characters no wider than `width`; at least one
// character, so a font too large for the column still makes progress.
size_t LeadingRun(CallCanvas& canvas, std::string_view text, double width) {
  size_t length = 1;
  while (length < text.size() && canvas.TextWidth(text.substr(0, length + 1)) <= width) ++length;
  return length;
}

void ReportUnreadable(Program& program, const RecordRead& read) {
  if (read.outcome == ReadOutcome::kFailed) {
    ReportLogFailure(program, read.status);
  } else {
    ReportLogDamage(program, read.damageAt);
  }
}

}  // namespace

std::vector<std::string> WrapColumn(CallCanvas& canvas, std::string_view text, double width) {
  std::vector<std::string> lines;
  std::string_view rest = text;
  do {
    size_t length;    // of the line's text
    size_t consumed;  // of `rest`, the dropped blank included
    if (canvas.TextWidth(rest) < width + 1) {
      length = consumed = rest.size();
    } else if (size_t blank = PrefixBeforeBlank(canvas, rest, width); blank != kNoBlank) {
      length = blank;
      consumed = blank + 1;
    } else {
      length = consumed = LeadingRun(canvas, rest, width);
    }
    // A line break inside the line ends it there; everything after the pair,
    // a blank dropped above included, is wrapped anew. A pair that a cut
    // inside a word split in two counts as inside.
    const size_t pair = rest.substr(0, length + 1).find("\r\n");
    if (pair != kNoBlank && pair < length) {
      length = pair;
      consumed = pair + 2;
    }
    lines.emplace_back(rest.substr(0, length));
    rest.remove_prefix(consumed);
  } while (!rest.empty() && lines.size() < static_cast<size_t>(kMaxColumnLines));
  return lines;
}

void CallPagingEngine::StartLayout() {
  y_ = kFirstRowTop;
  lineHeight_ = canvas_.LineHeight();
  program_.state.PageFull = 0;
}

void CallPagingEngine::StopEarly() {
  program_.state.PagingActive = 0;
  program_.state.ContinueRow = 0;
}

void CallPagingEngine::ShowNoPhoneCalls() {
  ShowStop(program_, program_.state.CurrentLogOwner, "No Phone Calls");
  StopEarly();
}

void CallPagingEngine::ShowEndOfCalls(const std::string& text) {
  ProgramState& s = program_.state;
  s.BoxTitle = "Telvo ";
  s.BoxText = text;
  ShowError(program_);
}

std::unique_ptr<File> CallPagingEngine::OpenCallsToList() {
  ProgramState& s = program_.state;
  s.FileError = 0;
  std::unique_ptr<File> log = OpenPhoneLog(program_);
  if (!log) {
    StopEarly();
  } else if (s.LogLength < 1) {
    log.reset();
    ShowNoPhoneCalls();
  }
  return log;
}

void CallPagingEngine::ShowCallPage() {
  ProgramState& s = program_.state;
  canvas_.Clear();
  std::unique_ptr<File> log = OpenCallsToList();
  if (!log) return;
  if (s.PagingActive) {
    int row = s.ContinueRow;
    if (!VerifyDisplayedRecord(program_, log, row, /*fromMarking=*/false)) {
      s.PagingActive = 0;
      // The purge that failed the check may have emptied the log.
      log = OpenCallsToList();
      if (!log) return;
    }
  }
  if (!s.PagingActive) {
    // The end of the file stands in for a call just newer than the newest.
    s.ContinueRow = 0;
    s.PageStart[0] = s.LogLength;
  }
  s.ReadPos = s.PageStart[static_cast<size_t>(s.ContinueRow)];
  StartLayout();
  s.PageRow = 0;
  s.ContinueRow = 0;
  // The page memory holds 12 rows: a thirteenth call that would still fit
  // waits for the next page.
  while (!s.PageFull && s.PageRow < kPageRows) {
    RecordRead read = ReadRecordBefore(*log, s.LogLength, s.ReadPos);
    if (read.outcome == ReadOutcome::kNone) break;  // the first call of the file is shown
    if (read.outcome != ReadOutcome::kRecord) {
      log.reset();
      ReportUnreadable(program_, read);
      return StopEarly();
    }
    s.RecordText = std::move(read.record.body);
    s.ReadPos = read.record.start;
    DrawCall(/*scanOnly=*/false);
    if (!s.PageFull) {
      s.ContinueRow = s.PageRow;
      ++s.PageRow;
    }
  }
  s.PagingActive = 1;
}

void CallPagingEngine::ShowPreviousPage() {
  ProgramState& s = program_.state;
  std::unique_ptr<File> log = OpenCallsToList();
  if (!log) return;
  // Without an anchor the page memory may name stale positions: start anew.
  if (!s.PagingActive) {
    log.reset();
    return ShowCallPage();
  }
  int row = 0;
  if (!VerifyDisplayedRecord(program_, log, row, /*fromMarking=*/false)) {
    s.PagingActive = 0;
    return ShowCallPage();
  }

  // Lay out the newer calls, oldest first, to learn how many fit above the
  // page on the screen; the call that does not fit becomes the anchor.
  int64_t next = s.PageStart[0] + static_cast<int64_t>(s.PageText[0].size()) + 4;
  StartLayout();
  s.PageRow = 0;
  while (!s.PageFull) {
    RecordRead read = ReadRecordAt(*log, s.LogLength, next);
    if (read.outcome == ReadOutcome::kNone) {
      s.PagingActive = 0;
      break;
    }
    if (read.outcome != ReadOutcome::kRecord) {
      log.reset();
      // The scan has overwritten the page memory: the calls on the screen no
      // longer match it.
      canvas_.Clear();
      ReportUnreadable(program_, read);
      return StopEarly();
    }
    next = read.record.end();
    s.RecordText = std::move(read.record.body);
    s.ReadPos = read.record.start;
    if (s.PageRow == kPageRows) {
      // Twelve newer calls fit; this thirteenth anchors the page in the last row.
      s.PageStart[kPageRows - 1] = s.ReadPos;
      s.PageText[kPageRows - 1] = s.RecordText;
      break;
    }
    DrawCall(/*scanOnly=*/true);
    // The newest call fits above the page: show the newest page. When it does
    // not fit it anchors the page like any other call, so the call below it
    // is not skipped.
    if (!s.PageFull && next >= s.LogLength) {
      s.PagingActive = 0;
      break;
    }
    ++s.PageRow;
  }
  log.reset();
  s.ContinueRow = static_cast<int16_t>(std::max(s.PageRow - 1, 0));
  ShowCallPage();
}

void CallPagingEngine::DrawCall(bool scanOnly) {
  ProgramState& s = program_.state;
  if (s.PageRow < 0 || s.PageRow >= kPageRows) {
    s.PageFull = 1;
    return;
  }
  const size_t row = static_cast<size_t>(s.PageRow);
  ParseRecord(s);
  const std::vector<std::string> caller = WrapColumn(canvas_, s.RecCaller, kCallerWrapWidth);
  const std::vector<std::string> phone = WrapColumn(canvas_, s.RecPhone, kPhoneWrapWidth);
  const std::vector<std::string> message = WrapColumn(canvas_, s.RecMessage, kMessageWrapWidth);
  const size_t lines = std::max({caller.size(), phone.size(), message.size()});

  // Remembered before the fit test: a call that does not fit is the anchor
  // of "Previous".
  s.PageStart[row] = s.ReadPos;
  s.PageText[row] = s.RecordText;
  const double height = lineHeight_ * static_cast<double>(lines + kBlankLinesAfterCall);
  if (y_ + height > kListPageBottom && s.PageRow > 0) {
    s.PageFull = 1;
    return;
  }
  if (scanOnly) {
    y_ += height;
    return;
  }

  s.PageRowTop[row] = y_;
  const Mark& look = MarkOf(s.RecMark.empty() ? ' ' : s.RecMark[0]);
  canvas_.SetTextColor(look.textColor);
  canvas_.ShowRowIcon(s.PageRow, y_, look.icon);
  canvas_.DrawText(kDateColumnX, y_, s.RecDate + "  " + s.RecTime);
  for (size_t i = 0; i < lines; ++i) {
    if (i < caller.size() && !caller[i].empty()) canvas_.DrawText(kCallerColumnX, y_, caller[i]);
    if (i < phone.size() && !phone[i].empty()) canvas_.DrawText(kPhoneColumnX, y_, phone[i]);
    if (i < message.size() && !message[i].empty())
      canvas_.DrawText(kMessageColumnX, y_, message[i]);
    y_ += lineHeight_;
  }
  y_ += lineHeight_ * kBlankLinesAfterCall;
}

void CallPagingEngine::NextPage() {
  ProgramState& s = program_.state;
  if (s.ContinueRow < 0 || s.ContinueRow >= kPageRows) s.ContinueRow = 0;
  if (s.PageStart[static_cast<size_t>(s.ContinueRow)] == 0) {
    return ShowEndOfCalls("No more messages.");
  }
  ShowCallPage();
}

void CallPagingEngine::PreviousPage() {
  ProgramState& s = program_.state;
  if (s.PageStart[0] + static_cast<int64_t>(s.PageText[0].size()) + 4 >= s.LogLength) {
    return ShowEndOfCalls("Beginning of messages reached.");
  }
  ShowPreviousPage();
}

void CallPagingEngine::LatestPage() {
  program_.state.PagingActive = 0;
  ShowCallPage();
}

void CallPagingEngine::RedrawRow() {
  const int row = program_.state.PageRow;
  if (row < 0 || row >= kPageRows) return;
  y_ = program_.state.PageRowTop[static_cast<size_t>(row)];
  lineHeight_ = canvas_.LineHeight();
  DrawCall(/*scanOnly=*/false);
}

}  // namespace telvo
