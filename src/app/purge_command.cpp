// purge: drops the calls marked delete and archives those marked archive.

#include <ostream>

#include "app/log_commands.h"
#include "service/call_actions.h"
#include "service/purge.h"
#include "service/store_messages.h"

namespace telvo {
namespace {

int RunPurge(LogSession& session) {
  if (session.line.positional.size() != 1) return session.Usage("purge takes one LOG");
  if (!session.line.has("--yes")) return session.Fail("purge not confirmed: add --yes");
  const PurgeResult result = session.store().Purge(session.book());
  const std::string& owner = session.owner.name;
  if (result.ok()) {
    if (!result.unsynced.ok()) return session.Stop(owner, PurgeUnsyncedText(result.unsynced));
    session.out << "Purged.\n";
    return 0;
  }
  if (result.failure == PurgeResult::Failure::kWorkFile ||
      result.failure == PurgeResult::Failure::kArchiveFile) {
    EndPurge(session.program, result);
  }
  session.Stop(owner, PurgeFailureText(result));
  if (!result.undoError.ok()) session.Stop(owner, PurgeUndoFailureText(result.undoError));
  return 1;
}

}  // namespace

const LogCommand kPurgeCommand = {
    "purge",
    "--yes/y --person= --archive",
    "Usage: telvo-log purge LOG -y|--yes\n"
    "\n"
    "Drops the calls marked delete. Purging a phone log (a file named MESSAGES)\n"
    "moves the calls marked archive to the ARCHIVE file beside it; purging an\n"
    "archive keeps them.\n"
    "\n"
    "Options:\n"
    "  -y, --yes      confirm the purge; without it nothing is done\n"
    "      --person NAME  LOG is a workgroup list, of a shared folder or of a\n"
    "                     database: the calls of NAME in it\n"
    "      --archive      with --person: NAME's archive\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunPurge,
};

}  // namespace telvo
