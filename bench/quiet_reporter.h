#pragma once
// The Google Benchmark programs here keep their own per-operation timings
// and print the table of bench_support.h at the end; this reporter keeps the
// library's own table off the screen and passes on only its errors.

#include <benchmark/benchmark.h>

#include <vector>

namespace telvo::bench {

class QuietReporter : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context&) override { return true; }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) {
        failed_ = true;
        GetErrorStream() << "bench: " << run.benchmark_name() << ": " << run.error_message << "\n";
      }
    }
  }
  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
};

}  // namespace telvo::bench
