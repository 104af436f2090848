#include "ui/about/about_box.h"

#include "ui/splash/rights_notice.h"

namespace telvo {
namespace {

// Compiled in: the version a person quotes when reporting a problem.
constexpr char kVersion[] = "1.4.5";

}  // namespace

void ShowAboutBox(Program& program, QWidget*) {
  // Two carriage returns alone make the empty line; the Qt boxes show each
  // one as a line break. 0xA9 is the copyright sign in the program's code
  // page.
  program.boxes.Show({"About  Telvo\xA9",
                      std::string("Telvo Version ") + kVersion + "\r\r" + kRightsNotice,
                      BoxIcon::kNone, BoxButtons::kOk, kAnswerOk});
}

}  // namespace telvo
