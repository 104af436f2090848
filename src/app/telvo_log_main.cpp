#include <langinfo.h>

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
  std::cout.flush();
  return status;
}
