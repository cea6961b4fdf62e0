#include "kit/bench_kit.h"

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace zv::bench {
namespace {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Shows the usual console output and keeps every single run by name.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  // No colours: the summary rows printed afterwards must start their lines.
  CollectingReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
        continue;
      }
      Samples& samples = byName_[run.run_name.function_name];
      const auto iterations = static_cast<double>(run.iterations);
      samples.seconds.push_back(run.real_accumulated_time / iterations);
      samples.cpuSeconds.push_back(run.cpu_accumulated_time / iterations);
      for (const auto& [name, counter] : run.counters) {
        samples.counters[name].push_back(counter.value);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  std::map<std::string, Result> Medians() const {
    std::map<std::string, Result> results;
    for (const auto& [name, samples] : byName_) {
      Result& result = results[name];
      result.seconds = Median(samples.seconds);
      result.cpuSeconds = Median(samples.cpuSeconds);
      for (const auto& [counter, values] : samples.counters) {
        result.counters[counter] = Median(values);
      }
    }
    return results;
  }

 private:
  struct Samples {
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    std::map<std::string, std::vector<double>> counters;
  };
  std::map<std::string, Samples> byName_;
};

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void PrintRow(const Row& row) {
  const char* result = !row.pass ? "info" : *row.pass ? "PASS" : "FAIL";
  std::cout << "ROW\t" << row.figure << '\t' << row.measured << '\t' << row.limit << '\t'
            << (row.ratio >= 100 ? Fixed(row.ratio, 0)
                : row.ratio >= 0.01 || row.ratio == 0 ? Fixed(row.ratio, 2)
                                                      : Format("%.1e", row.ratio))
            << '\t' << row.target << '\t' << result << std::endl;
}

void PrintNote(const std::string& text) { std::cout << "NOTE\t" << text << std::endl; }

std::string Rate(double bytesPerSecond) {
  if (bytesPerSecond >= 1e9) return Format("%.2f GB/s", bytesPerSecond / 1e9);
  if (bytesPerSecond >= 1e6) return Format("%.2f MB/s", bytesPerSecond / 1e6);
  return Format("%.1f kB/s", bytesPerSecond / 1e3);
}

std::string Millis(double seconds) { return Format("%.1f ms", seconds * 1e3); }

std::string Fixed(double value, int decimals) {
  char format[16];
  std::snprintf(format, sizeof format, "%%.%df", decimals);
  return Format(format, value);
}

std::map<std::string, Result> RunBenchmarks(int argc, char** argv,
                                            const std::vector<std::string>& defaults) {
  std::vector<std::string> words{argv[0]};
  words.insert(words.end(), defaults.begin(), defaults.end());
  words.insert(words.end(), argv + 1, argv + argc);
  std::vector<char*> args;
  for (std::string& word : words) args.push_back(word.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);

  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) std::exit(2);
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.Medians();
}

}  // namespace zv::bench
