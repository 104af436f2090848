#pragma once
// telvo-log's commands: each has its usage text and the function that runs
// it, in a file of its own.

#include <iosfwd>
#include <string>

#include "app/log_session.h"

namespace telvo {

struct LogCommand {
  const char* name;
  const char* options;  // as ParseCommandLine reads them
  const char* help;
  int (*run)(LogSession& session);  // returns the exit status
  // Instead of `run`, for a command on a shared folder rather than a log:
  // it has no log to open and no program to speak through.
  int (*runOnFolder)(const CommandLine& line, std::ostream& out, std::ostream& err) = nullptr;
};

extern const LogCommand kListCommand;
extern const LogCommand kPostCommand;
extern const LogCommand kMarkCommand;
extern const LogCommand kPurgeCommand;
extern const LogCommand kExportCommand;
extern const LogCommand kCheckCommand;
extern const LogCommand kCheckShareCommand;

// The program's version, the About box's.
inline constexpr char kLogToolVersion[] = "1.4.5";

// The tool's own usage text.
extern const char* const kLogToolUsage;

// The command called `name`, or null.
const LogCommand* FindLogCommand(const std::string& name);

}  // namespace telvo
