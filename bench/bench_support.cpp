#include "bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <string_view>

#include "core/program_state.h"
#include "store/phone_log.h"

namespace telvo::bench {
namespace {

using Clock = std::chrono::steady_clock;

// Bump when the calls the generator writes change, so old caches are not
// taken for new ones.
constexpr const char* kLogVersion = "v2";

std::vector<std::string>& Scratch() {
  static std::vector<std::string> folders;
  return folders;
}

const pid_t kOwner = ::getpid();

void RemoveScratch() {
  if (::getpid() != kOwner) return;  // a forked child leaves them to its parent
  for (const std::string& folder : Scratch()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  Scratch().clear();
}

int OpenOrDie(const std::string& path, int flags, mode_t mode = 0644) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  if (fd < 0) Fatal(path + ": " + std::strerror(errno));
  return fd;
}

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fatal(path + ": write: " + std::strerror(errno));
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

std::string ReadRange(int fd, int64_t offset, size_t n, const std::string& path) {
  std::string bytes(n, '\0');
  size_t got = 0;
  while (got < n) {
    ssize_t r = ::pread(fd, bytes.data() + got, n - got, offset + static_cast<int64_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) Fatal(path + ": read: " + std::strerror(errno));
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  bytes.resize(got);
  return bytes;
}

std::string ReadWhole(const std::string& path) {
  int fd = OpenOrDie(path, O_RDONLY);
  std::string bytes = ReadRange(fd, 0, static_cast<size_t>(FileSize(path)), path);
  ::close(fd);
  return bytes;
}

// --- Calls ----------------------------------------------------------------------

// Windows-1252 text, as the program holds it.
constexpr std::array kFirstNames = {
    "Ann",   "Bob",          "Carla", "Dieter", "Emma",  "Frank", "Grace",  "Hector",
    "Ines",  "J\xFCrgen",    "Karen", "Luis",   "Maria", "Nils",  "Olga",   "Peter",
    "Quinn", "Rosa",         "Sam",   "Tanja",  "Uwe",   "Vera",  "Walter", "Yusuf",
    "Zoe",   "Fran\xE7oise", "Greg",  "Hannah", "Ivan",  "Jo"};
constexpr std::array kLastNames = {"Adams",
                                   "Baker",
                                   "Castillo",
                                   "Dunn",
                                   "Eriksen",
                                   "Fischer",
                                   "Garc\xED"
                                   "a",
                                   "Hughes",
                                   "Ito",
                                   "Jensen",
                                   "Kowalski",
                                   "Lindqvist",
                                   "M\xFCller",
                                   "Novak",
                                   "O'Brien",
                                   "Patel",
                                   "Quint",
                                   "Reyes",
                                   "Schmidt",
                                   "Thompson",
                                   "Underwood",
                                   "Vogel",
                                   "Walsh",
                                   "Xu",
                                   "Young",
                                   "Zimmermann"};
constexpr std::array kCompanies = {"Acme Supply",
                                   "Baker & Sons",
                                   "City Hall",
                                   "Delta Freight",
                                   "Eastside Dental",
                                   "First National",
                                   "Greenway Print",
                                   "Harbor Insurance",
                                   "Northwind Traders",
                                   "Riverside Clinic",
                                   "Summit Legal",
                                   "Tri-County Gas",
                                   "Valley Office Furniture",
                                   "West End Garage",
                                   "Lakeview School",
                                   "Metro Courier"};
constexpr std::array kPhrases = {
    "Please call back.",
    "Returning your call from this morning.",
    "About the invoice from last month, number 20-4471.",
    "Wants to move Thursday's meeting to 3 PM.",
    "The shipment is delayed until Monday; needs a new delivery address.",
    "Asked whether the quote of last week still holds.",
    "Will call again after lunch.",
    "The alarm company called: the back door sensor keeps tripping.",
    "Needs the signed contract back by Friday.",
    "Can you confirm the order number?",
    "Left a number for the afternoon only.",
    "Called twice, would not leave a message.",
    "Your car is ready at the garage.",
    "Re: the budget figures for the third quarter.",
    "Has questions about the new price list.",
    "Is running 20 minutes late for the 2 o'clock.",
    "Wants a copy of the minutes.",
    "The printer service visit is booked for Tuesday.",
    "Please fax the form again, it came through blank.",
    "Said it was personal.",
    "Lunch on Friday is off.",
    "Reminder: the dentist appointment is at 4:15.",
    "The parts you ordered have arrived.",
    "Wants to know whether you got the e-mail."};
constexpr std::array kInitials = {"AB", "CW", "DK", "EM", "JR", "LT", "MS", "PN"};

class CallMaker {
 public:
  explicit CallMaker(uint64_t seed) : rng_(seed) {}

  // The mark of the next call.
  char NextMark(Marks marks) {
    const int roll = Pick(100);
    if (marks == Marks::kThirtyPercent) {
      if (roll < 15) return MARK_DELETE;
      if (roll < 30) return MARK_ARCHIVE;
      return roll < 45 ? MARK_IMPORTANT : MARK_NEW;
    }
    return roll < 15 ? MARK_IMPORTANT : MARK_NEW;
  }

  // A body of about 100 to 200 bytes, or of exactly `length` bytes.
  std::string Body(char mark, size_t length = 0) {
    ++calls_;
    std::string head(1, mark);
    head.append(Date()).push_back(FIELD_END);
    head.append(Caller()).push_back(FIELD_END);
    head.append(Time()).push_back(FIELD_END);
    head.append(Phone()).push_back(FIELD_END);
    const std::string initials = std::string(" (") + kInitials[Pick(kInitials.size())] + ")";
    const size_t wanted = length ? length : 100 + static_cast<size_t>(Pick(101));
    const size_t room = wanted - std::min(wanted, head.size() + initials.size() + 1);
    size_t first = static_cast<size_t>(Pick(kPhrases.size()));
    std::string message = kPhrases[first];
    std::vector<size_t> used = {first};
    for (size_t next = first; message.size() < room && used.size() < kPhrases.size();) {
      next = (next + 1 + static_cast<size_t>(Pick(5))) % kPhrases.size();
      if (std::find(used.begin(), used.end(), next) != used.end()) continue;
      const std::string_view phrase = kPhrases[next];
      if (!length && message.size() + 1 + phrase.size() > room + 20) break;
      used.push_back(next);
      // Now and then the person taking the call started a new line.
      message.append(Pick(8) == 0 ? "\r\n" : " ").append(phrase);
    }
    if (length) {
      message.resize(room);  // the last call of a log fills it exactly
      if (!message.empty() && message.back() == '\r') message.back() = '.';
    }
    std::string body = head + message + initials;
    body.push_back(FIELD_END);
    return body;
  }

 private:
  int Pick(size_t n) { return static_cast<int>(rng_() % n); }

  // Twenty-odd calls a day, across the years.
  std::string Date() {
    const int64_t day = calls_ / 23;
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", static_cast<int>(day / 28 % 12) + 1,
                  static_cast<int>(day % 28) + 1, 2010 + static_cast<int>(day / 336 % 17));
    return text;
  }
  std::string Time() {
    const int hour = 8 + Pick(10), minute = Pick(60);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d %s", hour > 12 ? hour - 12 : hour, minute,
                  hour >= 12 ? "PM" : "AM");
    return text;
  }
  std::string Caller() {
    std::string caller = std::string(kFirstNames[Pick(kFirstNames.size())]) + " " +
                         kLastNames[Pick(kLastNames.size())];
    if (Pick(3) == 0) caller.append(", ").append(kCompanies[Pick(kCompanies.size())]);
    return caller;
  }
  std::string Phone() {
    char text[32];
    switch (Pick(10)) {
      case 0:
        return "";
      case 1:
        std::snprintf(text, sizeof text, "ext. %d", 200 + Pick(300));
        break;
      case 2:
      case 3:
        std::snprintf(text, sizeof text, "555-%04d", Pick(10000));
        break;
      default:
        std::snprintf(text, sizeof text, "(%03d) 555-%04d", 200 + Pick(800), Pick(10000));
    }
    return text;
  }

  std::mt19937_64 rng_;
  int64_t calls_ = 0;
};

// Appends calls of exactly `bytes` bytes (none, or at least 230) to `out`.
void AppendCalls(CallMaker& maker, Marks marks, int64_t bytes, std::string* out) {
  // Ordinary records are under 230 bytes; the last two share what remains,
  // 115 to 225 bytes each.
  constexpr int64_t kTail = 450;
  int64_t rest = bytes;
  while (rest >= kTail) {
    std::string record = FrameRecord(maker.Body(maker.NextMark(marks)));
    rest -= static_cast<int64_t>(record.size());
    out->append(record);
  }
  if (rest == 0) return;
  const int64_t first = rest / 2;
  out->append(FrameRecord(maker.Body(maker.NextMark(marks), static_cast<size_t>(first - 4))));
  out->append(
      FrameRecord(maker.Body(maker.NextMark(marks), static_cast<size_t>(rest - first - 4))));
}

// The same 1 KB of calls ends every log and lies at its middle: the pages
// listed there show the same calls whatever the size of the log.
const std::string& SharedBlock() {
  static const std::string block = [] {
    CallMaker maker(7);
    std::string calls;
    AppendCalls(maker, Marks::kKept, kSharedBlock, &calls);
    return calls;
  }();
  return block;
}

// Writes the log to `path` through a temporary file, so an interrupted build
// never leaves a file of the right size with the wrong contents.
void WriteLog(const std::string& path, int64_t bytes, Marks marks) {
  std::cerr << "bench: building " << path << " (" << SizeName(bytes) << ")\n";
  const std::string temporary = path + ".part";
  int fd = OpenOrDie(temporary, O_WRONLY | O_CREAT | O_TRUNC);
  CallMaker maker(marks == Marks::kKept ? 1 : 2);
  auto fill = [&](int64_t amount) {
    constexpr int64_t kPiece = 4 * kMB;
    std::string calls;
    for (int64_t rest = amount; rest > 0;) {
      // Pieces of whole calls: a piece never leaves less than a call behind.
      const int64_t piece = rest - kPiece >= kMB ? kPiece : rest;
      calls.clear();
      AppendCalls(maker, marks, piece, &calls);
      WriteAll(fd, calls, temporary);
      rest -= piece;
    }
  };
  if (bytes > kSharedBlock) {
    fill(MiddleBlockStart(bytes));
    WriteAll(fd, SharedBlock(), temporary);
    fill(bytes - 2 * kSharedBlock - MiddleBlockStart(bytes));
  }
  WriteAll(fd, SharedBlock(), temporary);
  if (::fsync(fd) != 0) Fatal(temporary + ": fsync: " + std::strerror(errno));
  ::close(fd);
  if (FileSize(temporary) != bytes) Fatal(temporary + ": the generator missed its size");
  std::filesystem::rename(temporary, path);
}

// Runs `build` in a child process, so the memory it takes never becomes part
// of this process: a child started later begins as a copy of this process's
// memory, which its ru_maxrss counts even after exec.
void BuildInChild(const std::function<void()>& build) {
  std::cout.flush();
  std::cerr.flush();
  pid_t pid = ::fork();
  if (pid < 0) Fatal(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    build();
    std::cerr.flush();
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) Fatal(std::string("waitpid: ") + std::strerror(errno));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fatal("building a log failed");
}

}  // namespace

bool TakeQuickFlag(int* argc, char** argv) {
  bool quick = false;
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quick") {
      quick = true;
    } else if (arg != "--full") {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
  argv[kept] = nullptr;
  return quick;
}

void Fatal(const std::string& problem) {
  std::cerr << "bench: " << problem << "\n";
  RemoveScratch();
  std::exit(1);
}

std::string CacheFolder() {
  std::string folder;
  if (const char* cache = std::getenv("TELVO_BENCH_CACHE"); cache && *cache) {
    folder = cache;
  } else {
    const char* home = std::getenv("HOME");
    folder = std::string(home && *home ? home : "/var/tmp") + "/.cache/telvo-bench";
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) Fatal(folder + ": " + error.message());
  return folder;
}

ScratchFolder::ScratchFolder() {
  static int made = 0;
  const char* dir = std::getenv("TELVO_BENCH_DIR");
  path_ = std::string(dir && *dir ? dir : "/var/tmp") + "/telvo-bench-" +
          std::to_string(::getpid()) + "-" + std::to_string(++made);
  std::error_code error;
  std::filesystem::remove_all(path_, error);
  std::filesystem::create_directories(path_, error);
  if (error) Fatal(path_ + ": " + error.message());
  Scratch().push_back(path_);
}

ScratchFolder::~ScratchFolder() {
  if (::getpid() != kOwner) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
  auto& all = Scratch();
  all.erase(std::remove(all.begin(), all.end(), path_), all.end());
}

std::string CachedLog(int64_t bytes, Marks marks) {
  const std::string path = CacheFolder() + "/calls-" + kLogVersion + "-" +
                           (marks == Marks::kKept ? "kept" : "marked30") + "-" +
                           std::to_string(bytes) + ".log";
  if (bytes != kSharedBlock && bytes < 4 * kSharedBlock) Fatal("no log of " + SizeName(bytes));
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || st.st_size != bytes)
    BuildInChild([&] { WriteLog(path, bytes, marks); });
  return path;
}

std::string CachedDamagedLog(int64_t bytes, int64_t garbage) {
  const std::string path = CacheFolder() + "/calls-" + kLogVersion + "-kept-" +
                           std::to_string(bytes) + "-garbage-" + std::to_string(garbage) + ".log";
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && st.st_size == bytes + garbage) return path;
  const std::string source = CachedLog(bytes, Marks::kKept);
  BuildInChild([&] {
    const std::string clean = ReadWhole(source);
    const size_t cut = static_cast<size_t>(MiddleBlockStart(bytes));
    std::mt19937_64 rng(3);
    std::string noise(static_cast<size_t>(garbage), '\0');
    for (char& c : noise) c = static_cast<char>(rng() & 0xFF);
    std::cerr << "bench: building " << path << "\n";
    const std::string temporary = path + ".part";
    int fd = OpenOrDie(temporary, O_WRONLY | O_CREAT | O_TRUNC);
    WriteAll(fd, std::string_view(clean).substr(0, cut), temporary);
    WriteAll(fd, noise, temporary);
    WriteAll(fd, std::string_view(clean).substr(cut), temporary);
    if (::fsync(fd) != 0) Fatal(temporary + ": fsync: " + std::strerror(errno));
    ::close(fd);
    std::filesystem::rename(temporary, path);
  });
  return path;
}

std::string SizeName(int64_t bytes) {
  if (bytes >= kGB && bytes % kGB == 0) return std::to_string(bytes / kGB) + " GB";
  if (bytes >= kMB && bytes % kMB == 0) return std::to_string(bytes / kMB) + " MB";
  if (bytes >= kKB && bytes % kKB == 0) return std::to_string(bytes / kKB) + " KB";
  return std::to_string(bytes) + " bytes";
}

std::vector<int64_t> RecordStarts(const std::string& path) {
  const std::string bytes = ReadWhole(path);
  std::vector<int64_t> starts;
  for (size_t p = 0; p + 4 <= bytes.size();) {
    starts.push_back(static_cast<int64_t>(p));
    p += 4 + static_cast<size_t>(DecodeRecordLength(std::string_view(bytes).substr(p, 2)));
  }
  return starts;
}

int64_t MiddleBlockStart(int64_t bytes) {
  return bytes > kSharedBlock ? (bytes - 2 * kSharedBlock) / 2 : 0;
}

std::string RecordBodyAt(const std::string& path, int64_t start) {
  int fd = OpenOrDie(path, O_RDONLY);
  const std::string length = ReadRange(fd, start, 2, path);
  std::string body =
      ReadRange(fd, start + 2, static_cast<size_t>(DecodeRecordLength(length)), path);
  ::close(fd);
  return body;
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) Fatal(path + ": " + std::strerror(errno));
  return st.st_size;
}

void CopyFileDurably(const std::string& from, const std::string& to) {
  int in = OpenOrDie(from, O_RDONLY);
  int out = OpenOrDie(to, O_WRONLY | O_CREAT | O_TRUNC);
  std::string buffer(size_t{1} << 20, '\0');
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fatal(from + ": read: " + std::strerror(errno));
    if (n == 0) break;
    WriteAll(out, std::string_view(buffer.data(), static_cast<size_t>(n)), to);
  }
  if (::fdatasync(out) != 0) Fatal(to + ": fdatasync: " + std::strerror(errno));
  ::close(in);
  ::close(out);
}

void RemoveIfPresent(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) Fatal(path + ": " + std::strerror(errno));
}

namespace {

ProcessRun Wait(pid_t pid, Clock::time_point start) {
  ProcessRun run;
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) Fatal(std::string("wait4: ") + std::strerror(errno));
  }
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace

ProcessRun RunProgram(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::cout.flush();
  std::cerr.flush();
  const auto start = Clock::now();
  pid_t pid = ::fork();
  if (pid < 0) Fatal(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0) ::_exit(126);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ProcessRun run = Wait(pid, start);
  if (run.exitStatus == 127 || run.exitStatus == 126) Fatal(argv[0] + ": cannot be started");
  return run;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

double Percentile(std::vector<double> values, int percent) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}

void PrintTitle(const std::string& title, const std::string& floor) {
  std::printf("\n%s\n  floor: %s\n", title.c_str(), floor.c_str());
  std::printf("  %-54s %11s %11s %9s %9s  %s\n", "figure", "value", "floor", "ratio", "target",
              "result");
  std::fflush(stdout);
}

void PrintRow(const std::string& figure, const std::string& value, const std::string& floor,
              const std::string& ratio, const std::string& target, Verdict verdict) {
  const char* word = verdict == Verdict::kMet      ? "met"
                     : verdict == Verdict::kMissed ? "missed"
                                                   : "-";
  std::printf("  %-54s %11s %11s %9s %9s  %s\n", figure.c_str(), value.c_str(), floor.c_str(),
              ratio.c_str(), target.c_str(), word);
  std::fflush(stdout);
}

std::string Seconds(double seconds) {
  char text[32];
  if (seconds < 1e-3) {
    std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
  } else if (seconds < 1) {
    std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  }
  return text;
}

std::string Megabytes(double megabytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", megabytes);
  return text;
}

std::string Ratio(double ratio) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2fx", ratio);
  return text;
}

std::string Throughput(int64_t bytes, double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f MB/s",
                static_cast<double>(bytes) / static_cast<double>(kMB) / seconds);
  return text;
}

Verdict AtMost(double value, double limit) {
  return value <= limit ? Verdict::kMet : Verdict::kMissed;
}

Verdict AtLeast(double value, double limit) {
  return value >= limit ? Verdict::kMet : Verdict::kMissed;
}

}  // namespace telvo::bench
