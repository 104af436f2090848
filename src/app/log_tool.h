#pragma once
// telvo-log: an administrator's command for one phone log or archive, built
// on the same record access and the same locks as the program, so a log can
// be inspected, repaired and scripted without the windows.

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/env.h"

namespace telvo {

struct TerminalText {
  // True when the terminal takes UTF-8; otherwise texts pass as they are.
  bool utf8 = true;
};

// Runs one command line (without the program name); returns the exit status:
// 0 success, 1 a damaged log found by check or a refused or failed command,
// 2 a usage error (an OFFSET where no call begins is one). Results go to
// `out`, every error to `err`. A failure after which the program would end
// ends the run instead, with its status; `env` is never asked to end.
int RunLogTool(const std::vector<std::string>& args, Env& env, std::ostream& out, std::ostream& err,
               TerminalText terminal = {});

}  // namespace telvo
