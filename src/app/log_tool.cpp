#include "app/log_tool.h"

#include <ostream>

#include "app/command_line.h"
#include "app/log_commands.h"

namespace telvo {
namespace {

struct ProgramEnded {
  int status;
};

// The store ends the program outright after a failure it cannot recover
// from (a purge that cannot open its work file). The tool ends through
// RunLogTool's return instead, so the box shown just before is known to be
// an error, and a caller that runs the tool as a library goes on running.
class ToolEnv : public EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;
  [[noreturn]] void EndProgram(int exitStatus) override { throw ProgramEnded{exitStatus}; }
};

int Run(const LogCommand& command, const CommandLine& line, Env& env, std::ostream& out,
        std::ostream& err, TerminalText terminal) {
  ToolEnv toolEnv(&env);
  LogSession session(line, command.help, toolEnv, out, err, terminal);
  try {
    const int status = command.run(session);
    session.boxes.FinishAsResults();
    return status;
  } catch (const ProgramEnded& ended) {
    session.boxes.FinishAsErrors();
    return ended.status;
  }
}

// The usage of the command a refused line names, else the tool's own.
const char* UsageFor(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg.empty() || arg[0] == '-') continue;
    const LogCommand* command = FindLogCommand(arg);
    return command ? command->help : kLogToolUsage;
  }
  return kLogToolUsage;
}

}  // namespace

int RunLogTool(const std::vector<std::string>& args, Env& env, std::ostream& out,
               std::ostream& err, TerminalText terminal) {
  const auto optionsOf = [](const std::string& name) -> const char* {
    if (name == "help") return "";
    const LogCommand* command = FindLogCommand(name);
    return command ? command->options : nullptr;
  };
  std::string error;
  std::optional<CommandLine> line = ParseCommandLine(args, optionsOf, &error);
  if (!line) {
    err << "telvo-log: " << error << "\n" << UsageFor(args);
    return 2;
  }
  if (line->has("--version")) {
    out << "telvo-log " << kLogToolVersion << "\n";
    return 0;
  }
  if (line->command.empty() || line->command == "help") {
    const bool asked = line->command == "help" || line->has("--help");
    (asked ? out : err) << kLogToolUsage;
    return asked ? 0 : 2;
  }
  const LogCommand* command = FindLogCommand(line->command);
  if (line->has("--help")) {
    out << command->help;
    return 0;
  }
  if (command->runOnFolder) return command->runOnFolder(*line, out, err);
  if (line->positional.empty()) {
    err << "telvo-log: the LOG argument is missing\n" << command->help;
    return 2;
  }
  return Run(*command, *line, env, out, err, terminal);
}

}  // namespace telvo
