// check: reads the whole log and reports every damaged region.

#include <ostream>

#include "app/log_commands.h"
#include "store/log_scan.h"
#include "store/torn_tail.h"

namespace telvo {
namespace {

int RunCheck(LogSession& session) {
  if (session.line.positional.size() != 1) return session.Usage("check takes one LOG");
  int64_t length = 0;
  bool missing = false;
  std::unique_ptr<File> log = session.OpenForReading(&length, &missing);
  if (missing) {
    session.out << "0 calls, 0 bytes, no damage\n";
    return 0;
  }
  if (!log) return 1;
  int64_t calls = 0, regions = 0;
  LogScanVisitor visit;
  visit.record = [&](int64_t, std::string_view) {
    ++calls;
    return true;
  };
  visit.damage = [&](int64_t from, int64_t to) {
    ++regions;
    session.out << "damaged region at offset " << from << ": " << to - from << " bytes\n";
    return true;
  };
  Status status = ScanLog(*log, length, visit);
  log.reset();
  if (!status.ok()) return session.Fail(status);
  session.out << calls << " calls, " << length << " bytes, "
              << (regions ? std::to_string(regions) + " damaged regions" : "no damage") << "\n";
  // What repairs cut off the end (a writer killed in mid-append) is kept.
  const std::string torn = TornBytesPath(session.program.state.viewed.book.file());
  int64_t tornBytes = 0;
  if (session.program.env.FileExists(torn) &&
      session.program.env.FileLength(torn, &tornBytes).ok()) {
    session.out << tornBytes << " bytes cut from the end of torn writes are kept in "
                << session.program.env.ResolvePath(torn) << "\n";
  }
  return regions ? 1 : 0;
}

}  // namespace

const LogCommand kCheckCommand = {
    "check",
    "",
    "Usage: telvo-log check LOG\n"
    "\n"
    "Reads the whole file and reports each damaged region with its byte offset\n"
    "and length, and how many bytes repairs of torn writes cut from its end\n"
    "(kept in LOG.TORN). The exit status is 1 when the file is damaged.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunCheck,
};

}  // namespace telvo
