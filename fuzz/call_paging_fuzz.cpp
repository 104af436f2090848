// The call list's paging engine over arbitrary file bytes, with a font of
// fuzzed size and the log cut short or grown between pages as other
// workstations would. No sequence of Latest, Next and Previous crashes; every
// page lists calls that the file holds where the page memory says, newest
// first, one after the other; and on a sound file, Next from the newest page
// visits every call once, while Previous from the last page moves to newer
// calls with every page, shows every call, and ends at the newest page.
// (Previous fills each page from below, so where calls differ in height its
// pages need not be those that Next showed.)

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <map>

#include "fuzz_support.h"
#include "store/phone_log.h"
#include "ui/calllist/call_paging_engine.h"

namespace telvo::fuzz {
namespace {

const std::string kLog = "\\P\\ANN\\MESSAGES";

// Characters of one width and lines of one height, both fuzzed; only the
// rows that got an icon are remembered.
class RecordingCanvas : public CallCanvas {
 public:
  RecordingCanvas(double charWidth, double lineHeight)
      : charWidth_(charWidth), lineHeight_(lineHeight) {}
  void Clear() override { rows.clear(); }
  double TextWidth(std::string_view text) override {
    return charWidth_ * static_cast<double>(text.size());
  }
  double LineHeight() override { return lineHeight_; }
  void SetTextColor(int) override {}
  void DrawText(double, double, std::string_view) override {}
  void ShowRowIcon(int row, double, CallIcon) override {
    Require(row >= 0 && row < kPageRows, "icons belong to the twelve rows");
    rows[row] = true;
  }
  std::map<int, bool> rows;

 private:
  double charWidth_, lineHeight_;
};

using Page = std::vector<int64_t>;  // the starts of the calls shown, top down

// The calls on the screen are the file's, newest first, as remembered.
Page CheckShownPage(const CallPagingEngine& engine, const RecordingCanvas& canvas,
                    std::string_view file) {
  Page page;
  for (const auto& [row, shown] : canvas.rows) {
    Require(row == static_cast<int>(page.size()), "rows are shown from the top without gaps");
    const int64_t start = engine.ShownCall(row)->id.position;
    const std::string& body = engine.ShownCall(row)->body;
    Require(start >= 0 && static_cast<size_t>(start) < file.size() &&
                file.substr(static_cast<size_t>(start), body.size() + 4) == FrameRecord(body),
            "a shown call is the record at its remembered offset");
    Require(page.empty() || start + static_cast<int64_t>(body.size()) + 4 == page.back(),
            "a page lists the calls just older than the one above it");
    page.push_back(start);
  }
  return page;
}

}  // namespace
}  // namespace telvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace telvo;
  using namespace telvo::fuzz;
  FuzzedDataProvider input(data, size);
  const double charWidth = input.ConsumeIntegralInRange<int>(1, 16) / 4.0;
  const double lineHeight = input.ConsumeIntegralInRange<int>(1, 60) / 2.0;
  const std::string steps = input.ConsumeRandomLengthString(24);
  const std::string before = input.ConsumeRemainingBytesAsString();

  FuzzProgram p;
  p.env.Put(kLog, before);
  RecordingCanvas canvas(charWidth, lineHeight);
  CallPagingEngine engine(p.program, canvas);
  engine.SetBook({{.name = "Ann", .log = kLog}});
  std::string& file = *p.env.files.at(kLog);

  for (const char step : steps) {
    const size_t boxes = p.boxes.shown().size();
    const int kind = static_cast<unsigned char>(step) % 5;
    switch (kind) {
      case 0:
        engine.LatestPage();
        break;
      case 1:
        engine.NextPage();
        break;
      case 2:
        engine.PreviousPage();
        break;
      // Another workstation purges the log shorter, or posts a call.
      case 3:
        file.resize(file.size() / 2);
        break;
      case 4:
        file += FrameRecord(std::string(1 + file.size() % 40, '\x01'));
        break;
    }
    if (p.boxes.shown().size() == boxes && kind < 3) CheckShownPage(engine, canvas, file);
  }

  // Page down from the newest call and back up again on a sound file.
  const FrontWalk walk = WalkFromFront(file);
  if (!walk.clean(file) || walk.calls.empty()) return 0;
  std::vector<Page> down, up;
  p.boxes.Clear();
  for (engine.LatestPage(); p.boxes.shown().empty(); engine.NextPage()) {
    down.push_back(CheckShownPage(engine, canvas, file));
    Require(down.size() <= walk.calls.size(), "paging down ends");
  }
  Require(p.boxes.last().text == "No more messages.", "paging down ends at the oldest call");
  Page seen;
  for (const Page& page : down) seen.insert(seen.end(), page.begin(), page.end());
  Require(seen.size() == walk.calls.size(), "paging down shows every call once");
  for (size_t i = 0; i < seen.size(); ++i)
    Require(seen[i] == walk.calls[walk.calls.size() - 1 - i].start,
            "paging down shows the calls newest first");
  p.boxes.Clear();
  std::vector<bool> shownUp(walk.calls.size());
  for (; p.boxes.shown().empty(); engine.PreviousPage()) {
    const Page page = CheckShownPage(engine, canvas, file);
    Require(!page.empty() && (up.empty() || page.front() > up.back().front()),
            "each page up shows a newer call than the one before");
    for (size_t i = 0; i < walk.calls.size(); ++i)
      if (walk.calls[i].start >= page.back() && walk.calls[i].start <= page.front())
        shownUp[i] = true;
    up.push_back(page);
    Require(up.size() <= walk.calls.size() + 1, "paging up ends");
  }
  Require(p.boxes.last().text == "Beginning of messages reached.",
          "paging up ends at the newest call");
  Require(up.back().front() == walk.calls.back().start, "paging up ends at the newest page");
  Require(std::find(shownUp.begin(), shownUp.end(), false) == shownUp.end(),
          "paging up shows every call");
  return 0;
}
