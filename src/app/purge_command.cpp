// purge: drops the calls marked delete and archives those marked archive.

#include <ostream>

#include "app/log_commands.h"
#include "service/purge.h"

namespace telvo {
namespace {

int RunPurge(LogSession& session) {
  if (session.line.positional.size() != 1) return session.Usage("purge takes one LOG");
  if (!session.line.has("--yes")) return session.Fail("purge not confirmed: add --yes");
  PurgeCalls(session.program);
  if (session.Outcome() == 0) session.out << "Purged.\n";
  return session.Outcome();
}

}  // namespace

const LogCommand kPurgeCommand = {
    "purge",
    "--yes/y",
    "Usage: telvo-log purge LOG -y|--yes\n"
    "\n"
    "Drops the calls marked delete. Purging a phone log (a file named MESSAGES)\n"
    "moves the calls marked archive to the ARCHIVE file beside it; purging an\n"
    "archive keeps them.\n"
    "\n"
    "Options:\n"
    "  -y, --yes      confirm the purge; without it nothing is done\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunPurge,
};

}  // namespace telvo
