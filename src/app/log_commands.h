#pragma once
// telvo-log's commands: each has its help text and the function that runs
// it, in a file of its own. A help text is a usage line, a blank line, a
// description, a blank line and one line per option, the form from which
// manual pages are generated.

#include <iosfwd>
#include <string>
#include <vector>

#include "app/log_session.h"

namespace telvo {

struct LogCommand {
  const char* name;
  const char* options;  // as ParseCommandLine reads them
  const char* help;
  int (*run)(LogSession& session);  // returns the exit status
  // Instead of `run`, for a command on a shared folder or a database rather
  // than a log: it has no log to open and no program to speak through.
  int (*runWithoutLog)(const CommandLine& line, std::ostream& out, std::ostream& err,
                       TerminalText terminal) = nullptr;
};

extern const LogCommand kListCommand;
extern const LogCommand kPostCommand;
extern const LogCommand kMarkCommand;
extern const LogCommand kPurgeCommand;
extern const LogCommand kExportCommand;
extern const LogCommand kCheckCommand;
extern const LogCommand kCheckShareCommand;
extern const LogCommand kDbInitCommand;
extern const LogCommand kDbAddCommand;
extern const LogCommand kAuditCommand;
extern const LogCommand kImportCommand;
extern const LogCommand kExportLogCommand;
extern const LogCommand kAlertCommand;

// The program's version, the About box's.
inline constexpr char kLogToolVersion[] = "1.4.5";

// The tool's own usage text.
extern const char* const kLogToolUsage;

// Every command, in the order the tool's usage lists them.
const std::vector<const LogCommand*>& LogCommands();
// The command called `name`, or null.
const LogCommand* FindLogCommand(const std::string& name);

// Says a usage error as GNU tools say one: the problem, the usage lines of
// `command`'s help (the tool's for null) and where the rest of the help is,
// so the complaint is not lost above a screenful of text. Returns 2.
int UsageError(std::ostream& err, const std::string& problem, const LogCommand* command);

}  // namespace telvo
