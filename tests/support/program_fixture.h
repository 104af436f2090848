#pragma once
// A Program over a temporary folder: a real file system below a fault
// injector and a fake clock, scripted message boxes, and a workgroup of
// people whose folders lie in the temporary folder.
//
// With TELVO_TEST_STORE=database the same people are a workgroup of the
// test cluster's instead, named for the test, and the program keeps their
// calls there as a DATABASE workgroup list makes it; such a test skips
// where the cluster did not start. The helpers that put and read a
// person's calls, export and alert go through whichever store is in use,
// in the phone log's and the files' bytes.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/program.h"
#include "service/workgroup_stores.h"
#include "store/database/database_store.h"
#include "store/folder_store.h"
#include "support/test_env.h"

namespace telvo::test {

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest();
  void SetUp() override;

  // Sets the workgroup's people directly, keeping who the user and the
  // default recipient are: each person's folder is <temp>/<name in lower
  // case>, created on disk, their computer "<NAME>PC".
  void SetPeople(const std::vector<std::string>& names);
  // Makes the person at `index` the user (-1: nobody).
  void SetUserIndex(int index);
  // No workstation to notify: deliveries send no datagrams.
  void ClearComputers();
  // Writes the people set by SetPeople as a workgroup list in the temporary
  // folder and names it in the settings, so a window can load it.
  void WriteWorkgroupList();
  // The native path of a person's phone log.
  std::string LogFile(int person) const;

  bool OnDatabase() const { return !database_.empty(); }
  // A person's calls (or archive) as the phone log's records would hold them.
  std::string Log(int person) { return Book(person, false); }
  std::string Archive(int person) { return Book(person, true); }
  void PutLog(int person, const std::string& records) { PutBook(person, false, records); }
  void PutArchive(int person, const std::string& records) { PutBook(person, true, records); }
  // The bytes of a person's export file, and of their alert (nullopt: none).
  std::string Exported(int person);
  std::optional<std::string> Alert(int person);
  void PutAlert(int person, const std::string& bytes);

  TempDir temp;
  PosixEnv posix;
  FaultInjectionEnv faults{&posix};
  FakeClockEnv env{&faults};
  ScriptedMessageBoxes boxes;
  Program program{env, boxes};
  FolderStore store{env};
  ProgramState& state = program.state;
  Settings& settings = program.settings;
  Workgroup& workgroup = program.workgroup;

 private:
  std::string Folder(int person) const;
  std::string Book(int person, bool archive);
  void PutBook(int person, bool archive, const std::string& records);
  // The test cluster's id of a person of this test's workgroup.
  int32_t PersonId(int person);

  // The database run's: the cluster's connection string ("" on the folder
  // store) or why there is none, the workgroup's name, the stores the
  // program chooses from, and a connection of the test's own to put and
  // read rows, as another workstation would.
  std::string database_;
  std::string noDatabase_;
  std::string workgroupName_;
  std::unique_ptr<WorkgroupStores> stores_;
  std::unique_ptr<DatabaseStore> reader_;
  PgConnection connection_;
};

}  // namespace telvo::test
