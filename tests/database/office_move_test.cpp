// Moving an office from a shared folder into a database and back with
// telvo-log import and export-log: byte for byte, each call once however
// often (and however interrupted) the import runs, damage skipped and told.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/log_tool.h"
#include "database/test_database.h"
#include "platform/posix_env.h"
#include "support/records.h"
#include "support/test_env.h"

namespace telvo::test {
namespace {

class OfficeMoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (conninfo_.empty()) GTEST_SKIP() << why_;
    ASSERT_TRUE(admin_.Connect(conninfo_).ok());
    ASSERT_EQ(::mkdir(temp_.file("ann").c_str(), 0755), 0);
    WriteWholeFile(folderList_, "Ann Smith," + temp_.file("ann") + ",ANNPC," +
                                    temp_.file("ann/alert.txt") + "\r\n");
    WriteWholeFile(databaseList_, "DATABASE " + conninfo_ + " workgroup=" + workgroup_ + "\r\n");
  }

  int Tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunLogTool(args, env_, out, err);
    said_ = out.str() + err.str();
    return status;
  }
  int Import() { return Tool({"import", folderList_, databaseList_}); }
  std::string Exported(bool archive) {
    const std::string file = temp_.file(archive ? "archive.out" : "messages.out");
    ::unlink(file.c_str());
    std::vector<std::string> args = {"export-log", databaseList_, "ann smith", file};
    if (archive) args.push_back("--archive");
    EXPECT_EQ(Tool(args), 0) << said_;
    return ReadWholeFile(file);
  }
  int64_t Calls() {
    return QueryNumber(admin_,
                       "SELECT count(*) FROM call c JOIN person p ON p.id = c.person_id "
                       "JOIN workgroup w ON w.id = p.workgroup_id WHERE w.name = $1",
                       {PgParam::Text(workgroup_)});
  }

  std::string why_;
  const std::string conninfo_ = TestDatabase(&why_);
  const std::string workgroup_ = UniqueName("moved");
  TempDir temp_;
  const std::string folderList_ = temp_.file("team.wgl"), databaseList_ = temp_.file("db.wgl");
  PosixEnv env_;
  PgConnection admin_;
  std::string said_;
};

// Every mark byte, the code page's own letters, two calls alike, and a
// damaged region, which is told and left out; a second import adds nothing.
TEST_F(OfficeMoveTest, CallsComeBackByteForByteAndOnce) {
  std::string log, sound;
  for (int mark = 0; mark < 256; ++mark) {
    const std::string record = CallRecord(TestCall{
        .mark = static_cast<char>(mark), .caller = "Zo\xeb M\xfcller \x80" + std::to_string(mark)});
    sound += record;
    log += record;
    if (mark == 100) log += std::string(7, '\xff');  // a region no length frames
  }
  sound += CallRecord("Alike") + CallRecord("Alike");
  log += CallRecord("Alike") + CallRecord("Alike");
  const std::string archive = CallRecord("Archived", MARK_ARCHIVE);
  WriteWholeFile(temp_.file("ann/MESSAGES"), log);
  WriteWholeFile(temp_.file("ann/ARCHIVE"), archive);
  WriteWholeFile(temp_.file("ann/alert.txt"), "Out\r\nPosted 9:05 AM 12-06-2026\r\n");

  EXPECT_EQ(Import(), 1);
  const size_t damageAt = log.find(std::string(7, '\xff'));
  EXPECT_NE(said_.find("damaged from byte " + std::to_string(damageAt) + ", 7 bytes skipped"),
            std::string::npos)
      << said_;
  EXPECT_NE(said_.find("Ann Smith: 259 calls added, 0 there already"), std::string::npos);
  // Compared whole, and told short: a diff of 20 KB of records helps nobody.
  EXPECT_TRUE(Exported(false) == sound) << "the log did not come back as imported";
  EXPECT_TRUE(Exported(true) == archive) << "the archive did not come back as imported";
  EXPECT_EQ(QueryNumber(admin_,
                        "SELECT count(*) FROM alert a JOIN person p ON p.id = a.person_id "
                        "JOIN workgroup w ON w.id = p.workgroup_id WHERE w.name = $1 "
                        "AND a.body = $2",
                        {PgParam::Text(workgroup_),
                         PgParam::Bytes("Out\r\nPosted 9:05 AM 12-06-2026\r\n")}),
            1);

  EXPECT_EQ(Import(), 1);
  EXPECT_NE(said_.find("Ann Smith: 0 calls added, 259 there already"), std::string::npos);
  EXPECT_EQ(Calls(), 259);
  EXPECT_EQ(Tool({"export-log", databaseList_, "ann smith", temp_.file("messages.out")}), 1);
}

// An import killed between its batches has committed some of them; running
// it again adds exactly the rest.
TEST_F(OfficeMoveTest, AnImportKilledAndRunAgainLeavesEachCallOnce) {
  std::string log;
  for (int i = 0; i < 6000; ++i) log += CallRecord("Caller " + std::to_string(i));
  WriteWholeFile(temp_.file("ann/MESSAGES"), log);
  admin_.Close();  // nothing of the parent's connection goes into the child
  const pid_t importer = ::fork();
  if (importer == 0) ::_exit(Import());
  ASSERT_TRUE(admin_.Connect(conninfo_).ok());
  int64_t seen = 0;
  for (int i = 0; i < 2000 && seen == 0; ++i) {
    ::usleep(2000);
    seen = Calls();
  }
  ::kill(importer, SIGKILL);
  int status = 0;
  ::waitpid(importer, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the import ended before it could be killed";
  EXPECT_LT(Calls(), 6000);
  EXPECT_EQ(Calls() % 500, 0);  // whole batches only

  EXPECT_EQ(Import(), 0) << said_;
  EXPECT_EQ(Calls(), 6000);
  EXPECT_TRUE(Exported(false) == log) << "the log did not come back as imported";
}

}  // namespace
}  // namespace telvo::test
