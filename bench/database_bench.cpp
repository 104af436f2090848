// The database store against its floors, on a throw-away PostgreSQL cluster
// that the program starts for itself on the disk of the scratch folders,
// read and written by a member of the workgroup as the programs are: a post
// through DatabaseStore against the folder store's post to a log on the
// same disk; the newest page and a middle page of books of 10 to 1,000,000
// calls against the same pages of the book of 10; the time from just before
// a post to its notification in another process against the post alone; and
// eight processes posting at once, every call counted afterwards.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/call_fields.h"
#include "core/pad_values.h"
#include "platform/posix_env.h"
#include "quiet_reporter.h"
#include "store/database/database_schema.h"
#include "store/database/database_store.h"
#include "store/folder_store.h"

namespace telvo::bench {
namespace {

bool quick = false;
int Posts() { return quick ? 500 : 2000; }
int Notifications() { return quick ? 200 : 1000; }
constexpr int kPosters = 8;
int PostsEach() { return quick ? 60 : 250; }
int Rounds() { return quick ? 1 : 3; }
int PageRounds() { return quick ? 500 : 2000; }
constexpr int kPageCalls = 12;
constexpr int64_t kBookSizes[] = {10, 10'000, 1'000'000};
constexpr int64_t kLargest = 1'000'000;
// Calls of another person posted after the largest book's: a page of that
// book is read again behind each number of them.
constexpr int64_t kNewerCalls[] = {10'000, 100'000};
int BehindRounds() { return quick ? 100 : 200; }
// A notification not taken by then counts as lost.
constexpr int kNotificationWaitMs = 5000;
constexpr char kWorkgroup[] = "bench";
constexpr char kMemberRole[] = "bench_ann";

// --- The cluster ----------------------------------------------------------------

// The stop command, spelled out before the cluster starts: a signal handler
// may only fork and exec.
std::string clusterDir;
std::vector<char*> stopArgv;
const pid_t kOwner = ::getpid();

void StopCluster() {
  if (::getpid() != kOwner || stopArgv.empty()) return;  // a forked poster leaves it
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(stopArgv[0], stopArgv.data());
    ::_exit(127);
  }
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// An interrupted run leaves no server behind either.
void StopOnSignal(int number) {
  StopCluster();
  ::signal(number, SIG_DFL);
  ::raise(number);
}

// Runs pg_cluster.sh with `action` on the cluster's folder; its standard
// output goes to `output`, its exit status is returned.
int RunClusterScript(const char* action, std::string* output) {
  int out[2];
  if (::pipe(out) != 0) Fatal(std::string("pipe: ") + std::strerror(errno));
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) Fatal(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(TELVO_PG_CLUSTER_SCRIPT, TELVO_PG_CLUSTER_SCRIPT, action, clusterDir.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    output->append(buffer, static_cast<size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the cluster in a folder beside the scratch folders, so that its
// commits are synced to the disk the folder store's posts are; gives its
// connection string and the script's line naming the server. Where no
// server can start here the program says so in one line and ends, skipped.
std::string StartCluster(std::string* server) {
  const char* base = std::getenv("TELVO_BENCH_DIR");
  clusterDir = std::string(base && *base ? base : "/var/tmp") + "/telvo-bench-pg-" +
               std::to_string(::getpid());
  static std::string script = TELVO_PG_CLUSTER_SCRIPT, stop = "stop";
  stopArgv = {script.data(), stop.data(), clusterDir.data(), nullptr};
  std::atexit(StopCluster);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) ::signal(number, StopOnSignal);
  const int status = RunClusterScript("start", server);
  while (!server->empty() && server->back() == '\n') server->pop_back();
  // The script's last line says why; lines of the server's log may come
  // before it.
  if (status == 77) {
    std::string why = server->substr(server->rfind('\n') + 1);
    if (why.rfind("SKIP: ", 0) == 0) why.erase(0, 6);
    std::printf("database_bench: skipped: %s\n", why.c_str());
    std::exit(0);
  }
  if (status != 0) Fatal("pg_cluster.sh start failed (" + std::to_string(status) + ")");
  std::string conninfo;
  std::getline(std::ifstream(clusterDir + "/conninfo"), conninfo);
  if (conninfo.empty()) Fatal(clusterDir + "/conninfo: no connection string");
  return conninfo;
}

// --- Calls and people -------------------------------------------------------------

std::string Why(const StoreError& error) {
  return error.detail.empty() ? error.status.ToString() : error.detail;
}

void Check(const StoreError& error, const std::string& doing) {
  if (!error.ok()) Fatal(doing + ": " + Why(error));
}

// A call as the pad posts it; `marker` ends its message, so that each of
// the eight processes' calls can be told from every other.
std::string Body(const std::string& marker = "") {
  PadValues pad;
  pad.selectedIndex = 0;
  pad.caller = "Joe Caller";
  pad.date = "12-06-2026";
  pad.time = "9:05 AM";
  pad.phone = "555-1234";
  pad.message = "Please call back about the quarterly figures." + marker;
  return PadCallBody(pad, "BM");
}

// Everything the run measures lives in one workgroup; each figure has a
// person of its own.
struct Database {
  std::string conninfo;  // the cluster's superuser, who fills and counts
  // A member of the workgroup, as the programs connect: the tables'
  // row-level policies apply to every statement of theirs.
  std::string member;
  int32_t workgroupId = 0;
};
Database db;

int64_t QueryNumber(PgConnection& connection, const char* sql,
                    std::initializer_list<PgParam> params) {
  PgResult result;
  Check(connection.Exec(sql, params, &result), sql);
  if (result.rows() == 0) Fatal(std::string(sql) + ": no row");
  return result.Integer(0, 0);
}

int32_t PersonId(PgConnection& admin, const std::string& name) {
  return static_cast<int32_t>(
      QueryNumber(admin, "SELECT id FROM person WHERE workgroup_id = $1 AND name = $2",
                  {PgParam::Int32(db.workgroupId), PgParam::Bytes(name)}));
}

std::string BookName(int64_t calls) { return "Book" + std::to_string(calls); }

void MakeTables(PgConnection& admin) {
  int before = 0, after = 0;
  Check(MigrateSchema(admin, &before, &after), "making the tables");
  Check(AddPerson(admin, kWorkgroup, "Ann", "", kMemberRole), "Ann");
  std::vector<std::string> people = {"Notified", "Eight", "Newer"};
  for (int64_t calls : kBookSizes) people.push_back(BookName(calls));
  for (const std::string& name : people) Check(AddPerson(admin, kWorkgroup, name, ""), name);
  db.workgroupId = static_cast<int32_t>(
      QueryNumber(admin, "SELECT id FROM workgroup WHERE name = $1", {PgParam::Text(kWorkgroup)}));
  db.member = db.conninfo + " user=" + kMemberRole;
}

// The bodies of the cached 1 MB log, numbered from 0 in a table of the
// admin's session: the calls the books are filled with.
int64_t LoadBodies(PgConnection& admin) {
  const std::string log = CachedLog(kMB, Marks::kKept);
  Check(admin.Exec("CREATE TEMPORARY TABLE bench_body (n bigint PRIMARY KEY, body bytea)"),
        "bench_body");
  PgTransaction transaction(admin);
  Check(transaction.Begin(), "BEGIN");
  int64_t n = 0;
  for (int64_t start : RecordStarts(log)) {
    Check(admin.Exec("INSERT INTO bench_body VALUES ($1, $2)",
                     {PgParam::Int64(n++), PgParam::Bytes(RecordBodyAt(log, start))}),
          "bench_body");
  }
  Check(transaction.Commit(), "COMMIT");
  return n;
}

// Adds `calls` calls to `name`'s book in one statement, far faster than as
// many posts.
void AddCalls(PgConnection& admin, const std::string& name, int64_t calls) {
  // Loaded once, into the admin session's own table.
  static const int64_t bodies = LoadBodies(admin);
  Check(admin.Exec(
            "INSERT INTO call (person_id, book, body) "
            "SELECT $1, 0, b.body FROM generate_series(0, $2 - 1) g "
            "JOIN bench_body b ON b.n = g % $3 ORDER BY g",
            {PgParam::Int32(PersonId(admin, name)), PgParam::Int64(calls), PgParam::Int64(bodies)}),
        "filling " + name);
}

// The books, largest last, so that its calls are the newest in the table;
// VACUUM ANALYZE leaves autovacuum nothing to do while the pages are timed.
void FillBooks(PgConnection& admin) {
  for (int64_t calls : kBookSizes) AddCalls(admin, BookName(calls), calls);
  Check(admin.Exec("VACUUM ANALYZE call"), "VACUUM ANALYZE");
}

// The server writes out the buffers a fill left dirty, and the kernel its
// cache, so that no timing waits behind the fill's writes.
void SettleDisk(PgConnection& admin) {
  Check(admin.Exec("CHECKPOINT"), "CHECKPOINT");
  ::sync();
}

using Stamp = int64_t;  // CLOCK_MONOTONIC in ns, the same clock in every process

Stamp Now() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return Stamp{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

double SecondsBetween(Stamp from, Stamp to) { return static_cast<double>(to - from) * 1e-9; }

// --- Figures ----------------------------------------------------------------------

struct Figures {
  std::vector<double> databasePost, folderPost, roundTrip, bareInsert;
  std::map<std::string, std::vector<double>> pages;  // by PageKey
  std::map<std::string, int> pageCalls;
  std::vector<double> notified, notifyingPost;
  int lost = 0;
  std::vector<double> rounds;  // wall time of each round of eight processes
  std::vector<double> alone;   // and of one process's rounds between them
  int delivered = 0, refused = 0, missing = 0, doubled = 0, strays = 0;
};
Figures figures;

// `newer`: the calls of another person posted after the book's; `owner`:
// read by the tables' owner, whom the row-level policies do not bind.
std::string PageKey(bool middle, int64_t calls, int64_t newer = 0, bool owner = false) {
  return (middle ? "middle/" : "newest/") + std::to_string(calls) + "+" + std::to_string(newer) +
         (owner ? "/owner" : "");
}

// Database and folder posts take turns, so both see the same drift of the
// disk, and with them the two parts a database post is made of: a
// statement's round trip to the server, and one INSERT committed on its
// own, which waits for the server's sync. 20 of each first, untimed,
// connect and warm up.
void BM_Post(benchmark::State& state) {
  ScratchFolder folder;
  DatabaseStore database(db.member, kWorkgroup);
  PosixEnv env;
  FolderStore files(env);
  PgConnection bare;
  Check(bare.Connect(db.member), "connecting");
  const Person ann{.name = "Ann"};
  const Person local{.name = "Ann", .log = folder.path() + "\\MESSAGES"};
  const std::string body = Body();
  const PgParam annId = PgParam::Int32(PersonId(bare, "Ann"));
  const std::vector<std::function<StoreError()>> steps = {
      [&] { return database.Post(ann, body); },
      [&] { return files.Post(local, body); },
      [&] { return bare.Exec("SELECT 1"); },
      [&] {
        return bare.Exec("INSERT INTO call (person_id, book, body) VALUES ($1, 0, $2)",
                         {annId, PgParam::Bytes(body)});
      },
  };
  std::vector<double>* const timings[] = {&figures.databasePost, &figures.folderPost,
                                          &figures.roundTrip, &figures.bareInsert};
  for (int i = 0; i < 20; ++i) {
    for (const auto& step : steps) Check(step(), "warming up");
  }
  for (auto _ : state) {
    for (size_t i = 0; i < steps.size(); ++i) {
      const Stamp start = Now();
      const StoreError error = steps[i]();
      timings[i]->push_back(SecondsBetween(start, Now()));
      if (!error.ok()) return state.SkipWithError(Why(error).c_str());
    }
  }
}

// The call `calls / 2` calls from the oldest of the book of `calls`, as a
// page read before would have named it.
CallId MiddleCall(int64_t calls) {
  PgConnection admin;
  Check(admin.Connect(db.conninfo), "connecting");
  PgResult row;
  Check(admin.Exec("SELECT seq, body FROM call WHERE person_id = $1 AND book = 0 "
                   "ORDER BY seq OFFSET $2 LIMIT 1",
                   {PgParam::Int32(PersonId(admin, BookName(calls))), PgParam::Int64(calls / 2)},
                   &row),
        "the middle call");
  if (row.rows() != 1) Fatal(BookName(calls) + " has no middle call");
  return CallId::Of(row.Integer(0, 0), row.Bytes(0, 1));
}

// A page to read: the newest of the book of `calls`, or the one older than
// its middle call, while `newer` calls of another person are newer; read by
// a member, as the programs read, or by the tables' owner.
struct PageCase {
  int64_t calls = 0;
  bool middle = false;
  int64_t newer = 0;
  bool owner = false;
};

// Reads each case's page in turn, page by page, beginning with another case
// each round, so that every case sees the same moments of a busy machine:
// pages as "Latest" and "Next" ask for them, through one store for the
// member, as a program reads several books, and one for the owner. 100
// untimed rounds first.
void ListPagesInTurns(benchmark::State& state, const std::vector<PageCase>& cases) {
  DatabaseStore member(db.member, kWorkgroup), owner(db.conninfo, kWorkgroup);
  struct Reader {
    DatabaseStore* store;
    CallBook book;
    CallId from;
    std::string key;
  };
  std::vector<Reader> readers;
  for (const PageCase& page : cases) {
    readers.push_back({page.owner ? &owner : &member,
                       {.owner = {.name = BookName(page.calls)}},
                       page.middle ? MiddleCall(page.calls) : CallId{},
                       PageKey(page.middle, page.calls, page.newer, page.owner)});
  }
  auto read = [&](const Reader& reader) {
    return reader.store->ReadPage(reader.book, reader.from, PageDirection::kOlder, kPageCalls);
  };
  for (int i = 0; i < 100; ++i) {
    for (const Reader& reader : readers) Check(read(reader).error, "ReadPage");
  }
  size_t first = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < readers.size(); ++i) {
      const Reader& reader = readers[(first + i) % readers.size()];
      const Stamp start = Now();
      const CallPage page = read(reader);
      figures.pages[reader.key].push_back(SecondsBetween(start, Now()));
      if (!page.error.ok()) return state.SkipWithError(Why(page.error).c_str());
      figures.pageCalls[reader.key] = static_cast<int>(page.calls.size());
    }
    ++first;
  }
}

// What the poster tells the listener about each post.
struct PostReport {
  Stamp start = 0, end = 0;
  int delivered = 0;
};

// The notified person's poster, in a process of its own: one post for each
// byte on `go`, reported on `back`.
[[noreturn]] void PostOnCue(int go, int back) {
  DatabaseStore store(db.member, kWorkgroup);
  const Person notified{.name = "Notified"};
  const std::string body = Body();
  int status = store.Connect().ok() ? 0 : 1;
  for (char c; status == 0 && ::read(go, &c, 1) == 1;) {
    PostReport report;
    report.start = Now();
    report.delivered = store.Post(notified, body).ok();
    report.end = Now();
    if (::write(back, &report, sizeof report) != sizeof report) status = 1;
  }
  ::_exit(status);
}

// Waits on the listener's socket until a notification of `channel` is
// taken: when it was taken, or 0 when none came in time.
Stamp AwaitNotification(PgConnection& listener, const std::string& channel,
                        const std::string& payload) {
  const Stamp deadline = Now() + Stamp{kNotificationWaitMs} * 1'000'000;
  for (;;) {
    std::vector<PgConnection::Notification> arrived;
    Check(listener.TakeNotifications(&arrived), "taking notifications");
    const Stamp taken = Now();
    for (const auto& notification : arrived) {
      if (notification.channel == channel && notification.payload == payload) return taken;
    }
    if (taken >= deadline) return 0;
    pollfd readable{.fd = listener.socket(), .events = POLLIN, .revents = 0};
    ::poll(&readable, 1, static_cast<int>((deadline - taken) / 1'000'000) + 1);
  }
}

void BM_Notification(benchmark::State& state) {
  PgConnection listener;
  Check(listener.Connect(db.member), "connecting the listener");
  const std::string channel = NotifyChannel(db.workgroupId);
  Check(listener.Exec(("LISTEN \"" + channel + "\"").c_str()), "LISTEN");
  const std::string payload = std::to_string(PersonId(listener, "Notified"));
  int go[2], back[2];
  if (::pipe(go) != 0 || ::pipe(back) != 0) return state.SkipWithError("pipe");
  std::fflush(nullptr);
  const pid_t poster = ::fork();
  if (poster == 0) {
    ::close(go[1]);
    ::close(back[0]);
    PostOnCue(go[0], back[1]);
  }
  ::close(go[0]);
  ::close(back[1]);
  for (auto _ : state) {
    PostReport report;
    Stamp taken = 0;
    if (::write(go[1], "p", 1) == 1) taken = AwaitNotification(listener, channel, payload);
    if (::read(back[0], &report, sizeof report) != sizeof report || !report.delivered) {
      state.SkipWithError("the poster's post failed");
      break;
    }
    figures.notifyingPost.push_back(SecondsBetween(report.start, report.end));
    if (taken) figures.notified.push_back(SecondsBetween(report.start, taken));
    figures.lost += taken == 0;
  }
  ::close(go[1]);
  ::close(back[0]);
  ::waitpid(poster, nullptr, 0);
}

// --- Eight processes --------------------------------------------------------------

std::string Marker(int round, int poster, int post) {
  return " [" + std::to_string(round) + "-" + std::to_string(poster) + "-" + std::to_string(post) +
         "]";
}

// One poster of a round: connected before the gate opens, then PostsEach()
// posts as fast as it can; whether each was delivered goes back on
// `results`.
[[noreturn]] void PostInRound(int gate, int results, int round, int poster) {
  DatabaseStore store(db.member, kWorkgroup);
  const Person eight{.name = "Eight"};
  const bool connected = store.Connect().ok();
  char c;
  while (::read(gate, &c, 1) > 0) {
  }
  std::string delivered(static_cast<size_t>(PostsEach()), '\0');
  for (int i = 0; connected && i < PostsEach(); ++i) {
    delivered[static_cast<size_t>(i)] =
        store.Post(eight, Body(Marker(round, poster, i))).ok() ? 1 : 0;
  }
  const bool sent = ::write(results, delivered.data(), delivered.size()) ==
                    static_cast<ssize_t>(delivered.size());
  ::_exit(connected && sent ? 0 : 1);
}

// A round of `posters` processes released at once: which of their posts
// were delivered, poster by poster, and the wall time until the last one
// reported; false when a process failed.
bool PostingRound(int posters, int round, std::vector<std::string>* delivered,
                  std::vector<double>* walls) {
  int gate[2];
  if (::pipe(gate) != 0) return false;
  std::vector<int> results;
  std::vector<pid_t> children;
  std::fflush(nullptr);
  for (int k = 0; k < posters; ++k) {
    int result[2];
    if (::pipe(result) != 0) return false;
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      ::close(result[0]);
      PostInRound(gate[0], result[1], round, k);
    }
    ::close(result[1]);
    results.push_back(result[0]);
    children.push_back(pid);
  }
  ::close(gate[0]);
  const Stamp start = Now();
  ::close(gate[1]);  // releases them all
  bool ok = true;
  for (int fd : results) {
    std::string mine(static_cast<size_t>(PostsEach()), '\0');
    ok = ok && ::read(fd, mine.data(), mine.size()) == static_cast<ssize_t>(mine.size());
    delivered->push_back(mine);
    ::close(fd);
  }
  walls->push_back(SecondsBetween(start, Now()));
  for (pid_t pid : children) {
    int status = 0;
    ok = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
  }
  return ok;
}

// Every call the rounds' processes reported delivered must be in the book
// exactly once. A refused post may still have been committed (the answer
// was lost), so its call is counted as a stray, not a fault.
void CountCalls(const std::vector<std::vector<std::string>>& rounds) {
  PgConnection admin;
  Check(admin.Connect(db.conninfo), "connecting");
  PgResult rows;
  Check(admin.Exec("SELECT body FROM call WHERE person_id = $1 AND book = 0",
                   {PgParam::Int32(PersonId(admin, "Eight"))}, &rows),
        "counting");
  std::map<std::string, int> found;
  for (int row = 0; row < rows.rows(); ++row) ++found[std::string(rows.Bytes(row, 0))];
  for (const auto& [body, count] : found) figures.doubled += count - 1;
  int posted = 0;
  for (int round = 0; round < static_cast<int>(rounds.size()); ++round) {
    const auto& delivered = rounds[static_cast<size_t>(round)];
    for (int k = 0; k < static_cast<int>(delivered.size()); ++k) {
      for (int i = 0; i < PostsEach(); ++i) {
        const bool reported = delivered[static_cast<size_t>(k)][static_cast<size_t>(i)] != 0;
        const bool there = found.count(Body(Marker(round, k, i))) > 0;
        figures.delivered += reported;
        figures.refused += !reported;
        figures.missing += reported && !there;
        figures.strays += !reported && there;
        posted += there;
      }
    }
  }
  figures.strays += static_cast<int>(found.size()) - posted;  // calls nobody posted
}

// Rounds of eight processes take turns with rounds of one process posting
// as many calls as each of the eight, so both see the same disk; all their
// calls are counted afterwards.
void BM_EightProcesses(benchmark::State& state) {
  std::vector<std::vector<std::string>> rounds;
  for (auto _ : state) {
    for (int posters : {kPosters, 1}) {
      rounds.emplace_back();
      if (!PostingRound(posters, static_cast<int>(rounds.size()) - 1, &rounds.back(),
                        posters == 1 ? &figures.alone : &figures.rounds)) {
        state.SkipWithError("a posting process failed");
        return;
      }
    }
  }
  CountCalls(rounds);
}

// Runs what is registered, then forgets it, so that the next phase runs
// on the tables as this one left them.
void RunRegistered(QuietReporter& reporter) {
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::ClearRegisteredBenchmarks();
}

// --- The table --------------------------------------------------------------------

std::string Count(int64_t n) {
  std::string digits = std::to_string(n), text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

void PrintPosts() {
  if (figures.databasePost.empty()) return;
  PrintTitle("Database store: DatabaseStore::Post of one call; " + Count(Posts()) +
                 " posts taking turns with the floor's",
             "FolderStore::Post of the same body to a log on the same disk");
  const double p50 = Median(figures.databasePost), floor50 = Median(figures.folderPost);
  PrintRow("post, median", Seconds(p50), Seconds(floor50), Ratio(p50 / floor50), "<= 2.00x",
           AtMost(p50 / floor50, 2.0));
  const double p99 = Percentile(figures.databasePost, 99);
  const double floor99 = Percentile(figures.folderPost, 99);
  PrintRow("post, 99th percentile", Seconds(p99), Seconds(floor99), Ratio(p99 / floor99), "-",
           Verdict::kNone);
  // What a post is made of: its five statements' round trips, and the sync
  // its COMMIT waits for.
  const double insert = Median(figures.bareInsert);
  PrintRow("one INSERT committed alone, median", Seconds(insert), Seconds(floor50),
           Ratio(insert / floor50), "-", Verdict::kNone);
  PrintRow("one statement's round trip (SELECT 1), median", Seconds(Median(figures.roundTrip)), "-",
           "-", "-", Verdict::kNone);
}

// A page against its floor, both read in the same turns.
void PrintPageRow(const std::string& figure, const std::string& key, const std::string& floorKey,
                  bool targeted) {
  if (!figures.pages.count(key) || !figures.pages.count(floorKey)) return;
  const double seconds = Median(figures.pages[key]), floor = Median(figures.pages[floorKey]);
  PrintRow(figure, Seconds(seconds), Seconds(floor), Ratio(seconds / floor),
           targeted ? "<= 5 ms" : "-", targeted ? AtMost(seconds, 5e-3) : Verdict::kNone);
}

void PrintPages() {
  if (figures.pages.empty()) return;
  PrintTitle("Database store: ReadPage of " + std::to_string(kPageCalls) +
                 " calls by a member, older than the newest or the middle call; median of " +
                 Count(PageRounds()) + " pages each, in turns (" + Count(BehindRounds()) +
                 " behind others' calls)",
             "the same page of the book of 10 calls, read in the same turns");
  const int64_t smallest = kBookSizes[0];
  for (bool middle : {false, true}) {
    for (int64_t calls : kBookSizes) {
      const std::string key = PageKey(middle, calls);
      PrintPageRow(std::string(middle ? "middle page" : "newest page") + " (" +
                       std::to_string(figures.pageCalls[key]) + " calls), book of " + Count(calls),
                   key, PageKey(middle, smallest), calls == kLargest && !middle);
    }
  }
  const std::string largest = "newest page of " + Count(kLargest);
  PrintPageRow(largest + ", read by the tables' owner", PageKey(false, kLargest, 0, true),
               PageKey(false, smallest), true);
  for (int64_t newer : kNewerCalls) {
    const std::string behind = largest + ", " + Count(newer) + " newer";
    PrintPageRow(behind + " elsewhere", PageKey(false, kLargest, newer),
                 PageKey(false, smallest, newer), true);
    PrintPageRow(behind + ", by the owner", PageKey(false, kLargest, newer, true),
                 PageKey(false, smallest, newer), true);
  }
}

void PrintNotifications() {
  if (figures.notifyingPost.empty()) return;
  PrintTitle(
      "Database store: from just before Post to the notification taken in another "
      "process; " +
          Count(Notifications()) + " posts",
      "the post itself, as the posting process timed it");
  const double p50 = Median(figures.notified), floor50 = Median(figures.notifyingPost);
  const double p99 = Percentile(figures.notified, 99);
  const double floor99 = Percentile(figures.notifyingPost, 99);
  // With none taken there is no latency to show, and the target is missed.
  const bool any = !figures.notified.empty();
  PrintRow("notification, median", any ? Seconds(p50) : "-", Seconds(floor50),
           any ? Ratio(p50 / floor50) : "-", "-", Verdict::kNone);
  PrintRow("notification, 99th percentile", any ? Seconds(p99) : "-", Seconds(floor99),
           any ? Ratio(p99 / floor99) : "-", "<= 100 ms",
           any ? AtMost(p99, 0.1) : Verdict::kMissed);
  PrintRow("notifications lost", Count(figures.lost), "-", "-", "0", AtMost(figures.lost, 0));
}

void PrintEight() {
  if (figures.rounds.empty() || figures.alone.empty()) return;
  const int posts = kPosters * PostsEach();
  PrintTitle("Database store: " + std::to_string(kPosters) + " processes posting " +
                 Count(PostsEach()) + " calls each at once; " + std::to_string(Rounds()) +
                 " round(s), then every call counted",
             "one process posting " + Count(PostsEach()) + " calls alone, in turns with them");
  const double rate = posts / Median(figures.rounds);
  const double floor = PostsEach() / Median(figures.alone);
  char value[32], floorText[32];
  std::snprintf(value, sizeof value, "%.0f/s", rate);
  std::snprintf(floorText, sizeof floorText, "%.0f/s", floor);
  PrintRow(Count(posts) + " posts: calls per second", value, floorText, Ratio(rate / floor), "-",
           Verdict::kNone);
  // The one process's calls are counted with the eight's.
  PrintRow("delivered calls missing (of " + Count(figures.delivered) + ")", Count(figures.missing),
           "-", "-", "0", AtMost(figures.missing, 0));
  PrintRow("calls doubled", Count(figures.doubled), "-", "-", "0", AtMost(figures.doubled, 0));
  if (figures.refused || figures.strays)
    PrintRow("posts refused (their calls there after all: " + Count(figures.strays) + ")",
             Count(figures.refused), "-", "-", "-", Verdict::kNone);
}

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  quick = TakeQuickFlag(&argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  std::string server;
  db.conninfo = StartCluster(&server);
  // Holds the bodies the books are filled from, for the whole run; the
  // forked posters leave it alone and end with _exit.
  telvo::PgConnection admin;
  Check(admin.Connect(db.conninfo), "connecting");
  MakeTables(admin);
  FillBooks(admin);
  SettleDisk(admin);
  QuietReporter reporter;
  std::vector<PageCase> cases;
  for (bool middle : {false, true}) {
    for (int64_t calls : kBookSizes) cases.push_back({calls, middle, 0});
  }
  cases.push_back({kLargest, false, 0, true});
  benchmark::RegisterBenchmark("BM_Pages", [=](benchmark::State& state) {
    ListPagesInTurns(state, cases);
  })->Iterations(PageRounds());
  RunRegistered(reporter);
  // A workgroup's other people go on receiving calls: the largest book's
  // newest page again, once its calls are no longer the newest in the table.
  int64_t added = 0;
  for (int64_t newer : kNewerCalls) {
    AddCalls(admin, "Newer", newer - added);
    SettleDisk(admin);
    added = newer;
    const std::vector<PageCase> behind = {
        {kBookSizes[0], false, newer}, {kLargest, false, newer}, {kLargest, false, newer, true}};
    benchmark::RegisterBenchmark(("BM_PagesBehind/" + std::to_string(newer)).c_str(),
                                 [=](benchmark::State& state) { ListPagesInTurns(state, behind); })
        ->Iterations(BehindRounds());
    RunRegistered(reporter);
  }
  SettleDisk(admin);
  benchmark::RegisterBenchmark("BM_Post", BM_Post)->Iterations(Posts());
  benchmark::RegisterBenchmark("BM_Notification", BM_Notification)->Iterations(Notifications());
  benchmark::RegisterBenchmark("BM_EightProcesses", BM_EightProcesses)->Iterations(Rounds());
  RunRegistered(reporter);
  benchmark::Shutdown();

  std::printf("\n%s\n", server.c_str());
  PrintPosts();
  PrintPages();
  PrintNotifications();
  PrintEight();
  const bool faults = figures.lost || figures.missing || figures.doubled;
  return reporter.failed() || faults ? 1 : 0;
}
