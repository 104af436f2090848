// telvo-log run as an administrator runs it (the built program, its output
// and its exit status), and as a library where a test needs a fake clock or
// an injected failure.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/log_commands.h"
#include "app/log_session.h"
#include "app/log_tool.h"
#include "platform/posix_env.h"
#include "store/phone_log.h"
#include "support/records.h"
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

  // The built program, run by a shell in `folder`.
  ToolRun Tool(const std::string& args, const std::string& folder = ".") {
    const std::string errFile = temp.file("stderr");
    const std::string command = "cd '" + folder + "' && LC_ALL=C.UTF-8 " +
                                std::string(TELVO_LOG_BINARY) + " " + args + " 2>" + errFile;
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

  // The same command through RunLogTool, on `env`.
  ToolRun Library(Env& env, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunLogTool(args, env, out, err);
    return {status, out.str(), err.str()};
  }

  // How list names the call at `offset` of the file at `path`.
  static std::string Id(const std::string& path, int64_t offset) {
    const std::string bytes = ReadWholeFile(path);
    const int length = DecodeRecordLength(bytes.substr(static_cast<size_t>(offset), 2));
    return CallIdentity(
        {offset, bytes.substr(static_cast<size_t>(offset) + 2, static_cast<size_t>(length))});
  }

  TempDir temp;
  std::string log;
};

TEST_F(TelvoLogTest, EachCommandEndToEnd) {
  EXPECT_EQ(Tool("post " + log +
                 " --caller 'Zo\xc3\xab' --initials AB --date 1-2-2026 "
                 "--time '9:05 AM' --message 'Call back'")
                .status,
            0);
  EXPECT_EQ(Tool("post " + log +
                 " --caller Bob --urgent --initials AB --date 01-03-2026 "
                 "--time '10:00 AM'")
                .status,
            0);
  EXPECT_EQ(Tool("post " + log +
                 " --caller 'Al \"Q\" Smith' --initials AB --date 01-04-2026 "
                 "--time '11:00 AM'")
                .status,
            0);
  // The caller is stored in the program's code page.
  EXPECT_NE(
      ReadWholeFile(log).find(CallRecord(
          {.date = "01-02-2026", .caller = "Zo\xeb", .phone = "", .message = "Call back (AB)"})),
      std::string::npos);

  ToolRun list = Tool("list " + log + " --tsv");
  ASSERT_EQ(list.status, 0) << list.err;
  const int64_t first = 0, second = 44, third = 44 + 36;
  EXPECT_EQ(list.out, Id(log, third) + "\tnew\t01-04-2026\t11:00 AM\tAl \"Q\" Smith\t\t (AB)\n" +
                          Id(log, second) + "\timportant\t01-03-2026\t10:00 AM\tBob\t\t (AB)\n" +
                          Id(log, first) +
                          "\tnew\t01-02-2026\t9:05 AM\tZo\xc3\xab\t\tCall back (AB)\n");

  // A mark leaves a call the same call: its name does not change.
  const std::string zoe = Id(log, first);
  EXPECT_EQ(Tool("mark " + log + " " + zoe + " important").status, 0);
  EXPECT_EQ(Tool("mark " + log + " " + zoe + " archive").status, 0);
  EXPECT_EQ(Tool("mark " + log + " " + Id(log, second) + " delete").status, 0);

  EXPECT_EQ(Tool("export " + log + " " + Id(log, third)).status, 1);
  ToolRun exported = Tool("export " + log + " " + Id(log, third) + " --yes");
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.out, "Al \"Q\" Smith\nMessage exported.\n");
  EXPECT_EQ(ReadWholeFile(temp.file("ann/EXPORT.TXT")),
            "\"01-04-2026\",\"11:00 AM\",\"Al \"\"Q\"\" Smith\",\"\",\" (AB)\"\r\n");

  EXPECT_EQ(Tool("purge " + log).status, 1);
  ToolRun purge = Tool("purge " + log + " --yes");
  EXPECT_EQ(purge.status, 0) << purge.err;
  list = Tool("list " + log + " --tsv");
  EXPECT_EQ(list.out, Id(log, 0) + "\tnew\t01-04-2026\t11:00 AM\tAl \"Q\" Smith\t\t (AB)\n");
  ToolRun archive = Tool("list " + temp.file("ann/ARCHIVE") + " --tsv");
  EXPECT_EQ(archive.out, Id(temp.file("ann/ARCHIVE"), 0) +
                             "\tarchive\t01-02-2026\t9:05 AM\tZo\xc3\xab\t\tCall back (AB)\n");
}

// Standard output carries results only: a script that reads it never sees
// a complaint, and an empty log lists as nothing at all.
TEST_F(TelvoLogTest, ComplaintsGoToStandardErrorOnly) {
  // Nobody has posted yet: an empty log for reading, said on standard
  // error, and reading makes no file.
  const std::string note = "telvo-log: " + log + " does not exist yet: no calls\n";
  const ToolRun none = Tool("list " + log), noneTsv = Tool("list " + log + " --tsv");
  EXPECT_EQ(none.status + noneTsv.status, 0);
  EXPECT_EQ(none.out + noneTsv.out, "No Phone Calls\n");
  EXPECT_EQ(none.err + noneTsv.err, note + note);
  const ToolRun unchecked = Tool("check " + log);
  EXPECT_EQ(unchecked.status, 0);
  EXPECT_EQ(unchecked.out, "0 calls, 0 bytes, no damage\n");
  EXPECT_FALSE(std::filesystem::exists(log));

  WriteWholeFile(log, "");
  EXPECT_EQ(Tool("list " + log).out, "No Phone Calls\n");
  ToolRun tsv = Tool("list " + log + " --tsv");
  EXPECT_EQ(tsv.status, 0);
  EXPECT_EQ(tsv.out + tsv.err, "");

  WriteWholeFile(log, CallRecord("Ann") + CallRecord("Bob") + CallRecord("Carol"));
  // Results that cannot be written are a failure, said on standard error.
  const ToolRun full = Tool("list " + log + " --all >/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "telvo-log: cannot write to standard output: No space left on device\n");
  // A bare offset is the user's mistake: it would name whatever call a
  // purge moved there. So is a digest that list never prints.
  for (const std::string& args :
       {"list " + log + " --before 3", "mark " + log + " 0 delete", "export " + log + " 0 --yes",
        "mark " + log + " 0:9F3A01BC new"}) {
    ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(run.err.rfind("telvo-log: a call is named as list shows it: OFFSET:DIGEST", 0), 0u)
        << run.err;
  }
  // Carol as listed; a colleague's purge drops Ann, and Carol's offset is
  // now past the end: refused as the program refuses it, nothing written.
  const int64_t size = static_cast<int64_t>(CallRecord("Ann").size());
  const std::string carol = Id(log, 2 * size), bob = Id(log, size);
  WriteWholeFile(log, CallRecord("Bob") + CallRecord("Carol") + CallRecord("Derek"));
  for (const std::string& call : {carol, bob}) {
    ToolRun stale = Tool("mark " + log + " " + call + " delete");
    EXPECT_EQ(stale.status, 1);
    EXPECT_EQ(stale.err.rfind("telvo-log: Telvo: Purge was performed by another user.\n", 0), 0u)
        << stale.err;
  }
  const std::string unchanged = ReadWholeFile(log);
  for (const std::string& args :
       std::vector<std::string>{"frobnicate " + log, "frobnicate --help", "list",
                                "list " + temp.file("nobody/MESSAGES"), "purge " + log}) {
    ToolRun run = Tool(args);
    EXPECT_NE(run.status, 0) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_NE(run.err, "") << args;
  }
  EXPECT_EQ(ReadWholeFile(log), unchanged);

  // A failure the store cannot recover from ends the program with its box,
  // an error like any other.
  PosixEnv posix;
  FaultInjectionEnv faults(&posix);
  faults.FailNth(FileOp::kOpen, 2, kDeviceIoError);  // the purge's work file
  ToolRun fatal = Library(faults, {"purge", log, "--yes"});
  EXPECT_EQ(fatal.status, 1);
  EXPECT_EQ(fatal.out, "");
  EXPECT_NE(fatal.err.find("Error opening .NEW file during purge."), std::string::npos);
  EXPECT_NE(fatal.err.find("Program Ending"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(log), unchanged);
}

TEST_F(TelvoLogTest, FollowsTheUsualCommandLineConventions) {
  const std::pair<const char*, const char*> answers[] = {
      {"--version", "telvo-log 1.4.5\n"},        {"-V", "telvo-log 1.4.5\n"},
      {"list --version", "telvo-log 1.4.5\n"},   {"-h", "Usage: telvo-log COMMAND "},
      {"--help", "Usage: telvo-log COMMAND "},   {"list -h", "Usage: telvo-log list "},
      {"post --help", "Usage: telvo-log post "}, {"help list", "Usage: telvo-log list "}};
  for (const auto& [args, start] : answers) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 0) << args;
    EXPECT_EQ(run.out.rfind(start, 0), 0u) << args;
  }
  // A dash never names a file: help is asked for, and nothing is written.
  const std::string folder = temp.file("ann");
  EXPECT_EQ(Tool("post -h --caller X", folder).status, 0);
  const std::pair<const char*, const char*> refused[] = {
      {"post M --caller X --bogus", "post has no option --bogus"},
      {"post M --caller X -q", "post has no option -q"},
      {"post - --caller X", "a lone - names no file: write ./- or put it after --"},
      {"list M --caller X", "list has no option --caller"},
      {"post M --urgent=yes --caller X", "option --urgent takes no value"},
      {"post M --caller", "option --caller needs a value"},
      {"post M --caller X --sender Y", "--sender and --computer go together"},
      {"list M -a -n3", "--all and --count exclude each other"},
      {"--frobnicate", "unknown option --frobnicate"},
  };
  for (const auto& [args, why] : refused) {
    const ToolRun run = Tool(args, folder);
    EXPECT_EQ(run.status, 2) << args;
    // The complaint, the usage lines and where the rest is: not a screenful.
    EXPECT_EQ(run.err.rfind("telvo-log: " + std::string(why) + "\nUsage: telvo-log ", 0), 0u)
        << run.err;
    EXPECT_EQ(run.err.find("Options:"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" --help' for more information.\n"), std::string::npos) << run.err;
  }
  EXPECT_EQ(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
  // "--" ends the options; values may follow "=" or be glued to a short one.
  EXPECT_EQ(Tool("post --caller=-Joe -- -M", folder).out, "Message delivered.\n");
  EXPECT_NE(Tool("list -n1 --tsv -- -M", folder).out.find("\t-Joe\t"), std::string::npos);
}

// Manual pages are made from the help texts: each is a usage line, a
// description and a line for every option the command takes.
TEST_F(TelvoLogTest, HelpDescribesEveryOption) {
  PosixEnv env;
  const std::string tool = Library(env, {"--help"}).out;
  for (const LogCommand* command : LogCommands()) {
    const std::string name = command->name, help = Library(env, {name, "--help"}).out;
    EXPECT_NE(tool.find("\n  " + name + " "), std::string::npos) << name;
    EXPECT_EQ(help.rfind("Usage: telvo-log " + name + " ", 0), 0u) << help;
    const size_t options = help.find("\n\nOptions:\n");
    EXPECT_LT(help.find("\n\n"), options) << "no description: " << help;
    std::istringstream specs(std::string(command->options) + " --help/h --version/V");
    for (std::string spec; specs >> spec;) {
      const size_t slash = spec.find('/');
      const std::string flag = spec.substr(0, spec.find_first_of("=/"));
      const std::string line = slash == std::string::npos
                                   ? "\n      " + flag + " "
                                   : "\n  -" + spec.substr(slash + 1) + ", " + flag + " ";
      EXPECT_NE(help.find(line, options), std::string::npos) << name << ":" << line;
    }
  }
}

TEST_F(TelvoLogTest, ListPagesAndCheckFindsDamage) {
  std::string bytes;
  for (char i = 'A'; i < 'A' + 14; ++i) bytes += CallRecord(std::string("Caller ") + i);
  const size_t size = bytes.size() / 14;
  // A call whose body is its mark alone is a call with empty fields.
  bytes += FrameRecord(std::string(1, MARK_NEW));
  WriteWholeFile(log, bytes);
  ToolRun page = Tool("list " + log);
  EXPECT_EQ(page.status, 0);
  EXPECT_NE(page.out.find("call " + Id(log, 14 * size) + "  new"), std::string::npos);
  EXPECT_NE(page.out.find("Caller D\n"), std::string::npos);
  EXPECT_EQ(page.out.find("Caller C\n"), std::string::npos);
  const std::string more = "--before " + Id(log, 3 * size);
  EXPECT_NE(page.err.find(more), std::string::npos) << page.err;
  ToolRun rest = Tool("list " + log + " " + more + " --tsv --count 2");
  EXPECT_EQ(rest.out,
            Id(log, 2 * size) + "\tnew\t12-06-2026\t9:05 AM\tCaller C\t555-0100\tcall back (CW)\n" +
                Id(log, size) + "\tnew\t12-06-2026\t9:05 AM\tCaller B\t555-0100\tcall back (CW)\n");

  ToolRun healthy = Tool("check " + log);
  EXPECT_EQ(healthy.status, 0);
  EXPECT_EQ(healthy.out, "15 calls, " + std::to_string(bytes.size()) + " bytes, no damage\n");
  // A length in the middle cut to zero, and a torn call at the end: each
  // region runs to the next good record or the end of the file.
  bytes[5 * size] = 0;
  bytes[5 * size + 1] = 0;
  bytes += CallRecord("Torn").substr(0, 9);
  WriteWholeFile(log, bytes);
  ToolRun check = Tool("check " + log);
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.out, "damaged region at offset " + std::to_string(5 * size) + ": " +
                           std::to_string(size) + " bytes\n" + "damaged region at offset " +
                           std::to_string(bytes.size() - 9) + ": 9 bytes\n14 calls, " +
                           std::to_string(bytes.size()) + " bytes, 2 damaged regions\n");

  // The next writer cuts the torn call off, keeps it beside the log, and
  // check says where; the damage inside stays for an administrator.
  ASSERT_EQ(Tool("post " + log + " --caller Next").status, 0);
  check = Tool("check " + log);
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find(" bytes, 1 damaged regions\n9 bytes cut from the end of torn writes "
                           "are kept in " +
                           log + ".TORN\n"),
            std::string::npos)
      << check.out;
}

// A post or purge holds the lock for a moment: every command waits it out
// as the program does, a clock tick at a time, and gives up after 11 tries.
TEST_F(TelvoLogTest, WaitsOutALockHeldElsewhere) {
  WriteWholeFile(log, CallRecord("Ann"));
  PosixEnv posix;
  std::unique_ptr<File> holder;
  // Lets the lock go after the first tick of the fake clock.
  struct ReleasingClock : FakeClockEnv {
    using FakeClockEnv::FakeClockEnv;
    void SleepMs(int ms) override {
      FakeClockEnv::SleepMs(ms);
      if (sleptMs() >= 1000) holder->reset();
    }
    std::unique_ptr<File>* holder = nullptr;
  };
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"list", log},
                                             {"check", log},
                                             {"mark", log, Id(log, 0), "important"},
                                             {"export", log, Id(log, 0), "--yes"}}) {
    ASSERT_OK(posix.OpenFile(log, FileAccess::kUpdate, &holder));
    FaultInjectionEnv counted(&posix);
    FakeClockEnv clock(&counted);
    ToolRun locked = Library(clock, args);
    EXPECT_EQ(locked.status, 1) << args[0];
    EXPECT_EQ(locked.out, "");
    EXPECT_EQ(locked.err, "telvo-log: " + log + ": Message file is locked up\n");
    EXPECT_EQ(counted.count(FileOp::kOpen), 11);

    ReleasingClock releasing(&posix);
    releasing.holder = &holder;
    ToolRun waited = Library(releasing, args);
    EXPECT_EQ(waited.status, 0) << args[0] << ": " << waited.err;
    EXPECT_GT(releasing.sleptMs(), 0);
  }
  EXPECT_EQ(ReadWholeFile(log)[2], MARK_IMPORTANT);

  // The real program against a lock held by another process for a moment.
  ASSERT_OK(posix.OpenFile(log, FileAccess::kUpdate, &holder));
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    holder.reset();
  });
  ToolRun check = Tool("check " + log);
  release.join();
  EXPECT_EQ(check.status, 0) << check.err;
}

// The path is used as typed; only the log's own name is written as the
// program writes it, so that the archive and the export file are found
// beside a "messages" too.
TEST_F(TelvoLogTest, UsesThePathAsTyped) {
  std::filesystem::create_directories(temp.file("team"));
  std::filesystem::create_directories(temp.file("TEAM"));
  WriteWholeFile(temp.file("team/MESSAGES"), CallRecord("Lower"));
  WriteWholeFile(temp.file("TEAM/MESSAGES"), CallRecord("Upper"));
  EXPECT_EQ(Tool("mark " + temp.file("team/MESSAGES") + " " + Id(temp.file("team/MESSAGES"), 0) +
                 " delete")
                .status,
            0);
  EXPECT_EQ(ReadWholeFile(temp.file("team/MESSAGES"))[2], MARK_DELETE);
  EXPECT_EQ(ReadWholeFile(temp.file("TEAM/MESSAGES")), CallRecord("Upper"));

  // A bare name is a log in the working folder, its archive beside it.
  std::filesystem::create_directories(temp.file("crew"));
  WriteWholeFile(temp.file("crew/messages"),
                 CallRecord("Kept") + CallRecord("Filed", MARK_ARCHIVE));
  ToolRun purge = Tool("purge messages --yes", temp.file("crew"));
  EXPECT_EQ(purge.status, 0) << purge.err;
  EXPECT_EQ(ReadWholeFile(temp.file("crew/messages")), CallRecord("Kept"));
  EXPECT_EQ(ReadWholeFile(temp.file("crew/ARCHIVE")), CallRecord("Filed", MARK_ARCHIVE));
  EXPECT_EQ(Tool("export " + temp.file("crew/messages") + " " + Id(temp.file("crew/messages"), 0) +
                 " --yes")
                .status,
            0);
  EXPECT_TRUE(std::filesystem::exists(temp.file("crew/EXPORT.TXT")));
  // Where both spellings exist, the one typed is the log.
  WriteWholeFile(temp.file("crew/MESSAGES"), CallRecord("Other"));
  EXPECT_EQ(Tool("list " + temp.file("crew/messages") + " --tsv").out.find("Other"),
            std::string::npos);
}

// check-share takes a folder, not a log. On a local folder seen a second
// time through a link every test is tried and passes, and the probe file
// is gone afterwards.
TEST_F(TelvoLogTest, CheckShareTriesTheFolderAndCleansUp) {
  const std::string folder = temp.file("ann");
  std::filesystem::create_directory_symlink(folder, temp.file("link"));
  ToolRun tsv = Tool("check-share " + folder + " " + temp.file("link") + " --tsv");
  EXPECT_EQ(tsv.status, 0) << tsv.err;
  EXPECT_EQ(tsv.err, "");
  std::istringstream lines(tsv.out);
  std::vector<std::string> names;
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    ASSERT_GE(fields.size(), 3u) << line;
    EXPECT_LE(fields.size(), 4u) << line;
    EXPECT_EQ(fields[1], "safe") << line;
    names.push_back(fields[0]);
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"file system", "lock here", "lock across mounts",
                                      "append across mounts", "rename across mounts", "locks"}));

  ToolRun alone = Tool("check-share " + folder);
  EXPECT_EQ(alone.status, 0) << alone.err;
  EXPECT_EQ(alone.out.rfind("Shared folder " + folder + "\n  safe         file system: ", 0), 0u)
      << alone.out;
  EXPECT_NE(alone.out.find("\n  safe         lock here: "), std::string::npos);
  EXPECT_NE(alone.out.find("\n  not checked  append across mounts: no second mount given\n"),
            std::string::npos);
  EXPECT_NE(alone.out.find("see docs/DEPLOYMENT.md, 'Mounting the share'.\n"), std::string::npos);

  WriteWholeFile(log, "");
  for (const std::string& args :
       {std::string("check-share"), "check-share " + log, "check-share " + folder + " --yes",
        "check-share " + folder + " " + folder + " " + folder,
        "check-share " + folder + " " + temp.path()}) {
    ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_NE(run.err.find("Usage: telvo-log check-share FOLDER"), std::string::npos) << args;
  }
  // Only the log written above is left: no probe file, not even after the
  // run whose second folder was not the same folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

}  // namespace
}  // namespace telvo::test

namespace telvo::test {
namespace {

// alert shows, sets and removes a person's alert as the window does, and
// refuses a Back moment gone by, a stand-in not in the list, or the owner.
TEST_F(TelvoLogTest, AlertShowsSetsAndRemovesAPersonsAlert) {
  const std::string list = temp.file("team.wgl");
  WriteWholeFile(list, "Ann Smith," + temp.file("ann") + ",A," + temp.file("ann/alert.txt") +
                           "\r\nBob Brown," + temp.file("ann") + ",B,\r\n");
  FakeClockEnv env(DefaultEnv());
  env.SetNow({2026, 12, 8, 15, 0, 0});
  const auto alert = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"alert", list, "ann smith"});
    return Library(env, args);
  };
  EXPECT_EQ(alert({"--set", "Out\nsick", "--back", "9:00 AM 12-09-2026", "--calls-to", "BOB BROWN"})
                .status,
            0);
  EXPECT_EQ(ReadWholeFile(temp.file("ann/ALERT.TXT")),
            "Out\r\nsick\r\nBack 9:00 AM 12-09-2026\r\nCalls to Bob Brown\r\nPosted 3:00 PM "
            "12-08-2026\r\n");
  EXPECT_EQ(alert({"--tsv"}).out,
            "Out\\r\\nsick\t9:00 AM 12-09-2026\tBob Brown\t3:00 PM 12-08-2026\n");
  EXPECT_EQ(alert({"--set", "x", "--back", "9:00 AM 12-08-2026"}).status, 1);
  EXPECT_EQ(alert({"--set", "x", "--back", "9 AM"}).status, 2);
  EXPECT_EQ(alert({"--set", "x", "--calls-to", "Cy"}).status, 1);
  EXPECT_EQ(alert({"--set", "x", "--calls-to", "Ann Smith"}).status, 1);
  EXPECT_EQ(alert({"--remove"}).status, 0);
  EXPECT_EQ(alert({"--remove"}).status, 1);
  EXPECT_EQ(alert({}).out, "No alert.\n");
}

TEST(TelvoLogNotifyTest, PostSendsItsDatagramBeforeItEnds) {
  // The tool uses the system's port: a listener takes it unless it is busy.
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(kDefaultMessengerPort);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    GTEST_SKIP() << "port " << kDefaultMessengerPort << " is in use";
  }
  TempDir temp;
  const std::string command = std::string(TELVO_LOG_BINARY) + " post " + temp.file("MESSAGES") +
                              " --caller Joe --sender Carol --computer 127.0.0.1 >/dev/null";
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(std::system(command.c_str()), 0);
    pollfd ready{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 2000), 1) << "post " << i << " sent nothing";
    char buffer[256];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0))),
              std::string("Carol\0"
                          "127.0.0.1\0"
                          "Joe\0",
                          20));
  }
  ::close(fd);
}

}  // namespace
}  // namespace telvo::test
