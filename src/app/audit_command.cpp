// audit: what was done to a database workgroup's calls, for an
// administrator: every mark, forward, export and purge with the role that
// did it and when, oldest first.

#include <fstream>
#include <ostream>
#include <sstream>

#include "app/console_boxes.h"
#include "app/log_commands.h"
#include "core/marks.h"
#include "core/workgroup.h"
#include "platform/code_page.h"
#include "service/store_messages.h"
#include "store/database/database_schema.h"

namespace telvo {
namespace {

// Rows are read this many at a time, so a long trail never sits in memory.
constexpr int kAuditBatch = 1000;

struct AuditRow {
  int64_t seq = 0;
  std::string at, role, person, action, detail;
  int64_t call = 0;  // 0: no one call (a purge)
};

// What the row's detail means for its action: the mark's name, the person
// a call went to, the book a purge worked on.
std::string DetailText(const AuditRow& row) {
  if (row.action == "mark") return row.detail.empty() ? "" : MarkName(row.detail[0]);
  return row.detail;
}

void Print(std::ostream& out, const ConsoleBoxes& terminal, const AuditRow& row, bool tsv) {
  const std::string call = row.call ? std::to_string(row.call) : "";
  const std::string person = terminal.ForTerminal(row.person);
  const std::string detail = terminal.ForTerminal(DetailText(row));
  if (tsv) {
    out << row.at << '\t' << row.role << '\t' << person << '\t' << row.action << '\t' << call
        << '\t' << detail << '\n';
    return;
  }
  out << row.at << "  " << row.role << "  " << row.action << "  " << person;
  if (!call.empty()) out << "  call " << call;
  if (!detail.empty()) out << "  " << detail;
  out << '\n';
}

// The rows after `after`, of the workgroup and, when `person` is given, of
// that person's calls.
StoreError ReadRows(PgConnection& connection, const std::string& workgroup,
                    const std::string& person, int64_t after, std::vector<AuditRow>* rows) {
  PgResult result;
  const StoreError error = connection.Exec(
      "SELECT a.seq, to_char(a.at, 'YYYY-MM-DD HH24:MI:SS'), a.role::text, p.name, a.action, "
      "coalesce(a.call_seq, 0), a.detail FROM audit a JOIN person p ON p.id = a.person_id "
      "JOIN workgroup w ON w.id = p.workgroup_id WHERE w.name = $1 AND a.seq > $2 "
      "AND ($3 = '' OR lower(convert_from(p.name, 'WIN1252')) = lower($3)) "
      "ORDER BY a.seq LIMIT $4",
      {PgParam::Text(workgroup), PgParam::Int64(after), PgParam::Text(person),
       PgParam::Int32(kAuditBatch)},
      &result);
  rows->clear();
  for (int row = 0; error.ok() && row < result.rows(); ++row)
    rows->push_back({result.Integer(row, 0), std::string(result.Bytes(row, 1)),
                     std::string(result.Bytes(row, 2)), std::string(result.Bytes(row, 3)),
                     std::string(result.Bytes(row, 4)), std::string(result.Bytes(row, 6)),
                     result.Integer(row, 5)});
  return error;
}

int RunAudit(const CommandLine& line, std::ostream& out, std::ostream& err, TerminalText terminal) {
  if (line.positional.size() != 1)
    return UsageError(err, "audit takes one WORKGROUP_LIST", &kAuditCommand);
  ConsoleBoxes boxes(out, err, terminal, /*yes=*/false);
  const auto fail = [&](const std::string& text) {
    err << "telvo-log: " << boxes.ForTerminal(text) << "\n";
    return 1;
  };
  std::ifstream file(line.positional[0], std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  if (!file) return fail("cannot read the workgroup list " + line.positional[0]);
  std::string refusal;
  const auto database = DatabaseWorkgroupOf(bytes.str(), &refusal);
  if (!database)
    return fail(refusal.empty() ? line.positional[0] + " names no workgroup in a database"
                                : refusal);

  const std::string person =
      terminal.utf8 ? Utf8ToCp1252(line.get("--person")) : line.get("--person");
  PgConnection connection;
  StoreError error = connection.Connect(database->conninfo);
  if (error.ok()) error = CheckSchema(connection);
  std::vector<AuditRow> rows;
  for (int64_t after = 0; error.ok();) {
    error = ReadRows(connection, database->name, person, after, &rows);
    for (const AuditRow& row : rows) Print(out, boxes, row, line.has("--tsv"));
    if (rows.size() < static_cast<size_t>(kAuditBatch)) break;
    after = rows.back().seq;
  }
  if (!error.ok()) return fail(DatabaseFailureText(error));
  return 0;
}

}  // namespace

const LogCommand kAuditCommand = {
    "audit",
    "--person= --tsv",
    "Usage: telvo-log audit WORKGROUP_LIST [--person NAME] [--tsv]\n"
    "\n"
    "Lists what was done to the calls of the workgroup that WORKGROUP_LIST keeps\n"
    "in a database, oldest first: every mark, forward, export and purge, when it\n"
    "was done (the server's time zone), the database role that did it, whose\n"
    "calls it concerned, the call, and the mark set, the person a call went to\n"
    "or the book purged. Run it as the administrator: a member's role sees only\n"
    "its own workgroup's rows, and nobody can change them.\n"
    "\n"
    "Options:\n"
    "      --person NAME  only the rows about NAME's calls\n"
    "      --tsv          one row a line, fields separated by tabs: time, role,\n"
    "                     person, action, call, detail\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    nullptr,
    RunAudit,
};

}  // namespace telvo
