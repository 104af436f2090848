// Printing the viewed log to a PDF file: the real print job (the print range
// dialog answered with every date, the layout engine, QPrinter's PDF engine,
// the file synced with its folder) in a process of its own, on logs of
// 1,000, 10,000 and 30,000 calls. Time is from fork to the end of wait4,
// peak memory the process's ru_maxrss; the 1,000-call job is the floor, so
// the table shows how each grows with the number of calls printed.

#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "core/message_boxes.h"
#include "core/program.h"
#include "platform/posix_env.h"
#include "store/folder_store.h"
#include "ui/print/print_job.h"

namespace telvo::bench {
namespace {

// Presses Print with "Print All Dates" ticked once the print range dialog
// is the modal window; looks again every millisecond until then.
void AnswerPrintRange() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || modal->objectName() != QStringLiteral("printRangeDialog")) {
    QTimer::singleShot(1, [] { AnswerPrintRange(); });
    return;
  }
  auto* all = modal->findChild<QCheckBox*>(QStringLiteral("printAllCheck"));
  auto* print = modal->findChild<QPushButton*>(QStringLiteral("printButton"));
  if (!all || !print) Fatal("the print range dialog has no printAllCheck or printButton");
  if (!all->isChecked()) all->click();
  print->click();
}

// The job, in its own process, as the call list's Print button runs it.
int PrintChild(int argc, char** argv, const std::string& log, const std::string& pdf) {
  QApplication app(argc, argv);
  PosixEnv env;
  ScriptedMessageBoxes boxes;
  Program program(env, boxes);
  FolderStore store(env);
  program.store = &store;
  program.state.viewed.book = FolderBook("Ann", log);
  QTimer::singleShot(0, [] { AnswerPrintRange(); });
  RunPrintJobToFile(program, nullptr, QString::fromStdString(pdf));
  for (const MessageBox& box : boxes.shown())
    std::fprintf(stderr, "bench: the print job said: %s\n", box.text.c_str());
  struct stat st;
  return boxes.shown().empty() && ::stat(pdf.c_str(), &st) == 0 && st.st_size > 0 ? 0 : 1;
}

// The newest `calls` calls of `source` as a log of their own.
void WriteNewestCalls(const std::string& source, size_t calls, const std::string& to) {
  const std::vector<int64_t> starts = RecordStarts(source);
  if (starts.size() < calls)
    Fatal(source + " holds fewer than " + std::to_string(calls) + " calls");
  std::ifstream in(source, std::ios::binary);
  in.seekg(starts[starts.size() - calls]);
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
  out.close();
  if (!in || !out) Fatal(to + ": cannot be written");
}

std::string Thousands(size_t n) {
  const std::string digits = std::to_string(n);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

struct Job {
  size_t calls;
  std::string folder, log, pdf;
  std::vector<double> seconds, megabytes;
  int64_t pdfBytes = 0;
};

}  // namespace
}  // namespace telvo::bench

int main(int argc, char** argv) {
  using namespace telvo::bench;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const bool quick = TakeQuickFlag(&argc, argv);
  // The measured process: "--child LOG PDF".
  if (argc == 4 && std::string(argv[1]) == "--child") {
    int qtArgc = 1;
    return PrintChild(qtArgc, argv, argv[2], argv[3]);
  }
  if (argc > 1) Fatal(std::string("unknown argument ") + argv[1]);

  ScratchFolder scratch;
  // Qt's own folder for the jobs' processes: private, as Qt wants it.
  const std::string runtime = scratch.path() + "/runtime";
  ::mkdir(runtime.c_str(), 0700);
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  // A log of about 69,000 calls; every job prints its newest calls.
  const std::string source = CachedLog(10 * kMB, Marks::kKept);
  const std::vector<size_t> counts =
      quick ? std::vector<size_t>{1000, 10000} : std::vector<size_t>{1000, 10000, 30000};
  std::vector<Job> jobs;
  for (size_t calls : counts) {
    Job job;
    job.calls = calls;
    job.folder = scratch.path() + "/calls" + std::to_string(calls);
    ::mkdir(job.folder.c_str(), 0755);
    job.log = job.folder + "\\MESSAGES";
    job.pdf = job.folder + "/calls.pdf";
    WriteNewestCalls(source, calls, job.folder + "/MESSAGES");
    jobs.push_back(job);
  }
  auto run = [&](Job& job) {
    RemoveIfPresent(job.pdf);
    const ProcessRun process = RunProgram({"/proc/self/exe", "--child", job.log, job.pdf});
    if (process.exitStatus != 0) Fatal("printing " + Thousands(job.calls) + " calls failed");
    job.seconds.push_back(process.seconds);
    job.megabytes.push_back(process.peakMegabytes);
    job.pdfBytes = FileSize(job.pdf);
  };
  // Untimed: the program, its fonts and the smallest log in the cache.
  run(jobs.front());
  jobs.front().seconds.clear(), jobs.front().megabytes.clear();
  const int rounds = quick ? 1 : 3;
  for (int round = 0; round < rounds; ++round) {
    // In turns, forwards and backwards, so drift weighs on every size alike.
    if (round % 2) {
      for (auto job = jobs.rbegin(); job != jobs.rend(); ++job) run(*job);
    } else {
      for (Job& job : jobs) run(job);
    }
  }

  const Job& floor = jobs.front();
  const double floorTime = Median(floor.seconds);
  double floorPeak = 0;
  for (double peak : floor.megabytes) floorPeak = std::max(floorPeak, peak);
  const std::string timing =
      rounds == 1 ? "one run" : "the median of " + std::to_string(rounds) + " runs";
  PrintTitle(
      "Printing to PDF: a process of its own runs the print job over the newest calls of "
      "a log; time: " +
          timing + ", peak memory: the highest",
      "the same job over 1,000 calls");
  for (const Job& job : jobs) {
    const double time = Median(job.seconds);
    PrintRow("print " + Thousands(job.calls) + " calls (" +
                 Megabytes(static_cast<double>(job.pdfBytes) / 1048576.0) + " of PDF)",
             Seconds(time), Seconds(floorTime), Ratio(time / floorTime), "none set",
             Verdict::kNone);
  }
  for (const Job& job : jobs) {
    double peak = 0;
    for (double megabytes : job.megabytes) peak = std::max(peak, megabytes);
    const bool isFloor = &job == &floor;
    PrintRow("print " + Thousands(job.calls) + " calls, peak memory", Megabytes(peak),
             Megabytes(floorPeak), Ratio(peak / floorPeak), isFloor ? "-" : "<= 1.10x",
             isFloor ? Verdict::kNone : AtMost(peak / floorPeak, 1.10));
  }
  return 0;
}
