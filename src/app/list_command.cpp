// list: a page of calls, newest first, as the call list pages through them.

#include <algorithm>
#include <climits>
#include <ostream>

#include "app/log_commands.h"
#include "core/call_fields.h"
#include "core/marks.h"
#include "service/store_messages.h"

namespace telvo {
namespace {

constexpr int64_t kPageCalls = 12;
constexpr int64_t kPieceCalls = 256;

void PrintTsv(LogSession& session, const Call& record, const CallFields& call) {
  session.out << record.id.ToText() << '\t' << MarkName(call.mark.empty() ? 0 : call.mark[0]);
  for (const std::string* field :
       {&call.date, &call.time, &call.caller, &call.phone, &call.message})
    session.out << '\t' << session.boxes.ForTerminal(TsvField(*field));
  session.out << '\n';
}

void PrintForPeople(LogSession& session, const Call& record, const CallFields& call) {
  const ConsoleBoxes& t = session.boxes;
  session.out << "call " << record.id.ToText() << "  "
              << MarkName(call.mark.empty() ? 0 : call.mark[0]) << "  " << t.ForTerminal(call.date)
              << "  " << t.ForTerminal(call.time) << "\n"
              << "  caller:  " << t.ForTerminal(call.caller) << "\n"
              << "  phone:   " << t.ForTerminal(call.phone) << "\n"
              << "  message: ";
  // The message's own lines are indented under its first.
  std::string message = call.message;
  for (size_t pos = 0; (pos = message.find("\r\n", pos)) != std::string::npos; pos += 12)
    message.replace(pos, 2, "\n           ");
  session.out << t.ForTerminal(message) << "\n";
}

void PrintCall(LogSession& session, const Call& record) {
  const CallFields call = ParseCallBody(record.body);
  if (session.line.has("--tsv")) {
    PrintTsv(session, record, call);
  } else {
    PrintForPeople(session, record, call);
  }
}

int RunList(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 1) return session.Usage("list takes one LOG");
  if (line.has("--all") && line.has("--count"))
    return session.Usage("--all and --count exclude each other");
  int64_t limit = line.has("--all") ? INT64_MAX : kPageCalls;
  if (line.has("--count")) {
    auto count = ParseNumber(line.get("--count"));
    if (!count || *count == 0) return session.Usage("--count takes a number of calls");
    limit = *count;
  }
  // Older than a call named as list named it, and a page from there,
  // whatever the log's size.
  CallId from;
  if (line.has("--before")) {
    Call before;
    if (int status = session.FindCall(line.get("--before"), &before)) return status;
    from = before.id;
  }

  // Read in pieces, so that --all holds one piece in memory at a time.
  int64_t shown = 0;
  CallPage page;
  do {
    const int piece = static_cast<int>(std::min<int64_t>(limit - shown, kPieceCalls));
    page = session.store().ReadPage(session.book(), from, PageDirection::kOlder, piece);
    for (const Call& call : page.calls) PrintCall(session, call);
    shown += static_cast<int64_t>(page.calls.size());
    if (!page.calls.empty()) from = page.calls.back().id;
  } while (page.error.ok() && page.more && shown < limit);
  if (!page.error.ok()) return session.ReportStoreError(page.error);

  const std::string& file = session.program.state.viewed.book.file();
  if (page.logEmpty && !file.empty() && !session.program.env.FileExists(file)) {
    session.err << "telvo-log: " << session.program.env.ResolvePath(file)
                << " does not exist yet: no calls\n";
  }
  // Said to people only: a script reads an empty log as no lines at all.
  if (shown == 0 && !line.has("--before") && !line.has("--tsv")) session.out << "No Phone Calls\n";
  if (page.more)
    session.err << "telvo-log: more calls: telvo-log list " << line.positional[0]
                << (line.has("--person") ? " --person '" + line.get("--person") + "'" : "")
                << (line.has("--archive") ? " --archive" : "") << " --before " << from.ToText()
                << "\n";
  return 0;
}

}  // namespace

const LogCommand kListCommand = {
    "list",
    "--all/a --count=/n --before= --tsv --person= --archive",
    "Usage: telvo-log list LOG [-a|--all | -n|--count N] [--before CALL] [--tsv]\n"
    "\n"
    "Shows the newest 12 calls of LOG, a page as the call list shows them, newest\n"
    "first. Each call is named OFFSET:DIGEST, its byte offset and a digest of its\n"
    "fields, as mark, export and --before take it: a call that a purge elsewhere\n"
    "moved is then refused, never confused with the call that took its place.\n"
    "When older calls remain, the command that shows them is named on standard\n"
    "error.\n"
    "\n"
    "Options:\n"
    "  -a, --all          show every call\n"
    "  -n, --count N      show the newest N calls\n"
    "      --before CALL  continue with the calls older than CALL, as Next does\n"
    "      --tsv          write one call a line: call, mark, date, time, caller,\n"
    "                     phone and message separated by tabs, with \\r, \\n, \\t\n"
    "                     and \\\\ escaped\n"
    "      --person NAME  LOG is a workgroup list, of a shared folder or of a\n"
    "                     database: the calls of NAME in it\n"
    "      --archive      with --person: NAME's archive\n"
    "  -h, --help         show this help and exit\n"
    "  -V, --version      show the version and exit\n",
    RunList,
};

}  // namespace telvo
