// db-init and db-add: an administrator prepares a PostgreSQL database for
// the database store. The programs only check the tables' version; making
// and migrating them, and filling in workgroups, happens here.

#include <ostream>

#include "app/console_boxes.h"
#include "app/log_commands.h"
#include "platform/code_page.h"
#include "service/store_messages.h"
#include "store/database/database_schema.h"

namespace telvo {
namespace {

// The store's text for a database that failed, as the program shows it.
int Failed(std::ostream& out, std::ostream& err, TerminalText terminal, const StoreError& error) {
  ConsoleBoxes boxes(out, err, terminal, /*yes=*/false);
  boxes.Show({"", DatabaseFailureText(error), BoxIcon::kStop, BoxButtons::kOk, kAnswerOk});
  return 1;
}

std::string VersionName(int version) {
  return version == 0 ? "none" : "version " + std::to_string(version);
}

int RunDbInit(const CommandLine& line, std::ostream& out, std::ostream& err,
              TerminalText terminal) {
  if (line.positional.size() != 1)
    return UsageError(err, "db-init takes one DATABASE", &kDbInitCommand);
  PgConnection connection;
  StoreError error = connection.Connect(line.positional[0]);
  int before = 0, after = 0;
  if (error.ok()) error = MigrateSchema(connection, &before, &after);
  if (!error.ok()) return Failed(out, err, terminal, error);
  if (before == after)
    out << "Telvo's tables are " << VersionName(after) << " already.\n";
  else
    out << "Telvo's tables are now " << VersionName(after) << " (they were " << VersionName(before)
        << ").\n";
  return 0;
}

int RunDbAdd(const CommandLine& line, std::ostream& out, std::ostream& err, TerminalText terminal) {
  const std::vector<std::string>& words = line.positional;
  if (words.size() < 3 || words.size() > 4)
    return UsageError(err, "db-add takes DATABASE WORKGROUP NAME [COMPUTER]", &kDbAddCommand);
  // Names are kept in the program's code page, as the workgroup list has them.
  const auto text = [&](const std::string& typed) {
    return terminal.utf8 ? Utf8ToCp1252(typed) : typed;
  };
  const std::string workgroup = text(words[1]), name = text(words[2]);
  if (workgroup.empty() || name.empty())
    return UsageError(err, "the WORKGROUP and the NAME may not be empty", &kDbAddCommand);
  PgConnection connection;
  StoreError error = connection.Connect(words[0]);
  if (error.ok()) error = CheckSchema(connection);
  if (error.ok())
    error = AddPerson(connection, workgroup, name, words.size() > 3 ? text(words[3]) : "",
                      line.get("--role"));
  if (!error.ok()) return Failed(out, err, terminal, error);
  out << words[2] << " is in the workgroup " << words[1] << ".\n";
  return 0;
}

}  // namespace

const LogCommand kDbInitCommand = {
    "db-init",
    "",
    "Usage: telvo-log db-init DATABASE\n"
    "\n"
    "Creates Telvo's tables in a PostgreSQL database, or brings them up to the\n"
    "version this telvo-log knows, in one transaction. The Telvo programs only\n"
    "check that version and refuse a database without the tables or with newer\n"
    "ones; tables newer than this telvo-log are left alone. DATABASE is a libpq\n"
    "connection string, such as \"service=telvo\" or \"host=db dbname=telvo\".\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    nullptr,
    RunDbInit,
};

const LogCommand kDbAddCommand = {
    "db-add",
    "--role=",
    "Usage: telvo-log db-add DATABASE WORKGROUP NAME [COMPUTER] [--role ROLE]\n"
    "\n"
    "Adds the person NAME to WORKGROUP in a PostgreSQL database with Telvo's\n"
    "tables, making the workgroup when it is new; notifications of their calls\n"
    "go to the workstation COMPUTER (none without it). People are listed in the\n"
    "order they were added; adding a person again only changes the computer.\n"
    "DATABASE is a libpq connection string, such as \"service=telvo\".\n"
    "\n"
    "Options:\n"
    "      --role ROLE  the database role the person logs in as: made when it does\n"
    "                   not exist (with no password), and given the rights of a\n"
    "                   member of the workgroup (the role telvo_member)\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    nullptr,
    RunDbAdd,
};

}  // namespace telvo
