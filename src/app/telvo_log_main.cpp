#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <iostream>

#include "app/log_tool.h"
#include "platform/posix_env.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  telvo::TerminalText terminal;
  terminal.utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = telvo::RunLogTool(args, *telvo::DefaultEnv(), std::cout, std::cerr, terminal);
  // Results that never reached their reader (a full disk, a closed pipe)
  // are a failure like any other.
  if (!std::cout.flush()) {
    std::cerr << "telvo-log: cannot write to standard output: " << std::strerror(errno) << "\n";
    return status == 0 ? 1 : status;
  }
  return status;
}
