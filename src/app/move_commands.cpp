// import and export-log: moving an office from a shared folder into a
// database and back. import brings a folder workgroup's people, their calls,
// archives and alerts into a database workgroup, each call once however
// often it runs; export-log writes a person's calls from the database as a
// phone log whose records are byte for byte the ones imported.

#include <ostream>

#include "app/log_commands.h"
#include "app/log_path.h"
#include "core/text.h"
#include "core/workgroup.h"
#include "service/store_messages.h"
#include "store/database/database_import.h"
#include "store/database/database_schema.h"
#include "store/database/database_store.h"
#include "store/log_scan.h"
#include "store/phone_log.h"

namespace telvo {
namespace {

// Calls read from the database, and written to the new log, at a time.
constexpr int kExportPiece = 256;

// The database workgroup a list names, read as the program reads lists.
bool ReadDatabaseList(LogSession& session, const std::string& typed, DatabaseWorkgroup* database) {
  std::string bytes, refusal;
  const Status read = ReadTextFile(
      session.program.env, LogProgramPath(session.program.env, session.Text(typed)), &bytes);
  if (!read.ok()) {
    session.Fail(read);
    return false;
  }
  const auto named = DatabaseWorkgroupOf(bytes, &refusal);
  if (!named) {
    session.Fail(refusal.empty() ? typed + " names no workgroup in a database" : refusal);
    return false;
  }
  *database = *named;
  return true;
}

struct ImportTotals {
  int64_t added = 0, alreadyThere = 0, damagedRegions = 0, damagedBytes = 0;
};

// One of a person's files into one of their books. A file not there has no
// calls; a damaged region is told (where, how many bytes) and skipped, its
// bytes never guessed at.
StoreError ImportFile(LogSession& session, PgConnection& connection, int32_t personId,
                      const std::string& path, bool archive, ImportTotals* totals) {
  Env& env = session.program.env;
  std::unique_ptr<File> file;
  Status status = session.stores.folder().opener().Open(path, FileAccess::kRead, &file);
  if (status.code() == kFileNotFound) return {};
  int64_t length = 0;
  if (status.ok()) status = file->Length(&length);
  if (!status.ok()) return StoreError::From(status);
  CallImport import(connection, personId, archive, path);
  StoreError error;
  LogScanVisitor visit;
  visit.record = [&](int64_t start, std::string_view body) {
    error = import.Add(start, body);
    return error.ok();
  };
  visit.damage = [&](int64_t from, int64_t to) {
    session.err << "telvo-log: " << env.ResolvePath(path) << ": damaged from byte " << from << ", "
                << (to - from) << " bytes skipped\n";
    ++totals->damagedRegions;
    totals->damagedBytes += to - from;
    return true;
  };
  status = ScanLog(*file, length, visit);
  if (error.ok() && !status.ok()) error = StoreError::From(status);
  if (error.ok()) error = import.Finish();
  totals->added += import.added();
  totals->alreadyThere += import.alreadyThere();
  return error;
}

StoreError ImportPerson(LogSession& session, PgConnection& connection,
                        const DatabaseWorkgroup& database, const Person& person,
                        ImportTotals* totals) {
  StoreError error = AddPerson(connection, database.name, person.name, person.computer);
  int32_t id = 0;
  if (error.ok()) error = FindPersonId(connection, database.name, person.name, &id);
  if (error.ok()) error = ImportFile(session, connection, id, person.log, false, totals);
  if (error.ok()) error = ImportFile(session, connection, id, person.archive, true, totals);
  std::string alert;
  if (error.ok() && !person.alert.empty() && session.program.env.FileExists(person.alert)) {
    const Status read = ReadTextFile(session.program.env, person.alert, &alert);
    error = read.ok() ? ImportAlert(connection, id, alert) : StoreError::From(read);
  }
  return error;
}

int RunImport(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 2)
    return session.Usage("import takes FOLDER_LIST and DATABASE_LIST");
  Program& program = session.program;
  program.settings.workgroupPath = LogProgramPath(program.env, session.Text(line.positional[0]));
  std::vector<std::string> names;
  if (!LoadWorkgroup(program, names).ok()) return 1;
  if (program.store != &session.stores.folder())
    return session.Fail(line.positional[0] + " names a database, not a shared folder's people");
  DatabaseWorkgroup database;
  if (!ReadDatabaseList(session, line.positional[1], &database)) return 1;

  PgConnection connection;
  StoreError error = connection.Connect(database.conninfo);
  if (error.ok()) error = CheckSchema(connection);
  ImportTotals totals;
  for (const Person& person : program.workgroup.people()) {
    if (!error.ok()) break;
    if (person.name.empty()) continue;
    const ImportTotals before = totals;
    error = ImportPerson(session, connection, database, person, &totals);
    session.out << session.boxes.ForTerminal(person.name) << ": " << totals.added - before.added
                << " calls added, " << totals.alreadyThere - before.alreadyThere
                << " there already\n";
  }
  if (!error.ok()) {
    if (error.kind == StoreError::Kind::kDatabaseUnreachable ||
        error.kind == StoreError::Kind::kDatabaseRefused)
      return session.Fail(DatabaseFailureText(error));
    return session.Fail(error.status);
  }
  if (totals.damagedRegions == 0) return 0;
  return session.Fail(std::to_string(totals.damagedRegions) + " damaged regions (" +
                      std::to_string(totals.damagedBytes) + " bytes) were skipped");
}

// Writes `owner`'s book to `file` from its oldest call on; the calls in `*written`.
StoreError WriteBook(DatabaseStore& store, const CallBook& book, File& file, int64_t* written) {
  CallId from;
  int64_t offset = 0;
  for (;;) {
    const CallPage page = store.ReadPage(book, from, PageDirection::kNewer, kExportPiece);
    if (!page.error.ok()) return page.error;
    for (const Call& call : page.calls) {
      const std::string record = FrameRecord(call.body);
      const Status status = file.WriteAt(offset, record);
      if (!status.ok()) return StoreError::From(status);
      offset += static_cast<int64_t>(record.size());
      ++*written;
    }
    if (!page.more) return StoreError::From(file.Sync());
    from = page.calls.back().id;
  }
}

int RunExportLog(LogSession& session) {
  const CommandLine& line = session.line;
  if (line.positional.size() != 3)
    return session.Usage("export-log takes DATABASE_LIST, NAME and FILE");
  DatabaseWorkgroup database;
  if (!ReadDatabaseList(session, line.positional[0], &database)) return 1;
  Env& env = session.program.env;
  const std::string path = LogProgramPath(env, session.Text(line.positional[2]));
  if (env.FileExists(path)) return session.Fail(line.positional[2] + " exists: not overwritten");

  DatabaseStore store(database.conninfo, database.name);
  std::vector<Person> people;
  StoreError error = store.ListPeople(&people);
  CallBook book;
  book.archive = line.has("--archive");
  const std::string name = session.Input("--person").empty() ? session.Text(line.positional[1])
                                                             : session.Input("--person");
  for (const Person& person : people)
    if (EqualIgnoringCase(person.name, name)) book.owner = person;
  if (error.ok() && book.owner.name.empty())
    return session.Fail(name + " is not in the workgroup " + database.name);

  int64_t written = 0;
  std::unique_ptr<File> file;
  if (error.ok()) error = StoreError::From(env.OpenFile(path, FileAccess::kUpdate, &file));
  if (error.ok()) error = WriteBook(store, book, *file, &written);
  file.reset();
  if (!error.ok()) {
    // Half a log is worse than none: nothing names it as complete.
    if (env.FileExists(path)) static_cast<void>(env.DeleteFile(path));
    if (error.kind == StoreError::Kind::kDatabaseUnreachable ||
        error.kind == StoreError::Kind::kDatabaseRefused)
      return session.Fail(DatabaseFailureText(error));
    return session.Fail(error.status);
  }
  session.out << written << " calls written to " << line.positional[2] << "\n";
  return 0;
}

}  // namespace

const LogCommand kImportCommand = {
    "import",
    "",
    "Usage: telvo-log import FOLDER_LIST DATABASE_LIST\n"
    "\n"
    "Brings the workgroup of a shared folder into a database: every person of\n"
    "FOLDER_LIST is added to the workgroup DATABASE_LIST names (a list whose\n"
    "first line is DATABASE ...), with their calls, archive and alert. Calls go\n"
    "in the order of their files, in batches of 500, and each is known by its\n"
    "file, its position there and a digest of its fields: running the import\n"
    "again, after an interruption too, adds only the calls not yet there. A\n"
    "damaged region of a file is named (where, how many bytes) and skipped;\n"
    "the exit status is then 1. Each file is read under its shared lock, so\n"
    "run it while nobody posts to the folder.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunImport,
};

const LogCommand kExportLogCommand = {
    "export-log",
    "--archive",
    "Usage: telvo-log export-log DATABASE_LIST NAME FILE [--archive]\n"
    "\n"
    "Writes NAME's calls in the database workgroup DATABASE_LIST names, oldest\n"
    "first, as a phone log FILE (a MESSAGES file), each record byte for byte as\n"
    "the database holds it; with --archive, NAME's archive. FILE must not\n"
    "exist; a failure leaves none.\n"
    "\n"
    "Options:\n"
    "      --archive  the archive rather than the calls\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n",
    RunExportLog,
};

}  // namespace telvo
