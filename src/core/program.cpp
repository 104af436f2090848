#include "core/program.h"

#include <cstdlib>

namespace telvo {

std::string WindowsDir(Program& program) {
  std::string dir = program.env.WindowsDir();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

int AskYesNo(Program& program, const std::string& caption, const std::string& text) {
  return program.boxes.Show({caption, text, BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo});
}

void ShowNotice(Program& program, const std::string& caption, const std::string& text,
                BoxIcon icon) {
  program.boxes.Show({caption, text, icon, BoxButtons::kOk, kAnswerOk});
}

void ShowStop(Program& program, const std::string& caption, const std::string& text) {
  ShowNotice(program, caption, text, BoxIcon::kStop);
}

void FatalFileError(Program& program, const std::string& notice, int code) {
  ShowNotice(program, "Telvo",
             notice + "\nPlease call technical support. Unknown error  " + std::to_string(code) +
                 "\nProgram Ending");
  program.env.EndProgram(1);
  std::abort();  // not reached: every Env ends the program
}

}  // namespace telvo
