// Benchmark reporting as ratios: every figure is divided by a reference measured in the same run
// (these machines are shared and noisy, so only ratios compare across runs).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lumora::bench {

// Collects the mean real time of every benchmark while printing the usual console table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        units_[run.benchmark_name()] = benchmark::GetTimeUnitString(run.time_unit);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints "name: time = ratio x reference" for each (name, reference) pair.
  void PrintRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::printf("\nRatios (same run):\n");
    for (const auto& [name, reference] : pairs) {
      auto a = times_.find(name);
      auto b = times_.find(reference);
      if (a == times_.end() || b == times_.end() || b->second <= 0) continue;
      std::printf("  %-48s %10.3f %s = %6.2f x %s\n", name.c_str(), a->second, units_.at(name).c_str(),
                  a->second / b->second, reference.c_str());
    }
  }

 private:
  std::map<std::string, double> times_;
  std::map<std::string, std::string> units_;
};

// Runs the registered benchmarks and prints the ratios; the body of every benchmark main.
inline int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios(pairs);
  benchmark::Shutdown();
  return 0;
}

}  // namespace lumora::bench
