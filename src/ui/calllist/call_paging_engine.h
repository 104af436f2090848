#pragma once
// Lists the calls of the log in CurrentLogPath newest first, one page at a
// time, onto a CallCanvas, and keeps the page memory (PageStart, PageText,
// PageRowTop) that "Next", "Previous" and the call actions rely on. Only the
// records of the page shown are read, at the remembered positions, so a page
// costs the same whatever the size of the file.

#include <string>
#include <string_view>
#include <vector>

#include "core/program.h"
#include "store/call_actions.h"
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
inline constexpr int kMaxColumnLines = 31;
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

  // Lists one page: from the newest call while PagingActive is 0, else the
  // calls older than the one in row ContinueRow.
  void ShowCallPage();
  // Lists the calls newer than the one in row 0.
  void ShowPreviousPage();
  // Lays out the call in RecordText (its record begins at ReadPos) as row
  // PageRow; draws it unless `scanOnly`. Sets PageFull instead when it does
  // not fit below the rows above.
  void DrawCall(bool scanOnly);

  // The window's "Next", "Previous" and "Latest" buttons.
  void NextPage();
  void PreviousPage();
  void LatestPage();

  // CallPageView
  void RedrawRow() override;
  void ShowNewestPage() override { LatestPage(); }

 private:
  void StartLayout();
  // The open log, or null when it cannot be opened or holds no call (the
  // screen then says so and the listing has stopped).
  std::unique_ptr<File> OpenCallsToList();
  // A listing that ends before its page is complete leaves no anchor behind.
  void StopEarly();
  void ShowNoPhoneCalls();
  void ShowEndOfCalls(const std::string& text);

  Program& program_;
  CallCanvas& canvas_;
  double y_ = kFirstRowTop;
  double lineHeight_ = 0;
};

}  // namespace telvo
