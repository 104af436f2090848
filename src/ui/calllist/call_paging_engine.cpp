#include "ui/calllist/call_paging_engine.h"

#include <algorithm>

#include "core/call_fields.h"
#include "core/line_wrap.h"
#include "service/store_messages.h"

namespace telvo {
std::vector<std::string> WrapColumn(CallCanvas& canvas, std::string_view text, double width) {
  return WrapLines(text, width, kScreenFit, kMaxColumnLines,
                   [&canvas](std::string_view line) { return canvas.TextWidth(line); });
}

void CallPagingEngine::SetBook(const CallBook& book) {
  book_ = book;
  anchored_ = false;
}

void CallPagingEngine::StartLayout() {
  y_ = kFirstRowTop;
  lineHeight_ = canvas_.LineHeight();
}

void CallPagingEngine::StopEarly() {
  anchored_ = false;
  continueRow_ = 0;
  // Nothing is known of what lies beyond: "Next" and "Previous" list anew.
  olderExist_ = newerExist_ = true;
}

void CallPagingEngine::Report(const StoreError& error) {
  if (error.kind == StoreError::Kind::kStale) {
    ShowStop(program_, "Telvo", StaleCallText(/*marking=*/false));
  } else {
    ShowStop(program_, book_.owner.name, LogFailureText(error));
  }
}

bool CallPagingEngine::StoppedBeforeAnyCall(const CallPage& page) {
  if (page.logEmpty) {
    ShowStop(program_, book_.owner.name, "No Phone Calls");
  } else if (!page.error.ok() && page.calls.empty()) {
    Report(page.error);
  } else {
    return false;
  }
  StopEarly();
  return true;
}

void CallPagingEngine::ShowEndOfCalls(const std::string& text) {
  program_.boxes.Show({"Telvo ", text, BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
}

void CallPagingEngine::ShowCallPage() {
  canvas_.Clear();
  PhoneStore& store = *program_.store;
  const CallId anchor = anchored_ ? rows_[static_cast<size_t>(continueRow_)].id : CallId{};
  CallPage page = store.ReadPage(book_, anchor, PageDirection::kOlder, kPageRows);
  if (page.error.kind == StoreError::Kind::kStale) {
    // A purge elsewhere moved the calls: list them anew from the newest.
    Report(page.error);
    anchored_ = false;
    page = store.ReadPage(book_, CallId{}, PageDirection::kOlder, kPageRows);
  }
  if (StoppedBeforeAnyCall(page)) return;
  newerExist_ = anchored_;
  StartLayout();
  int row = 0;
  continueRow_ = 0;
  size_t next = 0;
  // The page memory holds 12 rows: a thirteenth call that would still fit
  // waits for the next page.
  for (; row < kPageRows; ++next) {
    if (next == page.calls.size()) {
      if (!page.error.ok()) {
        Report(page.error);
        return StopEarly();
      }
      break;
    }
    if (!DrawCall(row, page.calls[next], /*scanOnly=*/false)) break;
    continueRow_ = row++;
  }
  olderExist_ = next < page.calls.size() || page.more || !page.error.ok();
  anchored_ = true;
}

void CallPagingEngine::ShowPreviousPage() {
  // Without an anchor the page memory may name stale positions: start anew.
  if (!anchored_) return ShowCallPage();
  CallPage page =
      program_.store->ReadPage(book_, rows_[0].id, PageDirection::kNewer, kPageRows + 1);
  if (page.error.kind == StoreError::Kind::kStale) {
    Report(page.error);
    anchored_ = false;
    return ShowCallPage();
  }
  if (StoppedBeforeAnyCall(page)) return;

  // Lay out the newer calls, oldest first, to learn how many fit above the
  // page on the screen; the call that does not fit becomes the anchor.
  StartLayout();
  int row = 0;
  for (size_t next = 0;; ++next) {
    if (next == page.calls.size()) {
      if (!page.error.ok()) {
        // The scan has overwritten the page memory: the calls on the screen
        // no longer match it.
        canvas_.Clear();
        Report(page.error);
        return StopEarly();
      }
      anchored_ = false;
      break;
    }
    const Call& call = page.calls[next];
    if (row == kPageRows) {
      // Twelve newer calls fit; this thirteenth anchors the page in the last row.
      rows_[kPageRows - 1] = call;
      break;
    }
    if (!DrawCall(row, call, /*scanOnly=*/true)) {
      ++row;  // the call that does not fit is the anchor
      break;
    }
    // The newest call fits above the page: show the newest page. When it does
    // not fit it anchors the page like any other call, so the call below it
    // is not skipped.
    if (next + 1 == page.calls.size() && !page.more && page.error.ok()) {
      anchored_ = false;
      break;
    }
    ++row;
  }
  continueRow_ = std::max(row - 1, 0);
  ShowCallPage();
}

bool CallPagingEngine::DrawCall(int row, const Call& call, bool scanOnly) {
  if (row < 0 || row >= kPageRows) return false;
  const size_t slot = static_cast<size_t>(row);
  const CallFields fields = ParseCallBody(call.body);
  const std::vector<std::string> caller = WrapColumn(canvas_, fields.caller, kCallerWrapWidth);
  const std::vector<std::string> phone = WrapColumn(canvas_, fields.phone, kPhoneWrapWidth);
  const std::vector<std::string> message = WrapColumn(canvas_, fields.message, kMessageWrapWidth);
  const size_t lines = std::max({caller.size(), phone.size(), message.size()});

  // Remembered before the fit test: a call that does not fit is the anchor
  // of "Previous".
  rows_[slot] = call;
  const double height = lineHeight_ * static_cast<double>(lines + kBlankLinesAfterCall);
  if (y_ + height > kListPageBottom && row > 0) return false;
  if (scanOnly) {
    y_ += height;
    return true;
  }

  rowTop_[slot] = y_;
  const Mark& look = MarkOf(fields.mark.empty() ? ' ' : fields.mark[0]);
  canvas_.SetTextColor(look.textColor);
  canvas_.ShowRowIcon(row, y_, look.icon);
  canvas_.DrawText(kDateColumnX, y_, fields.date + "  " + fields.time);
  for (size_t i = 0; i < lines; ++i) {
    if (i < caller.size() && !caller[i].empty()) canvas_.DrawText(kCallerColumnX, y_, caller[i]);
    if (i < phone.size() && !phone[i].empty()) canvas_.DrawText(kPhoneColumnX, y_, phone[i]);
    if (i < message.size() && !message[i].empty())
      canvas_.DrawText(kMessageColumnX, y_, message[i]);
    y_ += lineHeight_;
  }
  y_ += lineHeight_ * kBlankLinesAfterCall;
  return true;
}

void CallPagingEngine::NextPage() {
  if (!olderExist_) return ShowEndOfCalls("No more messages.");
  ShowCallPage();
}

void CallPagingEngine::PreviousPage() {
  if (!newerExist_) return ShowEndOfCalls("Beginning of messages reached.");
  ShowPreviousPage();
}

void CallPagingEngine::ShowCallsOlderThan(const Call& anchor) {
  rows_[0] = anchor;
  continueRow_ = 0;
  anchored_ = true;
  ShowCallPage();
}

void CallPagingEngine::LatestPage() {
  anchored_ = false;
  ShowCallPage();
}

const Call* CallPagingEngine::ShownCall(int row) const {
  if (row < 0 || row >= kPageRows) return nullptr;
  return &rows_[static_cast<size_t>(row)];
}

void CallPagingEngine::RedrawRow(int row, const Call& call) {
  if (row < 0 || row >= kPageRows) return;
  y_ = rowTop_[static_cast<size_t>(row)];
  lineHeight_ = canvas_.LineHeight();
  DrawCall(row, call, /*scanOnly=*/false);
}

}  // namespace telvo
