// telvo-log run as an administrator runs it: the built program, its output
// and its exit status.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "store/phone_log.h"
#include "support/test_env.h"

namespace telvo::test {
namespace {

struct ToolRun {
  int status = -1;
  std::string out, err;
};

class TelvoLogTest : public ::testing::Test {
 protected:
  TelvoLogTest() {
    std::filesystem::create_directories(temp.file("ann"));
    log = temp.file("ann/MESSAGES");
  }

  ToolRun Tool(const std::string& args) {
    const std::string errFile = temp.file("stderr");
    const std::string command = "LC_ALL=C.UTF-8 " + std::string(TELVO_LOG_BINARY) + " " + args +
                                " 2>" + errFile;
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadWholeFile(errFile);
    return run;
  }

  TempDir temp;
  std::string log;
};

TEST_F(TelvoLogTest, EachCommandEndToEnd) {
  EXPECT_EQ(Tool("post " + log + " --caller 'Zo\xc3\xab' --initials AB --date 1-2-2026 "
                 "--time '9:05 AM' --message 'Call back'").status, 0);
  EXPECT_EQ(Tool("post " + log + " --caller Bob --urgent --initials AB --date 01-03-2026 "
                 "--time '10:00 AM'").status, 0);
  EXPECT_EQ(Tool("post " + log + " --caller 'Al \"Q\" Smith' --initials AB --date 01-04-2026 "
                 "--time '11:00 AM'").status, 0);
  // The caller is stored in the program's code page.
  EXPECT_NE(ReadWholeFile(log).find("\x01" "01-02-2026\x11Zo\xeb\x11"), std::string::npos);

  ToolRun list = Tool("list " + log + " --tsv");
  ASSERT_EQ(list.status, 0) << list.err;
  const int64_t first = 0, second = 44, third = 44 + 36;
  EXPECT_EQ(list.out,
            std::to_string(third) + "\tnew\t01-04-2026\t11:00 AM\tAl \"Q\" Smith\t\t (AB)\n" +
                std::to_string(second) + "\timportant\t01-03-2026\t10:00 AM\tBob\t\t (AB)\n" +
                std::to_string(first) + "\tnew\t01-02-2026\t9:05 AM\tZo\xc3\xab\t\tCall back (AB)\n");

  EXPECT_EQ(Tool("mark " + log + " 0 archive").status, 0);
  EXPECT_EQ(Tool("mark " + log + " " + std::to_string(second) + " delete").status, 0);
  ToolRun wrong = Tool("mark " + log + " 3 delete");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("no call begins at offset 3"), std::string::npos);

  EXPECT_EQ(Tool("export " + log + " " + std::to_string(third)).status, 1);
  ToolRun exported = Tool("export " + log + " " + std::to_string(third) + " --yes");
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(ReadWholeFile(temp.file("ann/EXPORT.TXT")),
            "\"01-04-2026\",\"11:00 AM\",\"Al \"\"Q\"\" Smith\",\"\",\" (AB)\"\r\n");

  EXPECT_EQ(Tool("purge " + log).status, 1);
  ToolRun purge = Tool("purge " + log + " --yes");
  EXPECT_EQ(purge.status, 0) << purge.err;
  list = Tool("list " + log + " --tsv");
  EXPECT_EQ(list.out, "0\tnew\t01-04-2026\t11:00 AM\tAl \"Q\" Smith\t\t (AB)\n");
  ToolRun archive = Tool("list " + temp.file("ann/ARCHIVE") + " --tsv");
  EXPECT_EQ(archive.out, "0\tarchive\t01-02-2026\t9:05 AM\tZo\xc3\xab\t\tCall back (AB)\n");

  ToolRun help = Tool("purge --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: telvo-log purge"), std::string::npos);
  EXPECT_EQ(Tool("frobnicate " + log).status, 2);
  EXPECT_EQ(Tool("list " + temp.file("nobody/MESSAGES")).status, 1);
}

TEST_F(TelvoLogTest, ListPagesAndCheckFindsDamage) {
  std::string bytes;
  for (int i = 0; i < 14; ++i)
    bytes += FrameRecord("\x01" "01-02-2026\x11" "Caller " + std::to_string(i) +
                         "\x11" "9:05 AM\x11\x11m\x11");
  WriteWholeFile(log, bytes);
  ToolRun page = Tool("list " + log);
  EXPECT_EQ(page.status, 0);
  EXPECT_NE(page.out.find("Caller 13"), std::string::npos);
  EXPECT_NE(page.out.find("Caller 2\n"), std::string::npos);
  EXPECT_EQ(page.out.find("Caller 1\n"), std::string::npos);
  const std::string more = "--before " + std::to_string(2 * (bytes.size() / 14));
  EXPECT_NE(page.err.find(more), std::string::npos) << page.err;
  ToolRun rest = Tool("list " + log + " " + more + " --tsv");
  EXPECT_EQ(rest.out, std::to_string(bytes.size() / 14) +
                          "\tnew\t01-02-2026\t9:05 AM\tCaller 1\t\tm\n"
                          "0\tnew\t01-02-2026\t9:05 AM\tCaller 0\t\tm\n");

  EXPECT_EQ(Tool("check " + log).status, 0);
  // A length in the middle cut to zero: the region up to the next good
  // record is reported, and the walk carries on after it.
  const size_t size = bytes.size() / 14;
  bytes[5 * size] = 0;
  bytes[5 * size + 1] = 0;
  WriteWholeFile(log, bytes);
  ToolRun check = Tool("check " + log);
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("damaged region at offset " + std::to_string(5 * size) + ": " +
                           std::to_string(size) + " bytes"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("13 calls"), std::string::npos) << check.out;
}

}  // namespace
}  // namespace telvo::test
