#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::bench {

// One line of the summary table that scripts/bench prints.
struct Row {
  std::string figure;         // what was measured
  std::string measured;       // its value, with unit
  std::string limit;          // what it is held against, with that value
  double ratio = 0;           // measured / limit
  std::string target;         // e.g. ">= 1 GB/s", "ratio <= 1.2"
  std::optional<bool> pass;   // nothing: shown for information only
};

// Rows and notes go to stdout as tab-separated lines starting with "ROW"
// and "NOTE", after whatever the benchmark library printed.
void PrintRow(const Row& row);
void PrintNote(const std::string& text);

// "1.23 GB/s", "8.10 MB/s" (decimal units).
std::string Rate(double bytesPerSecond);
// "12.3 ms"
std::string Millis(double seconds);
// "%.2f"-style fixed notation.
std::string Fixed(double value, int decimals);

// The median over the repetitions of one registered benchmark: seconds
// per iteration (manual time where the benchmark sets it, wall-clock time
// otherwise), the library's CPU seconds per iteration, and each counter.
struct Result {
  double seconds = 0;
  double cpuSeconds = 0;
  std::map<std::string, double> counters;
};

// CPU time the calling thread has used, in seconds.
double ThreadCpuSeconds();

// Runs the benchmarks registered so far, with `defaults` placed before the
// command line's own flags (so the command line wins), and returns their
// medians by the name each was registered under. Exits the process on an
// unknown flag.
std::map<std::string, Result> RunBenchmarks(int argc, char** argv,
                                            const std::vector<std::string>& defaults);

}  // namespace zv::bench
