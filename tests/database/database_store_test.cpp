// The database store where it differs from a folder: processes posting at
// once, a poster killed inside its transaction, the notification and the
// listener that waits for it, and the schema's version and the names the
// store refuses.

#include "store/database/database_store.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "app/log_tool.h"
#include "core/call_fields.h"
#include "database/test_database.h"
#include "platform/posix_env.h"
#include "service/delivery.h"
#include "service/poller.h"
#include "service/store_messages.h"
#include "store/database/call_listener.h"
#include "store/database/database_schema.h"
#include "support/processes.h"
#include "support/records.h"
#include "support/test_env.h"
#include "ui/popup/call_feed.h"

namespace telvo::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

class DatabaseStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (conninfo_.empty()) GTEST_SKIP() << why_;
    ASSERT_TRUE(admin_.Connect(conninfo_).ok());
    ASSERT_TRUE(AddPerson(admin_, workgroup_, "Ann", "ANNPC").ok());
    annId_ = QueryNumber(admin_,
                         "SELECT p.id FROM person p JOIN workgroup w ON w.id = p.workgroup_id "
                         "WHERE w.name = $1",
                         {PgParam::Text(workgroup_)});
  }

  int64_t Rows() {
    return QueryNumber(admin_, "SELECT count(*) FROM call WHERE person_id = $1",
                       {PgParam::Int32(static_cast<int32_t>(annId_))});
  }

  // Polls `sql`, which gives one number, until `done` takes it, for up to
  // ten seconds; gives the last number.
  int64_t Await(const char* sql, std::initializer_list<PgParam> params,
                const std::function<bool(int64_t)>& done) {
    const auto end = steady_clock::now() + std::chrono::seconds(10);
    int64_t value = QueryNumber(admin_, sql, params);
    while (!done(value) && steady_clock::now() < end) {
      std::this_thread::sleep_for(milliseconds(20));
      value = QueryNumber(admin_, sql, params);
    }
    return value;
  }

  std::string why_;
  const std::string conninfo_ = TestDatabase(&why_);
  const std::string workgroup_ = UniqueName("db");
  const Person ann_{.name = "Ann"};
  PgConnection admin_;
  int64_t annId_ = 0;
};

TEST_F(DatabaseStoreTest, EightProcessesPostingAtOnceLoseAndDoubleNothing) {
  constexpr int kPosters = 8, kEach = 250;
  admin_.Close();  // no connection of the parent's goes into a child
  const auto start = steady_clock::now();
  const int failures = WaitAll(ForkTogether(kPosters, [&](int k) {
    DatabaseStore store(conninfo_, workgroup_);
    int failed = 0;
    for (int i = 0; i < kEach; ++i)
      failed += !store
                     .Post(ann_, CallBody(TestCall{.caller = "Poster " + std::to_string(k),
                                                   .message = std::to_string(i)}))
                     .ok();
    return failed;
  }));
  const double seconds = std::chrono::duration<double>(steady_clock::now() - start).count();
  EXPECT_EQ(failures, 0);
  std::printf("%d calls posted by %d processes in %.2f s: %.0f a second\n", kPosters * kEach,
              kPosters, seconds, kPosters * kEach / seconds);

  // Every call once, each poster's in the order it posted them, walked
  // page by page from the newest as the call list walks them.
  DatabaseStore store(conninfo_, workgroup_);
  std::map<std::string, std::vector<int>> seen;  // poster -> messages, newest first
  CallPage page;
  do {
    page = store.ReadPage({ann_, false}, page.calls.empty() ? CallId{} : page.calls.back().id,
                          PageDirection::kOlder, 12);
    ASSERT_TRUE(page.error.ok()) << page.error.detail;
    for (const Call& call : page.calls) {
      const CallFields fields = ParseCallBody(call.body);
      seen[fields.caller].push_back(std::stoi(fields.message));
    }
  } while (page.more);
  ASSERT_EQ(seen.size(), static_cast<size_t>(kPosters));
  for (const auto& [poster, messages] : seen) {
    std::vector<int> expected;
    for (int i = kEach; i-- > 0;) expected.push_back(i);
    EXPECT_EQ(messages, expected) << poster;
  }
}

// The poster's INSERT waits for the row lock its foreign key needs, which
// the test holds, so it is killed inside its transaction: nothing of it may
// stay, nobody may hear of it, and the next post is delivered and announced.
TEST_F(DatabaseStoreTest, APosterKilledInsideItsTransactionLeavesNothing) {
  DatabaseStore probe(conninfo_, workgroup_);
  ASSERT_TRUE(probe.Connect().ok());
  const std::string channel = NotifyChannel(probe.workgroupId());
  PgConnection listener, holder;
  ASSERT_TRUE(listener.Connect(conninfo_).ok());
  ASSERT_TRUE(listener.Exec(("LISTEN " + channel).c_str()).ok());
  ASSERT_TRUE(holder.Connect(conninfo_).ok());
  PgTransaction held(holder);
  ASSERT_TRUE(held.Begin().ok());
  ASSERT_TRUE(holder
                  .Exec("SELECT id FROM person WHERE id = $1 FOR UPDATE",
                        {PgParam::Int32(static_cast<int32_t>(annId_))})
                  .ok());

  const pid_t poster = ::fork();
  if (poster == 0) {
    DatabaseStore store(conninfo_, workgroup_);
    ::_exit(store.Post(ann_, CallBody("Killed")).ok() ? 0 : 1);
  }
  const int64_t backend = Await(
      "SELECT coalesce(max(pid), 0) FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
      "AND query LIKE '%INSERT INTO call%'",
      {}, [](int64_t pid) { return pid != 0; });
  ASSERT_NE(backend, 0) << "the poster never reached its INSERT";
  ::kill(poster, SIGKILL);
  ::waitpid(poster, nullptr, 0);
  ASSERT_TRUE(held.Commit().ok());
  // Once the lock is free the server finds its client gone and rolls back.
  ASSERT_EQ(Await("SELECT count(*) FROM pg_stat_activity WHERE pid = $1",
                  {PgParam::Int32(static_cast<int32_t>(backend))},
                  [](int64_t count) { return count == 0; }),
            0);
  EXPECT_EQ(Rows(), 0);
  std::vector<PgConnection::Notification> heard;
  ASSERT_TRUE(listener.TakeNotifications(&heard).ok());
  EXPECT_TRUE(heard.empty());

  DatabaseStore store(conninfo_, workgroup_);
  ASSERT_TRUE(store.Post(ann_, CallBody("Delivered")).ok());
  EXPECT_EQ(Rows(), 1);
  for (auto end = steady_clock::now() + std::chrono::seconds(10);
       heard.empty() && steady_clock::now() < end; std::this_thread::sleep_for(milliseconds(20)))
    ASSERT_TRUE(listener.TakeNotifications(&heard).ok());
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].channel, channel);
  EXPECT_EQ(heard[0].payload, std::to_string(annId_));  // who, and nothing of the call
}

// A connection the server dropped while idle (a restart, an administrator
// ending it) is found out by the next operation's BEGIN and replaced.
TEST_F(DatabaseStoreTest, AConnectionDroppedWhileIdleIsReplaced) {
  const std::string name = "t" + std::to_string(::getpid());
  DatabaseStore store(conninfo_ + " application_name=" + name, workgroup_);
  ASSERT_TRUE(store.Post(ann_, CallBody("Joe")).ok());
  EXPECT_EQ(QueryNumber(admin_,
                        "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                        "WHERE application_name = $1",
                        {PgParam::Text(name)}),
            1);
  // Idle a while: the server has ended the connection and said so.
  ASSERT_EQ(Await("SELECT count(*) FROM pg_stat_activity WHERE application_name = $1",
                  {PgParam::Text(name)}, [](int64_t count) { return count == 0; }),
            0);
  const StoreError posted = store.Post(ann_, CallBody("Kim"));
  EXPECT_TRUE(posted.ok()) << posted.detail;
  EXPECT_EQ(Rows(), 2);
}

// Waits up to ten seconds for `listener`'s socket to have something to read.
void AwaitBell(const CallListener& listener) {
  pollfd bell{listener.socket(), POLLIN, 0};
  ASSERT_GE(bell.fd, 0);
  ASSERT_EQ(::poll(&bell, 1, 10000), 1) << "no notification came";
}

std::vector<std::string> Messages(const std::vector<Call>& calls) {
  std::vector<std::string> messages;
  for (const Call& call : calls) messages.push_back(ParseCallBody(call.body).message);
  return messages;
}

// The listener's starting point, a post rung, and its connection cut: while
// it is down the listener tries again only after its back-off, and the first
// look that reaches the server brings every call posted meanwhile.
TEST_F(DatabaseStoreTest, TheListenerCatchesUpAfterItsConnectionWasCut) {
  DatabaseStore store(conninfo_, workgroup_);
  ASSERT_TRUE(store.Post(ann_, CallBody("Waiting")).ok());
  const std::string name = "l" + std::to_string(::getpid());
  int64_t now = 0;
  DatabaseCallListener listener(conninfo_ + " application_name=" + name, workgroup_, ann_,
                                [&] { return now; });
  std::vector<Call> news;
  ASSERT_TRUE(listener.TakeNews(&news).ok());
  EXPECT_TRUE(news.empty());  // waiting before it started: no news
  ASSERT_TRUE(store.Post(ann_, CallBody(TestCall{.caller = "Joe", .message = "First"})).ok());
  AwaitBell(listener);
  ASSERT_TRUE(listener.TakeNews(&news).ok());
  EXPECT_EQ(Messages(news), (std::vector<std::string>{"First"}));

  const auto connections = [&] {
    return QueryNumber(admin_, "SELECT count(*) FROM pg_stat_activity WHERE application_name = $1",
                       {PgParam::Text(name)});
  };
  ASSERT_EQ(QueryNumber(admin_,
                        "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                        "WHERE application_name = $1",
                        {PgParam::Text(name)}),
            1);
  std::vector<std::string> missed;
  for (int i = 0; i < 50; ++i) {
    missed.push_back("Missed " + std::to_string(i));
    ASSERT_TRUE(
        store.Post(ann_, CallBody(TestCall{.caller = "Kim", .message = missed.back()})).ok());
  }
  news.clear();
  AwaitBell(listener);  // the server's word that it ended the connection
  EXPECT_EQ(listener.TakeNews(&news).kind, StoreError::Kind::kDatabaseUnreachable);
  EXPECT_EQ(listener.socket(), -1);
  EXPECT_EQ(listener.RetryDelayMs(), DatabaseCallListener::kFirstRetryMs);
  now += DatabaseCallListener::kFirstRetryMs - 1;
  EXPECT_FALSE(listener.TakeNews(&news).ok());
  EXPECT_EQ(connections(), 0);  // not tried before its time
  now += 1;
  ASSERT_TRUE(listener.TakeNews(&news).ok());
  EXPECT_EQ(Messages(news), missed);
  EXPECT_EQ(connections(), 1);

  news.clear();
  ASSERT_TRUE(store.Post(ann_, CallBody(TestCall{.caller = "Joe", .message = "After"})).ok());
  AwaitBell(listener);
  ASSERT_TRUE(listener.TakeNews(&news).ok());
  EXPECT_EQ(Messages(news), (std::vector<std::string>{"After"}));
}

// telvo-popup's feed on a database: the socket wakes it for a new call,
// shown from its caller as plain text; after the server ended its
// connection it looks again after the back-off and shows what was missed.
TEST_F(DatabaseStoreTest, ThePopupFeedShowsNewCallsAlsoAfterALostConnection) {
  int argc = 1;
  char program[] = "telvo-popup";
  char* argv[] = {program, nullptr};
  QCoreApplication app(argc, argv);
  DatabaseStore store(conninfo_, workgroup_);
  ASSERT_TRUE(store.Post(ann_, CallBody("Waiting")).ok());
  const std::string name = "p" + std::to_string(::getpid());
  PosixEnv env;
  CallFeed feed(env,
                std::make_unique<DatabaseCallListener>(conninfo_ + " application_name=" + name,
                                                       workgroup_, ann_),
                QStringLiteral("Ann"));
  std::vector<PopupMessage> shown;
  QObject::connect(&feed, &CallFeed::arrived, [&](const std::vector<PopupMessage>& messages) {
    shown.insert(shown.end(), messages.begin(), messages.end());
  });
  const auto runUntil = [&](size_t count) {
    QElapsedTimer waited;
    waited.start();
    while (shown.size() < count && waited.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  };
  feed.Look();  // the first look, which announces nothing
  ASSERT_TRUE(shown.empty());
  ASSERT_TRUE(
      store.Post(ann_, CallBody(TestCall{.caller = "<b>Joe</b>", .message = "Call\tme"})).ok());
  runUntil(1);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].sender, QStringLiteral("<b>Joe</b>"));
  EXPECT_EQ(shown[0].computer, QStringLiteral("Ann"));
  EXPECT_EQ(shown[0].text, QStringLiteral("Call me"));

  ASSERT_EQ(QueryNumber(admin_,
                        "SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                        "WHERE application_name = $1",
                        {PgParam::Text(name)}),
            1);
  for (const char* caller : {"Kim", "Lou"}) ASSERT_TRUE(store.Post(ann_, CallBody(caller)).ok());
  runUntil(3);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1].sender, QStringLiteral("Kim"));
  EXPECT_EQ(shown[2].sender, QStringLiteral("Lou"));
  EXPECT_TRUE(feed.problem().isEmpty());
}

// Records the datagrams a delivery sends instead of sending them.
class DatagramRecordingEnv : public EnvWrapper {
 public:
  using EnvWrapper::EnvWrapper;
  void SendDatagram(const std::string& host, std::string) override { sentTo.push_back(host); }
  std::vector<std::string> sentTo;
};

// A delivery to a database workgroup rings through the database alone, and
// the program's internal popup hears it through its listener: calls that
// were waiting are not announced, a new one is, once.
TEST_F(DatabaseStoreTest, TheInternalPopupHearsADeliveryWithoutADatagram) {
  PosixEnv posix;
  DatagramRecordingEnv env(&posix);
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  DatabaseStore store(conninfo_, workgroup_);
  program.store = &store;
  program.settings.notification = Notification::kInternal;
  program.workgroup.Replace({{.name = "Ann", .computer = "ANNPC"}}, 0, 0);
  Delivery delivery(store, env);
  ASSERT_TRUE(delivery.Deliver(program.workgroup.at(0), CallBody("Waiting"), "Bob", "Joe").ok());
  PollerState poller;
  PollerTick(program, poller);
  ASSERT_TRUE(delivery.Deliver(program.workgroup.at(0), CallBody("New"), "Bob", "Joe").ok());
  AwaitBell(*poller.listener);
  PollerTick(program, poller);
  PollerTick(program, poller);
  EXPECT_TRUE(env.sentTo.empty());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, "Telvo message posted.");
}

// telvo-log works on a person of a database workgroup as on a log, named
// through the workgroup list: post, list, mark and purge, and the database's
// own words when it cannot be reached.
TEST_F(DatabaseStoreTest, TelvoLogWorksOnAPersonOfADatabaseWorkgroup) {
  TempDir temp;
  const std::string list = temp.file("team.wgl");
  WriteWholeFile(list, "DATABASE " + conninfo_ + " workgroup='" + workgroup_ + "'\r\n");
  PosixEnv env;
  std::string said;
  const auto tool = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--person", "ann"});
    std::ostringstream results, errors;
    const int status = RunLogTool(args, env, results, errors);
    said = results.str() + errors.str();
    return status;
  };
  ASSERT_EQ(tool({"post", list, "--caller", "Joe", "--message", "Call back", "--date", "12-08-2026",
                  "--time", "9:05 AM"}),
            0)
      << said;
  ASSERT_EQ(tool({"list", list, "--tsv"}), 0) << said;
  const std::string id = said.substr(0, said.find('\t'));
  EXPECT_EQ(said, id + "\tnew\t12-08-2026\t9:05 AM\tJoe\t\tCall back ()\n");
  EXPECT_EQ(tool({"mark", list, id, "delete"}), 0) << said;
  EXPECT_EQ(tool({"purge", list, "--yes"}), 0) << said;
  EXPECT_EQ(Rows(), 0);

  // The alert too, as on a shared folder.
  std::ostringstream out, err;
  ASSERT_EQ(RunLogTool({"alert", list, "ANN", "--set", "Away", "--back", "9:00 AM 12-09-2099"}, env,
                       out, err),
            0)
      << err.str();
  ASSERT_EQ(RunLogTool({"alert", list, "ann", "--tsv"}, env, out, err), 0) << err.str();
  EXPECT_EQ(out.str().substr(out.str().find('\n') + 1).substr(0, 25),
            "Away\t9:00 AM 12-09-2099\t\t");

  WriteWholeFile(list, "DATABASE host=/nonexistent workgroup=x\r\n");
  EXPECT_EQ(tool({"list", list}), 1);
  EXPECT_EQ(said.substr(0, said.find('\n')),
            "telvo-log: Telvo error Reading Workgroup list: The database could not be reached.");
}

// A schema of its own (search_path) stands for a database without Telvo's
// tables, then for one whose tables are newer than this program.
TEST_F(DatabaseStoreTest, RefusesMissingOrNewerTablesAndNamesItDoesNotHold) {
  const std::string schema = "s" + std::to_string(::getpid());
  ASSERT_TRUE(admin_.Exec(("CREATE SCHEMA " + schema).c_str()).ok());
  struct Drop {
    PgConnection& admin;
    std::string sql;
    ~Drop() { static_cast<void>(admin.Exec(sql.c_str())); }
  } drop{admin_, "DROP SCHEMA " + schema + " CASCADE"};
  const std::string inSchema = conninfo_ + " options='-c search_path=" + schema + "'";
  const auto refusal = [&](const std::string& conninfo, const std::string& workgroup,
                           const Person& to) {
    return DatabaseStore(conninfo, workgroup).Post(to, CallBody("Joe"));
  };

  StoreError error = refusal(inSchema, workgroup_, ann_);
  EXPECT_EQ(error.kind, StoreError::Kind::kDatabaseRefused);
  EXPECT_EQ(NotDeliveredText(error),
            "The message was not delivered.\rThe database refused the request.\rThe database "
            "holds no Telvo tables. An administrator makes them with telvo-log db-init.");
  // telvo-log makes the tables there, refuses to touch newer ones, and
  // adds a person.
  PosixEnv env;
  const auto tool = [&](const std::vector<std::string>& args, std::string* out) {
    std::ostringstream results, errors;
    const int status = RunLogTool(args, env, results, errors);
    *out = results.str() + errors.str();
    return status;
  };
  std::string said;
  EXPECT_EQ(tool({"db-init", inSchema}, &said), 0);
  EXPECT_EQ(said, "Telvo's tables are now version " + std::to_string(KnownSchemaVersion()) +
                      " (they were none).\n");
  EXPECT_EQ(tool({"db-add", inSchema, workgroup_}, &said), 2);
  EXPECT_EQ(tool({"db-add", inSchema, workgroup_, "Ann", "ANNPC"}, &said), 0);
  EXPECT_TRUE(refusal(inSchema, workgroup_, ann_).ok());

  PgConnection there;
  ASSERT_TRUE(there.Connect(inSchema).ok());
  ASSERT_TRUE(there.Exec("UPDATE schema_version SET version = version + 1").ok());
  const std::string newer = "The database's Telvo tables are of version " +
                            std::to_string(KnownSchemaVersion() + 1) +
                            ", newer than this Telvo knows (version " +
                            std::to_string(KnownSchemaVersion()) + "). Install the newer Telvo.";
  EXPECT_EQ(refusal(inSchema, workgroup_, ann_).detail, newer);
  EXPECT_EQ(tool({"db-init", inSchema}, &said), 1);
  EXPECT_EQ(said, "telvo-log: The database refused the request.\n" + newer + "\n");
  EXPECT_EQ(QueryNumber(there, "SELECT version FROM schema_version"), KnownSchemaVersion() + 1);

  EXPECT_EQ(refusal(conninfo_, "Nobody's", ann_).detail,
            "The workgroup Nobody's is not in the database, or this user is not one of its "
            "members. An administrator adds people with telvo-log db-add.");
  EXPECT_EQ(refusal(conninfo_, workgroup_, {.name = "Zo\xeb"}).detail,
            "Zo\xeb is not in the workgroup " + workgroup_ + " in the database.");
  error = refusal("host=/nonexistent port=5432 dbname=telvo", workgroup_, ann_);
  EXPECT_EQ(error.kind, StoreError::Kind::kDatabaseUnreachable);
  EXPECT_EQ(LogFailureText(error),
            "The database could not be reached.\rconnection to server on socket "
            "\"/nonexistent/.s.PGSQL.5432\" failed: No such file or directory\rIs the server "
            "running locally and accepting connections on that socket?");
}

}  // namespace
}  // namespace telvo::test
