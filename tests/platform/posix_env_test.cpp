#include "platform/posix_env.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix_file.h"
#include "service/delivery.h"
#include "support/program_fixture.h"
#include "support/records.h"

namespace telvo::test {
namespace {

namespace fs = std::filesystem;

TEST(PathResolutionTest, ComponentsAreMatchedIgnoringCase) {
  TempDir temp;
  for (const char* dir : {"srv/Phone/ann", "srv/phone/ann", "srv/PHONE/bob", "srv/PHONE/Bob"})
    fs::create_directories(temp.file(dir));
  const std::string& root = temp.path();
  // An exact spelling wins; otherwise the first match in byte order.
  EXPECT_EQ(ResolveProgramPath(root + "/srv/phone/ann"), root + "/srv/phone/ann");
  EXPECT_EQ(ResolveProgramPath(root + "\\SRV\\PHONE\\BOB\\MESSAGES"),
            root + "/srv/PHONE/Bob/MESSAGES");
  EXPECT_EQ(ResolveProgramPath(root + "\\SRV\\PHONe\\ANN"), root + "/srv/PHONE/ANN");
  // A component that does not exist keeps the spelling given.
  EXPECT_EQ(ResolveProgramPath(root + "\\SRV\\NEW\\X"), root + "/srv/NEW/X");
  // Program paths are code page text; names on disk are UTF-8.
  fs::create_directories(temp.file("srv/j\xc3\xbcrgen"));
  EXPECT_EQ(ResolveProgramPath(root + "\\SRV\\J\xdcRGEN\\MESSAGES"),
            root + "/srv/j\xc3\xbcrgen/MESSAGES");
  EXPECT_EQ(ResolveProgramPath(root + "\\SRV\\\xc9T\xc9"), root + "/srv/\xc3\x89T\xc3\x89");
}

TEST(PathResolutionTest, FoldersAreRememberedUntilTheyMove) {
  TempDir temp;
  fs::create_directories(temp.file("srv/phone/ann"));
  WriteWholeFile(temp.file("srv/phone/ann/MESSAGES"), "");
  const std::string program = temp.path() + "\\SRV\\PHONE\\ANN\\MESSAGES";
  EXPECT_EQ(ResolveProgramPath(program), temp.file("srv/phone/ann/MESSAGES"));
  const int64_t listings = FolderListingsForTesting();
  EXPECT_EQ(ResolveProgramPath(program), temp.file("srv/phone/ann/MESSAGES"));
  EXPECT_EQ(FolderListingsForTesting(), listings);

  // Renamed, then made anew in another case: found again each time.
  fs::rename(temp.file("srv/phone/ann"), temp.file("srv/phone/Ann"));
  EXPECT_EQ(ResolveProgramPath(program), temp.file("srv/phone/Ann/MESSAGES"));
  fs::remove_all(temp.file("srv/phone/Ann"));
  fs::create_directories(temp.file("srv/phone/aNN"));
  EXPECT_EQ(ResolveProgramPath(program), temp.file("srv/phone/aNN/MESSAGES"));
}

TEST(PosixEnvTest, FailuresBecomeRunTimeCodes) {
  TempDir temp;
  PosixEnv env;
  std::unique_ptr<File> file;
  EXPECT_EQ(env.OpenFile("", FileAccess::kUpdate, &file).code(), kBadFileName);
  EXPECT_EQ(env.OpenFile(temp.file("MISSING"), FileAccess::kRead, &file).code(), kFileNotFound);
  EXPECT_EQ(env.OpenFile(temp.file("NO\\SUCH\\FILE"), FileAccess::kUpdate, &file).code(),
            kPathNotFound);
  EXPECT_EQ(env.OpenFile(temp.path(), FileAccess::kUpdate, &file).code(), kPathFileAccessError);
  EXPECT_EQ(env.OpenFile(temp.file(std::string(300, 'x')), FileAccess::kUpdate, &file).code(),
            kBadFileName);
  int64_t length = -1;
  EXPECT_EQ(env.FileLength(temp.file("MISSING"), &length).code(), kFileNotFound);
  EXPECT_EQ(Status::Error(kPathNotFound).description(), "Path not found");
}

TEST(PosixEnvTest, ReadersShareWritersExclude) {
  TempDir temp;
  PosixEnv env;
  const std::string path = temp.file("LIST.WGL");
  WriteWholeFile(path, "x");
  std::unique_ptr<File> reader, second, writer;
  ASSERT_OK(env.OpenFile(path, FileAccess::kRead, &reader));
  EXPECT_OK(env.OpenFile(path, FileAccess::kRead, &second));
  EXPECT_EQ(env.OpenFile(path, FileAccess::kUpdate, &writer).code(), kPermissionDenied);
  reader.reset();
  second.reset();
  ASSERT_OK(env.OpenFile(path, FileAccess::kUpdate, &writer));
  EXPECT_EQ(env.OpenFile(path, FileAccess::kRead, &reader).code(), kPermissionDenied);
  EXPECT_EQ(env.OpenFile(path, FileAccess::kUpdate, &second).code(), kPermissionDenied);
}

class ReplacedLogTest : public ProgramTest {
 protected:
  ~ReplacedLogTest() override { SetBeforeLockHookForTesting(nullptr); }
};

TEST_F(ReplacedLogTest, LogReplacedBetweenOpenAndLockIsOpenedAgain) {
  SetPeople({"Ann"});
  settings.initials = "CW";
  const std::string log = LogFile(0);
  const std::string replacement = CallRecord("new log");
  WriteWholeFile(log, CallRecord("old log"));
  WriteWholeFile(log + ".NEW", replacement);
  int calls = 0;
  SetBeforeLockHookForTesting([&](const std::string&) {
    // As a purge on another workstation would: a new log renamed into place
    // after our open, before our lock.
    if (calls++ == 0) fs::rename(log + ".NEW", log);
  });
  EXPECT_TRUE(PostMessage(
      program,
      {.selectedIndex = 0, .caller = "Joe", .date = "", .time = "", .phone = "", .message = ""}));
  EXPECT_EQ(calls, 2);
  const std::string bytes = Log(0);
  ASSERT_GT(bytes.size(), replacement.size());
  EXPECT_EQ(bytes.substr(0, replacement.size()), replacement);
}

TEST(PosixEnvTest, OneInstanceAndDetachedPrograms) {
  TempDir temp;
  PosixEnv first(PosixEnvOptions{"", 0, nullptr, temp.file("instance.lock")});
  PosixEnv second(PosixEnvOptions{"", 0, nullptr, temp.file("instance.lock")});
  EXPECT_TRUE(first.AcquireSingleInstance());
  EXPECT_TRUE(first.AcquireSingleInstance());
  EXPECT_FALSE(second.AcquireSingleInstance());

  // A started program runs on its own; a missing one is ignored.
  const std::string script = temp.file("popup.sh");
  WriteWholeFile(script, "#!/bin/sh\necho started > " + temp.file("ran") + "\n");
  ::chmod(script.c_str(), 0755);
  first.StartProgram(temp.file("missing"));
  first.StartProgram(script);
  // The file appears before its line is written: wait for the line.
  for (int waited = 0; waited < 5000 && ReadWholeFile(temp.file("ran")) != "started\n";
       waited += 10)
    first.SleepMs(10);
  EXPECT_EQ(ReadWholeFile(temp.file("ran")), "started\n");
}

TEST(PosixEnvTest, InstanceLockLiesInTheUsersOwnFolder) {
  TempDir temp;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = runtime ? runtime : "";
  ::unsetenv("XDG_RUNTIME_DIR");
  PosixEnv first(PosixEnvOptions{temp.file("config"), 0, nullptr, ""});
  PosixEnv second(PosixEnvOptions{temp.file("config"), 0, nullptr, ""});
  EXPECT_TRUE(first.AcquireSingleInstance());
  EXPECT_FALSE(second.AcquireSingleInstance());
  EXPECT_TRUE(fs::exists(temp.file("config/telvo.lock")));

  // A link planted where the lock file goes leads nowhere.
  fs::create_directories(temp.file("planted"));
  fs::create_symlink(temp.file("elsewhere"), temp.file("planted/telvo.lock"));
  PosixEnv third(PosixEnvOptions{temp.file("planted"), 0, nullptr, ""});
  EXPECT_TRUE(third.AcquireSingleInstance());
  EXPECT_FALSE(fs::exists(temp.file("elsewhere")));
  if (runtime) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

}  // namespace
}  // namespace telvo::test
