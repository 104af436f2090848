#include "app/log_commands.h"

namespace telvo {

const char* const kLogToolUsage =
    "usage: telvo-log COMMAND LOG [ARGUMENTS]\n"
    "       telvo-log check-share FOLDER [SECOND_MOUNT] [--tsv]\n"
    "       telvo-log -h|--help | -V|--version\n"
    "Inspects and changes one phone log (a MESSAGES file) or archive, under the\n"
    "same locks as the Telvo program, and checks the mount of a shared folder.\n"
    "\n"
    "commands:\n"
    "  list    the calls, newest first, a page at a time\n"
    "  post    appends a new call\n"
    "  mark    changes the mark of one call\n"
    "  purge   drops the calls marked delete, moves those marked archive\n"
    "  export  appends one call to EXPORT.TXT beside the log\n"
    "  check   walks the whole file and reports every damaged region\n"
    "  check-share  tells whether a shared folder's mount can lose calls\n"
    "\n"
    "telvo-log COMMAND --help describes a command. Options may come before or\n"
    "after the arguments, as --name VALUE or --name=VALUE; -- ends them, so an\n"
    "argument after it may begin with a dash. Exit status: 0 done, 1 refused or\n"
    "failed, 2 a usage error.\n";

const LogCommand* FindLogCommand(const std::string& name) {
  for (const LogCommand* command : {&kListCommand, &kPostCommand, &kMarkCommand, &kPurgeCommand,
                                    &kExportCommand, &kCheckCommand, &kCheckShareCommand}) {
    if (name == command->name) return command;
  }
  return nullptr;
}

}  // namespace telvo
