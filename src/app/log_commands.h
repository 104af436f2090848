#pragma once
// telvo-log's commands: each has its usage text and the function that runs
// it, in a file of its own.

#include <string>

#include "app/log_session.h"

namespace telvo {

struct LogCommand {
  const char* name;
  const char* help;
  int (*run)(LogSession& session);  // returns the exit status
};

extern const LogCommand kListCommand;
extern const LogCommand kPostCommand;
extern const LogCommand kMarkCommand;
extern const LogCommand kPurgeCommand;
extern const LogCommand kExportCommand;
extern const LogCommand kCheckCommand;

// The tool's own usage text.
extern const char* const kLogToolUsage;

// The command called `name`, or null.
const LogCommand* FindLogCommand(const std::string& name);

}  // namespace telvo
