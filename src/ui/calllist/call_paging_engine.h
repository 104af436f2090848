#pragma once
// Lists a person's calls newest first, one page at a time, onto a
// CallCanvas, and keeps the page memory that "Next", "Previous" and the call
// actions rely on. Only the calls of the page shown are read, next to the
// remembered ones, so a page costs the same whatever the number of calls.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/program.h"
#include "service/call_actions.h"
#include "store/phone_store.h"
#include "ui/calllist/call_canvas.h"

namespace telvo {

// Layout of a page, in the canvas' 100 x 100 units.
inline constexpr double kFirstRowTop = 7;
inline constexpr double kDateColumnX = 5;
inline constexpr double kCallerColumnX = 29;
inline constexpr double kPhoneColumnX = 52;
inline constexpr double kMessageColumnX = 67;
inline constexpr double kCallerWrapWidth = 20;
inline constexpr double kPhoneWrapWidth = 15;
inline constexpr double kMessageWrapWidth = 33;
inline constexpr size_t kMaxColumnLines = 31;
inline constexpr int kBlankLinesAfterCall = 2;
// A call fits while its bottom, blank lines included, is at most this.
inline constexpr double kListPageBottom = 110;

// Breaks one column's text into at most kMaxColumnLines lines no wider than
// `width` (a text narrower than width + 1 stays whole): at blanks where
// possible, inside a word that alone is too wide, and at every CR LF.
std::vector<std::string> WrapColumn(CallCanvas& canvas, std::string_view text, double width);

class CallPagingEngine : public CallPageView {
 public:
  CallPagingEngine(Program& program, CallCanvas& canvas) : program_(program), canvas_(canvas) {}

  // Whose calls are listed from now on; the next page starts from the newest.
  void SetBook(const CallBook& book);
  const CallBook& book() const { return book_; }

  // Lists one page: from the newest call when no page is anchored, else the
  // calls older than the anchor.
  void ShowCallPage();
  // Lists the calls newer than the one in row 0.
  void ShowPreviousPage();
  // Lists the calls older than `anchor`, as "Next" does when `anchor` is the
  // last call on the screen.
  void ShowCallsOlderThan(const Call& anchor);

  // The window's "Next", "Previous" and "Latest" buttons.
  void NextPage();
  void PreviousPage();
  void LatestPage();

  // CallPageView
  const Call* ShownCall(int row) const override;
  void RedrawRow(int row, const Call& call) override;
  void ShowNewestPage() override { LatestPage(); }

 private:
  void StartLayout();
  // Lays out `call` as row `row` (remembering it there even when it does not
  // fit, as the anchor of "Previous") and draws it unless `scanOnly`. False
  // when it does not fit below the rows above.
  bool DrawCall(int row, const Call& call, bool scanOnly);
  // A listing that ends before its page is complete leaves no anchor behind.
  void StopEarly();
  void Report(const StoreError& error);
  // An empty log, or one that could not be read at all, says so and ends
  // the listing: true then.
  bool StoppedBeforeAnyCall(const CallPage& page);
  void ShowEndOfCalls(const std::string& text);

  Program& program_;
  CallCanvas& canvas_;
  CallBook book_;
  double y_ = kFirstRowTop;
  double lineHeight_ = 0;

  // Page memory: the calls shown, each as it was read, and where each row
  // was drawn; "Next", "Previous" and the call actions rely on it.
  std::array<Call, kPageRows> rows_{};
  std::array<double, kPageRows> rowTop_{};
  // The page memory is a valid anchor for "Next" and "Previous".
  bool anchored_ = false;
  // The row of the oldest call drawn (the anchor for "Next").
  int continueRow_ = 0;
  // Calls lie beyond the page: older than the anchor, newer than row 0.
  bool olderExist_ = false;
  bool newerExist_ = false;
};

}  // namespace telvo
