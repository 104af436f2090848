#include "app/log_commands.h"

#include <ostream>

namespace telvo {

const char* const kLogToolUsage =
    "Usage: telvo-log COMMAND LOG [ARGUMENT]... [OPTION]...\n"
    "  or:  telvo-log check-share FOLDER [SECOND_MOUNT] [--tsv]\n"
    "  or:  telvo-log db-init DATABASE\n"
    "  or:  telvo-log db-add DATABASE WORKGROUP NAME [COMPUTER] [--role ROLE]\n"
    "  or:  telvo-log audit WORKGROUP_LIST [--person NAME] [--tsv]\n"
    "  or:  telvo-log import FOLDER_LIST DATABASE_LIST\n"
    "  or:  telvo-log export-log DATABASE_LIST NAME FILE [--archive]\n"
    "  or:  telvo-log alert WORKGROUP_LIST NAME [--set TEXT ... | --remove]\n"
    "  or:  telvo-log [COMMAND] -h|--help\n"
    "  or:  telvo-log help [COMMAND]\n"
    "  or:  telvo-log -V|--version\n"
    "\n"
    "Inspects and changes one phone log (a MESSAGES file) or archive, under the\n"
    "same locks as the Telvo program, checks the mount of a shared folder, and\n"
    "prepares a PostgreSQL database for Telvo.\n"
    "Options may come before or after the arguments, as --name VALUE or\n"
    "--name=VALUE; -- ends them, so an argument after it may begin with a dash.\n"
    "Exit status: 0 done, 1 refused or failed, 2 a usage error.\n"
    "\n"
    "Commands:\n"
    "  list         the calls, newest first, a page at a time\n"
    "  post         appends a new call\n"
    "  mark         changes the mark of one call\n"
    "  purge        drops the calls marked delete, moves those marked archive\n"
    "  export       appends one call to EXPORT.TXT beside the log\n"
    "  check        walks the whole file and reports every damaged region\n"
    "  check-share  tells whether a shared folder's mount can lose calls\n"
    "  db-init      creates or updates Telvo's tables in a PostgreSQL database\n"
    "  db-add       adds a person, and their workgroup, to such a database\n"
    "  audit        lists what was done to a database workgroup's calls\n"
    "  import       brings a shared folder's workgroup into a database\n"
    "  export-log   writes a person's calls from a database as a phone log\n"
    "  alert        shows, sets or removes a person's alert\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help, or with COMMAND that command's, and exit\n"
    "  -V, --version  show the version and exit\n";

const std::vector<const LogCommand*>& LogCommands() {
  static const std::vector<const LogCommand*> commands = {
      &kListCommand,   &kPostCommand,       &kMarkCommand,   &kPurgeCommand, &kExportCommand,
      &kCheckCommand,  &kCheckShareCommand, &kDbInitCommand, &kDbAddCommand, &kAuditCommand,
      &kImportCommand, &kExportLogCommand,  &kAlertCommand};
  return commands;
}

const LogCommand* FindLogCommand(const std::string& name) {
  for (const LogCommand* command : LogCommands()) {
    if (name == command->name) return command;
  }
  return nullptr;
}

int UsageError(std::ostream& err, const std::string& problem, const LogCommand* command) {
  const std::string help = command ? command->help : kLogToolUsage;
  const std::string asked = command ? std::string(" ") + command->name : "";
  err << "telvo-log: " << problem << "\n"
      << help.substr(0, help.find("\n\n") + 1) << "Try 'telvo-log" << asked
      << " --help' for more information.\n";
  return 2;
}

}  // namespace telvo
