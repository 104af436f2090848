#include "core/program.h"

#include <cstdlib>

namespace telvo {

std::string WindowsDir(Program& program) {
  std::string dir = program.env.WindowsDir();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

void ShowError(Program& program) {
  ProgramState& s = program.state;
  s.BoxAnswer = program.boxes.Show({s.BoxTitle, s.BoxText, BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
}

int AskYesNo(Program& program) {
  ProgramState& s = program.state;
  s.BoxAnswer = program.boxes.Show(
      {s.BoxTitle, s.BoxText, BoxIcon::kQuestion, BoxButtons::kYesNo, kAnswerNo});
  return s.BoxAnswer;
}

void ShowNotice(Program& program, const std::string& caption, const std::string& text,
                BoxIcon icon) {
  program.boxes.Show({caption, text, icon, BoxButtons::kOk, kAnswerOk});
}

void ShowStop(Program& program, const std::string& caption, const std::string& text) {
  ShowNotice(program, caption, text, BoxIcon::kStop);
}

void FatalFileError(Program& program) {
  ProgramState& s = program.state;
  s.NoticeText += "\nPlease call technical support. Unknown error  " +
                  std::to_string(s.ErrorNumber) + "\nProgram Ending";
  ShowNotice(program, "Telvo", s.NoticeText);
  program.env.EndProgram(1);
  std::abort();  // not reached: every Env ends the program
}

}  // namespace telvo
