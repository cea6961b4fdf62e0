// The clean-up pass beside memcpy of the same buffer and beside the literal
// remove-one-byte walk, on report text of both models and on random bytes.
//
// ConvertBuffer works in place, so every iteration first copies the input
// into the working buffer. That copy is kept out of the figure by manual
// timing: the clock is read right before and right after the call under
// test. PauseTiming/ResumeTiming would do the same but cost far more per
// iteration than two clock reads and add their own noise, and timing copy
// plus clean-up and then subtracting a separately measured copy would add
// the noise of two measurements to a difference.
//
// The clock is the thread's CPU time, not the wall clock: on a machine
// shared with other work the wall clock also counts the time this thread
// waited for a core, which says nothing about the pass. The literal walk is
// timed the same way; memcpy needs no set-up copy and uses the library's
// own CPU time (per thread, too), so the three figures compare like with
// like.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "kit/bench_kit.h"
#include "kit/convert_reference.h"
#include "transfer/convert.h"
#include "zvsim/report_generator.h"

namespace zv::bench {
namespace {

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

struct Size {
  std::size_t bytes;
  const char* name;
  bool literalWalk;  // the quadratic walk runs on this size
};
constexpr Size kSizes[] = {{64 * kKiB, "64 KiB", true}, {kMiB, "1 MiB", true},
                           {16 * kMiB, "16 MiB", false}};
constexpr std::size_t kLargest = 16 * kMiB;

// The list selections the clean-up pass gets.
constexpr int kTargetWindows = 3;   // "MS Windows"
constexpr int kSourceMazovia = 1;   // "RS 232"
constexpr int kTargetLatin2 = 2;    // the first run's default
constexpr int kSourceLatin2 = 0;

struct Input {
  const char* key;   // benchmark names
  const char* name;  // table text
  int modelIndex;
  int targetSelection;
  int sourceSelection;
  bool reportText;       // counts for the throughput target
  bool walkOnLargeSize;  // the literal walk is affordable at 1 MiB
  std::vector<std::uint8_t> bytes;  // kLargest bytes; smaller sizes use a prefix
};

std::vector<std::uint8_t> ReportBytes(int modelIndex, UINT deviceCode) {
  sim::ReportSpec recipe;
  recipe.modelIndex = modelIndex;
  recipe.deviceCode = deviceCode;
  recipe.seed = 7;
  std::vector<std::uint8_t> bytes = sim::MakeReportOfSize(recipe, kLargest).bytes;
  bytes.resize(kLargest);
  return bytes;
}

std::vector<std::uint8_t> RandomBytes() {
  std::vector<std::uint8_t> bytes(kLargest);
  std::uint64_t state = 12345;
  for (auto& byte : bytes) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    byte = static_cast<std::uint8_t>(state >> 56);
  }
  return bytes;
}

std::vector<Input> MakeInputs() {
  std::vector<Input> inputs;
  // Random bytes lose most of themselves, and each loss moves the whole
  // tail in the literal walk: 1 MiB of them would take minutes.
  inputs.push_back({"reportA", "report A", kModelA, kTargetLatin2, kSourceLatin2, true, true,
                    ReportBytes(kModelA, kCodeLatin2)});
  inputs.push_back({"reportB", "report B, Mazovia to 1250", kModelB, kTargetWindows,
                    kSourceMazovia, true, true, ReportBytes(kModelB, kCodeMazovia)});
  inputs.push_back({"random", "random bytes, B", kModelB, kTargetWindows, kSourceMazovia, false,
                    false, RandomBytes()});
  return inputs;
}

std::vector<std::uint8_t> Prefix(const Input& input, std::size_t size) {
  return {input.bytes.begin(), input.bytes.begin() + static_cast<std::ptrdiff_t>(size)};
}

// The fast pass must give exactly what the literal rules give, or its
// speed means nothing.
void CheckAgainstReference(const Input& input) {
  std::vector<std::uint8_t> fast = Prefix(input, 64 * kKiB);
  const std::vector<std::uint8_t> expected = testkit::ReferenceConvert(
      fast, input.modelIndex, input.targetSelection, input.sourceSelection);
  ConvertBuffer(fast, input.modelIndex, input.targetSelection, input.sourceSelection);
  if (fast != expected) {
    std::fprintf(stderr, "ConvertBuffer differs from the literal walk on %s\n", input.name);
    std::exit(1);
  }
}

void ConvertCase(benchmark::State& state, const Input& input, std::size_t size) {
  const std::vector<std::uint8_t> source = Prefix(input, size);
  std::vector<std::uint8_t> work;
  work.reserve(size);
  for (auto _ : state) {
    work.assign(source.begin(), source.end());  // no allocation: capacity stays
    const double start = ThreadCpuSeconds();
    std::size_t kept = ConvertBuffer(work, input.modelIndex, input.targetSelection,
                                     input.sourceSelection);
    benchmark::DoNotOptimize(kept);
    benchmark::ClobberMemory();
    state.SetIterationTime(ThreadCpuSeconds() - start);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

void MemcpyCase(benchmark::State& state, const Input& input, std::size_t size) {
  const std::vector<std::uint8_t> source = Prefix(input, size);
  std::vector<std::uint8_t> work(size);
  for (auto _ : state) {
    std::memcpy(work.data(), source.data(), size);
    benchmark::DoNotOptimize(work.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

void WalkCase(benchmark::State& state, const Input& input, std::size_t size) {
  const std::vector<std::uint8_t> source = Prefix(input, size);
  for (auto _ : state) {
    std::vector<std::uint8_t> work = source;  // handed over by move, not timed
    const double start = ThreadCpuSeconds();
    std::vector<std::uint8_t> result = testkit::ReferenceConvert(
        std::move(work), input.modelIndex, input.targetSelection, input.sourceSelection);
    benchmark::DoNotOptimize(result.data());
    state.SetIterationTime(ThreadCpuSeconds() - start);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

std::string Name(const char* what, const Input& input, const Size& size) {
  return std::string(what) + "/" + input.key + "/" + std::to_string(size.bytes);
}

void Register(const std::vector<Input>& inputs) {
  // The cases hold the inputs by reference; `inputs` outlives the run.
  for (const Input& input : inputs) {
    for (const Size& size : kSizes) {
      const std::size_t bytes = size.bytes;
      benchmark::RegisterBenchmark(
          Name("convert", input, size).c_str(),
          [&input, bytes](benchmark::State& state) { ConvertCase(state, input, bytes); })
          ->UseManualTime();
      benchmark::RegisterBenchmark(
          Name("memcpy", input, size).c_str(),
          [&input, bytes](benchmark::State& state) { MemcpyCase(state, input, bytes); });
      const bool walk = size.literalWalk && (size.bytes < kMiB || input.walkOnLargeSize);
      if (walk) {
        benchmark::RegisterBenchmark(
            Name("walk", input, size).c_str(),
            [&input, bytes](benchmark::State& state) { WalkCase(state, input, bytes); })
            ->UseManualTime()
            ->MinTime(0.01)  // one or two iterations: a walk takes up to a second
            ->Repetitions(5);
      }
    }
  }
}

// Bytes per second of CPU time: the manual time where the case sets one,
// the library's CPU time otherwise.
double RateOf(const std::map<std::string, Result>& results, const std::string& name,
              std::size_t bytes) {
  const auto found = results.find(name);
  if (found == results.end()) return 0;
  const bool manual = name.rfind("memcpy", 0) != 0;
  const double seconds = manual ? found->second.seconds : found->second.cpuSeconds;
  return seconds > 0 ? static_cast<double>(bytes) / seconds : 0;
}

void PrintRows(const std::vector<Input>& inputs, const std::map<std::string, Result>& results) {
  constexpr double kTargetRate = 1e9;   // bytes per second on 16 MiB of report text
  constexpr double kTargetWalkRatio = 200;  // at 1 MiB
  for (const Input& input : inputs) {
    for (const Size& size : kSizes) {
      const double convert = RateOf(results, Name("convert", input, size), size.bytes);
      const double copy = RateOf(results, Name("memcpy", input, size), size.bytes);
      if (convert <= 0) continue;  // not run (filtered out)
      Row row{std::string("Clean-up, ") + input.name + ", " + size.name, Rate(convert),
              "memcpy " + Rate(copy), copy > 0 ? convert / copy : 0, "", std::nullopt};
      if (input.reportText && size.bytes == kLargest) {
        row.target = ">= 1 GB/s";
        row.pass = convert >= kTargetRate;
      }
      PrintRow(row);
    }
  }
  for (const Input& input : inputs) {
    for (const Size& size : kSizes) {
      const double walk = RateOf(results, Name("walk", input, size), size.bytes);
      if (walk <= 0) continue;
      const double convert = RateOf(results, Name("convert", input, size), size.bytes);
      Row row{std::string("Clean-up vs literal walk, ") + input.name + ", " + size.name,
              Rate(convert), "walk " + Rate(walk), convert / walk, "", std::nullopt};
      if (input.reportText && size.bytes == kMiB) {
        row.target = "ratio >= 200";
        row.pass = row.ratio >= kTargetWalkRatio;
      }
      PrintRow(row);
    }
  }
}

}  // namespace
}  // namespace zv::bench

int main(int argc, char** argv) {
  using namespace zv::bench;
  const std::vector<Input> inputs = MakeInputs();
  for (const Input& input : inputs) CheckAgainstReference(input);
  Register(inputs);
  const auto results = RunBenchmarks(
      argc, argv,
      {"--benchmark_repetitions=3", "--benchmark_enable_random_interleaving=true",
       "--benchmark_min_time=0.2"});
  PrintRows(inputs, results);
  return 0;
}
