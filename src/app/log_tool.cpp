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
  LogSession session(line, toolEnv, out, err, terminal);
  try {
    const int status = session.ready() ? session.ready() : command.run(session);
    session.boxes.FinishAsResults();
    return status;
  } catch (const ProgramEnded& ended) {
    session.boxes.FinishAsErrors();
    return ended.status;
  }
}

// The command a refused line names, if any, whose usage then follows the
// complaint.
const LogCommand* CommandOf(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (!arg.empty() && arg[0] != '-') return FindLogCommand(arg);
  }
  return nullptr;
}

}  // namespace

int RunLogTool(const std::vector<std::string>& args, Env& env, std::ostream& out, std::ostream& err,
               TerminalText terminal) {
  const auto optionsOf = [](const std::string& name) -> const char* {
    if (name == "help") return "";
    const LogCommand* command = FindLogCommand(name);
    return command ? command->options : nullptr;
  };
  std::string error;
  std::optional<CommandLine> line = ParseCommandLine(args, optionsOf, &error);
  if (!line) return UsageError(err, error, CommandOf(args));
  if (line->has("--version")) {
    out << "telvo-log " << kLogToolVersion << "\n";
    return 0;
  }
  if (line->command.empty()) {
    // Nothing asked for: the list of commands is the most useful answer.
    (line->has("--help") ? out : err) << kLogToolUsage;
    return line->has("--help") ? 0 : 2;
  }
  if (line->command == "help") {
    if (line->positional.size() > 1) return UsageError(err, "help takes one COMMAND", nullptr);
    const LogCommand* asked =
        line->positional.empty() ? nullptr : FindLogCommand(line->positional[0]);
    if (!line->positional.empty() && !asked)
      return UsageError(err, "unknown command " + line->positional[0], nullptr);
    out << (asked ? asked->help : kLogToolUsage);
    return 0;
  }
  const LogCommand* command = FindLogCommand(line->command);
  if (line->has("--help")) {
    out << command->help;
    return 0;
  }
  if (command->runWithoutLog) return command->runWithoutLog(*line, out, err, terminal);
  if (line->positional.empty()) return UsageError(err, "the LOG argument is missing", command);
  return Run(*command, *line, env, out, err, terminal);
}

}  // namespace telvo
