// torture: posting, marking, exporting and purging processes work on one
// phone log for a given time while one of them is killed with SIGKILL now
// and then; afterwards every call posted is accounted for. Prints the counts
// and exits with status 1 on any fault (a lost, duplicated or altered call,
// a damaged file), 2 on a usage error.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "accounting.h"
#include "final_state.h"
#include "journal.h"
#include "supervisor.h"

namespace telvo::torture {
namespace {

constexpr const char* kUsage =
    "usage: torture [--seconds N] [--posters N] [--markers N] [--exporters N]\n"
    "               [--purgers N] [--kill-gap-ms N] [--seed N] [--dir FOLDER] [--keep]\n"
    "               [--second-dir FOLDER]\n"
    "Runs the workers for N seconds (default 60; 8 posters, 2 markers, 1 exporter,\n"
    "2 purgers), killing one every 0 to 2 x kill-gap-ms (default 300). The files and\n"
    "journals go to FOLDER (default ${TELVO_BENCH_DIR:-/var/tmp}/telvo-torture-PID),\n"
    "which is removed after a run without faults unless --keep is given. With\n"
    "--second-dir, FOLDER is mounted a second time there (a share seen by two\n"
    "workstations), and every other worker of each kind works through it.\n";

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "torture: %s\n%s", problem.c_str(), kUsage);
  std::exit(2);
}

struct Options {
  RunPlan plan;
  std::string folder;
  std::string secondFolder;
  bool keep = false;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--keep") {
      options.keep = true;
      continue;
    }
    if (name == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (i + 1 >= argc) Usage(name + " needs a value");
    const std::string value = argv[++i];
    if (name == "--dir" || name == "--second-dir") {
      (name == "--dir" ? options.folder : options.secondFolder) = value;
      continue;
    }
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || *end != '\0' || number < 0) Usage(name + " takes a number");
    const int whole = static_cast<int>(number);
    if (name == "--seconds")
      options.plan.seconds = number;
    else if (name == "--posters")
      options.plan.workers[0] = whole;
    else if (name == "--markers")
      options.plan.workers[1] = whole;
    else if (name == "--exporters")
      options.plan.workers[2] = whole;
    else if (name == "--purgers")
      options.plan.workers[3] = whole;
    else if (name == "--kill-gap-ms")
      options.plan.meanKillGapMs = whole;
    else if (name == "--seed")
      options.plan.seed = static_cast<uint32_t>(number);
    else
      Usage("unknown option " + name);
  }
  if (options.plan.workers[0] < 1) Usage("the run needs a poster");
  if (options.plan.meanKillGapMs < 1) Usage("--kill-gap-ms takes at least 1");
  if (options.folder.empty()) {
    const char* base = std::getenv("TELVO_BENCH_DIR");
    options.folder = std::string(base && *base ? base : "/var/tmp") + "/telvo-torture-" +
                     std::to_string(::getpid());
  }
  return options;
}

}  // namespace
}  // namespace telvo::torture

int main(int argc, char** argv) {
  using namespace telvo::torture;
  Options options = ParseOptions(argc, argv);
  const std::string& folder = options.folder;
  const std::string journals = folder + "/journal";
  std::error_code error;
  std::filesystem::create_directories(folder + "/ann", error);
  if (!error) std::filesystem::create_directories(journals, error);
  if (error || !std::filesystem::is_empty(journals)) {
    std::fprintf(stderr, "torture: %s: %s\n", folder.c_str(),
                 error ? error.message().c_str() : "holds an earlier run");
    return 1;
  }
  options.plan.logPath = folder + "/ann\\MESSAGES";
  if (!options.secondFolder.empty()) {
    options.plan.secondLogPath = options.secondFolder + "/ann\\MESSAGES";
  }
  options.plan.journalFolder = journals;

  const RunCounts run = RunWorkers(options.plan);
  RunFacts facts = ReadJournals(journals);
  const FinalState final = SettleAndRead(options.plan.logPath);
  const int64_t faults = AccountForEveryCall(options.plan, run, facts, final);

  if (faults == 0 && !options.keep) {
    std::filesystem::remove_all(folder, error);
  } else {
    std::printf("  %-28s %s\n", "files and journals kept in:", folder.c_str());
  }
  return faults == 0 ? 0 : 1;
}
