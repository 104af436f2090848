// mark and export: the call list's actions on one call, named as list shows
// it (OFFSET:DIGEST).

#include <map>
#include <ostream>

#include "app/log_commands.h"
#include "service/call_actions.h"

namespace telvo {
namespace {

// The call named is shown as if in the call list's first row: the call
// actions work on what the list shows, and check it against the file again
// under the exclusive lock.
int RunAction(LogSession& session, int16_t action, const std::string& identity) {
  Call call;
  if (int status = session.FindCall(identity, &call)) return status;
  SingleCallView view(std::move(call));
  const bool done = ApplyCallAction(session.program, view, 0, action);
  return done ? session.Outcome() : 1;
}

int RunMark(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 3) return session.Usage("mark needs LOG, CALL and a mark");
  static const std::map<std::string, int16_t> kActions = {{"new", kActionNew},
                                                          {"important", kActionImportant},
                                                          {"delete", kActionDelete},
                                                          {"archive", kActionArchive}};
  auto action = kActions.find(line.positional[2]);
  if (action == kActions.end())
    return session.Usage("the mark is new, important, delete or archive");
  int status = RunAction(session, action->second, line.positional[1]);
  if (status == 0) session.out << "Marked " << action->first << ".\n";
  return status;
}

int RunExport(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 2) return session.Usage("export needs LOG and CALL");
  if (!line.has("--yes")) return session.Fail("export not confirmed: add --yes");
  return RunAction(session, kActionExport, line.positional[1]);
}

}  // namespace

const LogCommand kMarkCommand = {
    "mark",
    "--person= --archive",
    "Usage: telvo-log mark LOG CALL new|important|delete|archive\n"
    "\n"
    "Writes the mark of CALL, named OFFSET:DIGEST as list shows it: new,\n"
    "important (urgent), delete (answered: the next purge drops it) or archive\n"
    "(the next purge moves it to the archive). Nothing is written when that call\n"
    "is no longer there (a purge elsewhere moved it).\n"
    "\n"
    "Options:\n"
    "      --person NAME  LOG is a workgroup list, of a shared folder or of a\n"
    "                     database: the calls of NAME in it\n"
    "      --archive      with --person: NAME's archive\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunMark,
};

const LogCommand kExportCommand = {
    "export",
    "--yes/y --person= --archive",
    "Usage: telvo-log export LOG CALL -y|--yes\n"
    "\n"
    "Appends CALL, named OFFSET:DIGEST as list shows it, as one line to EXPORT.TXT\n"
    "beside the log.\n"
    "\n"
    "Options:\n"
    "  -y, --yes      confirm the export; without it nothing is done\n"
    "      --person NAME  LOG is a workgroup list, of a shared folder or of a\n"
    "                     database: the calls of NAME in it\n"
    "      --archive      with --person: NAME's archive\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunExport,
};

}  // namespace telvo
