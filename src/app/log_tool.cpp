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

}  // namespace

int RunLogTool(const std::vector<std::string>& args, Env& env, std::ostream& out,
               std::ostream& err, TerminalText terminal) {
  std::string error;
  std::optional<CommandLine> line = ParseCommandLine(args, &error);
  if (!line) {
    err << "telvo-log: " << error << "\n" << kLogToolUsage;
    return 2;
  }
  if (line->command.empty() || line->command == "help") {
    const bool asked = line->command == "help" || line->has("--help");
    (asked ? out : err) << kLogToolUsage;
    return asked ? 0 : 2;
  }
  const LogCommand* command = FindLogCommand(line->command);
  if (!command) {
    err << "telvo-log: unknown command " << line->command << "\n" << kLogToolUsage;
    return 2;
  }
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
