#include "support/program_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "database/test_database.h"
#include "store/database/database_schema.h"
#include "store/phone_log.h"

namespace telvo::test {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool DatabaseAskedFor() {
  const char* store = std::getenv("TELVO_TEST_STORE");
  return store && std::string(store) == "database";
}

}  // namespace

ProgramTest::ProgramTest()
    : posix(PosixEnvOptions{temp.path() + "/config/", 0, nullptr, temp.file("instance.lock")}) {
  program.store = &store;
  if (!DatabaseAskedFor()) return;
  database_ = TestDatabase(&noDatabase_);
  if (!OnDatabase()) return;
  workgroupName_ = UniqueName("gui");
  stores_ = std::make_unique<WorkgroupStores>(env);
  program.stores = stores_.get();
  reader_ = std::make_unique<DatabaseStore>(database_, workgroupName_);
  const StoreError error = connection_.Connect(database_);
  EXPECT_TRUE(error.ok()) << error.detail;
}

void ProgramTest::SetUp() {
  if (DatabaseAskedFor() && !OnDatabase()) GTEST_SKIP() << noDatabase_;
}

void ProgramTest::SetPeople(const std::vector<std::string>& names) {
  std::vector<Person> people;
  for (const std::string& name : names) {
    const std::string folder = temp.file(Lower(name));
    std::filesystem::create_directories(folder);
    people.push_back({.name = name,
                      .computer = Upper(name) + "PC",
                      .log = Upper(folder) + "\\MESSAGES",
                      .archive = Upper(folder) + "\\ARCHIVE",
                      .exportFile = Upper(folder) + "\\EXPORT.TXT",
                      .alert = Upper(folder) + "\\ALERT.TXT"});
  }
  if (OnDatabase()) {
    // The people as the database gives them, and the program on its store.
    for (const Person& person : people) {
      const StoreError error = AddPerson(connection_, workgroupName_, person.name, person.computer);
      EXPECT_TRUE(error.ok()) << error.detail;
    }
    EXPECT_EQ(stores_->UseDatabase(program, {database_, workgroupName_}, &people), "");
  }
  workgroup.Replace(std::move(people), workgroup.myIndex(), workgroup.defaultIndex());
}

void ProgramTest::SetUserIndex(int index) {
  workgroup.Replace(workgroup.people(), index, workgroup.defaultIndex());
}

void ProgramTest::ClearComputers() {
  std::vector<Person> people = workgroup.people();
  for (Person& person : people) person.computer.clear();
  workgroup.Replace(std::move(people), workgroup.myIndex(), workgroup.defaultIndex());
}

void ProgramTest::WriteWorkgroupList() {
  std::string list;
  if (OnDatabase()) list = "DATABASE " + database_ + " workgroup=" + workgroupName_ + "\r\n";
  for (int i = 0; i < workgroup.size() && !OnDatabase(); ++i) {
    const std::string folder = Folder(i);
    list += workgroup.NameOf(i) + "," + folder + "," + workgroup.at(i).computer + "," + folder +
            "/ALERT.TXT\r\n";
  }
  WriteWholeFile(temp.file("team.wgl"), list);
  settings.workgroupPath = Upper(temp.file("team.wgl"));
}

std::string ProgramTest::Folder(int person) const {
  return temp.file(Lower(workgroup.NameOf(person)));
}

std::string ProgramTest::LogFile(int person) const { return Folder(person) + "/MESSAGES"; }

std::string ProgramTest::Book(int person, bool archive) {
  if (!OnDatabase()) return ReadWholeFile(Folder(person) + (archive ? "/ARCHIVE" : "/MESSAGES"));
  // Every test's calls fit one page, newest first; the log holds them oldest first.
  const CallPage page =
      reader_->ReadPage({workgroup.at(person), archive}, {}, PageDirection::kOlder, 1000);
  EXPECT_TRUE(page.error.ok() && !page.more) << page.error.detail;
  std::string records;
  for (auto call = page.calls.rbegin(); call != page.calls.rend(); ++call)
    records += FrameRecord(call->body);
  return records;
}

void ProgramTest::PutBook(int person, bool archive, const std::string& records) {
  if (!OnDatabase())
    return WriteWholeFile(Folder(person) + (archive ? "/ARCHIVE" : "/MESSAGES"), records);
  for (size_t at = 0; at + 2 <= records.size();) {
    const size_t length = static_cast<size_t>(DecodeRecordLength(records.substr(at, 2)));
    const std::string body = records.substr(at + 2, length);
    at += length + 4;
    // No store posts into an archive: a purge moves calls there.
    const StoreError error =
        archive ? connection_.Exec("INSERT INTO call (person_id, book, body) VALUES ($1, 1, $2)",
                                   {PgParam::Int32(PersonId(person)), PgParam::Bytes(body)})
                : reader_->Post(workgroup.at(person), body);
    EXPECT_TRUE(error.ok()) << error.detail;
  }
}

std::string ProgramTest::Exported(int person) {
  if (!OnDatabase()) return ReadWholeFile(Folder(person) + "/EXPORT.TXT");
  PgResult rows;
  const StoreError error =
      connection_.Exec("SELECT line FROM export_line WHERE person_id = $1 ORDER BY seq",
                       {PgParam::Int32(PersonId(person))}, &rows);
  EXPECT_TRUE(error.ok()) << error.detail;
  std::string lines;
  for (int row = 0; error.ok() && row < rows.rows(); ++row) lines += rows.Bytes(row, 0);
  return lines;
}

std::optional<std::string> ProgramTest::Alert(int person) {
  const std::string file = Folder(person) + "/ALERT.TXT";
  if (!OnDatabase())
    return std::filesystem::exists(file) ? std::optional(ReadWholeFile(file)) : std::nullopt;
  PgResult rows;
  const StoreError error = connection_.Exec("SELECT body FROM alert WHERE person_id = $1",
                                            {PgParam::Int32(PersonId(person))}, &rows);
  EXPECT_TRUE(error.ok()) << error.detail;
  if (!error.ok() || rows.rows() == 0) return std::nullopt;
  return std::string(rows.Bytes(0, 0));
}

void ProgramTest::PutAlert(int person, const std::string& bytes) {
  if (!OnDatabase()) return WriteWholeFile(Folder(person) + "/ALERT.TXT", bytes);
  const StoreError error = connection_.Exec(
      "INSERT INTO alert (person_id, body) VALUES ($1, $2) "
      "ON CONFLICT (person_id) DO UPDATE SET body = excluded.body",
      {PgParam::Int32(PersonId(person)), PgParam::Bytes(bytes)});
  EXPECT_TRUE(error.ok()) << error.detail;
}

int32_t ProgramTest::PersonId(int person) {
  PgResult found;
  const StoreError error = connection_.Exec(
      "SELECT p.id FROM person p JOIN workgroup w ON w.id = p.workgroup_id "
      "WHERE w.name = $1 AND p.name = $2",
      {PgParam::Text(workgroupName_), PgParam::Bytes(workgroup.NameOf(person))}, &found);
  EXPECT_TRUE(error.ok() && found.rows() == 1) << error.detail;
  return error.ok() && found.rows() == 1 ? static_cast<int32_t>(found.Integer(0, 0)) : -1;
}

}  // namespace telvo::test
