// The receive path: report streams pushed through a pseudo-terminal into
// ReceiveProc with the real CRS232, beside a bare loop of 64-byte reads on
// a pseudo-terminal of its own; ReceiveProc over a port in memory, where
// nothing but its own work costs; and the worker waiting for a silent
// device.
//
// Every run gets a fresh pseudo-terminal. Both readers run on a
// WorkerThread (the same raised priority) while a writer thread pushes the
// stream into the master as fast as the line takes it. A transfer's time
// runs from the writer's start to the last Read that brought bytes; the
// silent read that ends the transfer (the 100 ms read time-out set here) is
// reported apart. The 100 ms settle pause after raising DTR is a no-op.
// CPU time is the worker thread's own.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "kit/bench_kit.h"
#include "kit/pty.h"
#include "support/rs232.h"
#include "transfer/receive.h"
#include "transfer/worker.h"
#include "zvsim/report_generator.h"

namespace zv::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kSmall = kMiB;
constexpr std::size_t kLarge = 16 * kMiB;
constexpr DWORD kBaud = 19200;  // a pseudo-terminal ignores it

struct Stream {
  const char* key;
  const char* name;
  int modelIndex;
  std::vector<std::uint8_t> bytes;  // kLarge bytes; kSmall uses a prefix
};

std::vector<std::uint8_t> Report(int modelIndex) {
  sim::ReportSpec recipe;
  recipe.modelIndex = modelIndex;
  recipe.seed = 3;
  std::vector<std::uint8_t> bytes = sim::MakeReportOfSize(recipe, kLarge).bytes;
  bytes.resize(kLarge);
  return bytes;
}

// A ZORVEL A stream in which no marker is ever complete: the search finds
// nothing and has to keep up with the stream all the same.
std::vector<std::uint8_t> WithoutMarkers(std::vector<std::uint8_t> bytes) {
  const std::string_view marker = kTestMarker;
  for (std::size_t at = 0; at + marker.size() <= bytes.size(); ++at) {
    if (std::equal(marker.begin(), marker.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at))) {
      bytes[at + marker.size() - 1] = 'R';
    }
  }
  return bytes;
}

std::vector<Stream> MakeStreams() {
  std::vector<Stream> streams;
  streams.push_back({"B", "B", kModelB, Report(kModelB)});
  std::vector<std::uint8_t> reportA = Report(kModelA);
  streams.push_back({"A-plain", "A without markers", kModelA, WithoutMarkers(reportA)});
  streams.push_back({"A", "A", kModelA, std::move(reportA)});
  return streams;
}

// Pushes `size` bytes into the master as fast as the line takes them.
// False when the line stayed full for 10 s.
bool WriteAll(int master, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(master, data, size);
    if (written > 0) {
      data += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno != EAGAIN) return false;
    pollfd room{master, POLLOUT, 0};
    if (poll(&room, 1, 10000) == 0) return false;
  }
  return true;
}

// The real port, with the time of the last Read that brought bytes.
class TimedPort : public CRS232 {
 public:
  int Read(DWORD max, BYTE* buffer, DWORD* count) override {
    const int result = CRS232::Read(max, buffer, count);
    if (*count > 0) lastData_ = Clock::now();
    return result;
  }
  Clock::time_point lastData() const { return lastData_; }

 private:
  Clock::time_point lastData_{};
};

// Serves a stream from memory in reads of up to `max` bytes, then reads as
// silence: ReceiveProc's own work without the system calls of a line.
class MemoryPort : public CRS232 {
 public:
  explicit MemoryPort(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  int Read(DWORD max, BYTE* buffer, DWORD* count) override {
    const std::size_t size = std::min<std::size_t>(max, bytes_.size() - position_);
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(position_), size, buffer);
    position_ += size;
    *count = static_cast<DWORD>(size);
    return size > 0 ? 1 : 0;
  }
  void Shake(DWORD) override {}

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t position_ = 0;
};

// Takes the worker's calls without doing anything with them.
class QuietView : public IReceiveView {
 public:
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int) override {}
  void SetStatusText(const std::string&) override {}
  void PostTransferEnd() override { end_ = Clock::now(); }
  Clock::time_point end() const { return end_; }

 private:
  Clock::time_point end_{};
};

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

struct Measured {
  double seconds = 0;      // writer's start to the last byte read
  double cpuSeconds = 0;   // the reader thread's CPU time
  double silence = 0;      // the end-of-stream read, ReceiveProc only
  std::string error;       // empty when every byte arrived in order
};

Measured ReceiveOnce(const std::vector<std::uint8_t>& bytes, int modelIndex) {
  Measured measured;
  testkit::PseudoTerminal line;
  TimedPort port;
  port.SetTimeoutDefaults(0, 0, 100, 0, 2);
  if (!line.Ok() || port.OpenDevice(line.SlavePath(), kBaud) == 0) {
    measured.error = "cannot open a pseudo-terminal: " + line.Error();
    return measured;
  }
  TransferShared shared;
  shared.running = 1;
  shared.modelIndex = modelIndex;
  QuietView view;
  ReceiveJob job{port, shared, view, [](std::chrono::milliseconds) {}};

  WorkerThread worker;
  const bool started = worker.Start([&] {
    const double start = ThreadCpuSeconds();
    ReceiveProc(job);
    measured.cpuSeconds = ThreadCpuSeconds() - start;
  });
  if (!started) {
    measured.error = "cannot start the worker";
    return measured;
  }
  const auto start = Clock::now();
  bool written = false;
  std::thread writer([&] { written = WriteAll(line.MasterFd(), bytes.data(), bytes.size()); });
  writer.join();
  if (!written) shared.running = 0;
  worker.Join();

  measured.seconds = Seconds(port.lastData() - start);
  measured.silence = Seconds(view.end() - port.lastData());
  if (!written) {
    measured.error = "the line stayed full";
  } else if (shared.buffer != bytes) {
    measured.error = "received " + std::to_string(shared.buffer.size()) + " bytes, not the " +
                     std::to_string(bytes.size()) + " sent";
  }
  return measured;
}

// The floor: 64-byte reads on the slave and nothing else.
Measured BareOnce(const std::vector<std::uint8_t>& bytes) {
  Measured measured;
  testkit::PseudoTerminal line;
  const int fd = line.Ok() ? open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
  if (fd < 0) {
    measured.error = "cannot open a pseudo-terminal: " + line.Error();
    return measured;
  }
  termios settings{};
  tcgetattr(fd, &settings);
  settings.c_cc[VMIN] = 0;    // a read returns what is there, at least a byte,
  settings.c_cc[VTIME] = 50;  // or nothing after 5 s of silence
  tcsetattr(fd, TCSANOW, &settings);

  std::size_t received = 0;
  Clock::time_point lastData{};
  WorkerThread worker;
  const bool started = worker.Start([&] {
    const double start = ThreadCpuSeconds();
    std::uint8_t chunk[kChunkSize];
    while (received < bytes.size()) {
      const ssize_t got = read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      received += static_cast<std::size_t>(got);
    }
    lastData = Clock::now();
    measured.cpuSeconds = ThreadCpuSeconds() - start;
  });
  if (!started) {
    close(fd);
    measured.error = "cannot start the reader";
    return measured;
  }
  const auto start = Clock::now();
  std::thread writer([&] { WriteAll(line.MasterFd(), bytes.data(), bytes.size()); });
  writer.join();
  worker.Join();
  close(fd);

  measured.seconds = Seconds(lastData - start);
  if (received != bytes.size()) {
    measured.error = "read " + std::to_string(received) + " of " + std::to_string(bytes.size());
  }
  return measured;
}

std::vector<std::uint8_t> Prefix(const std::vector<std::uint8_t>& bytes, std::size_t size) {
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)};
}

std::string SizeName(std::size_t size) { return std::to_string(size / kMiB) + "MiB"; }

double PerByte(const Measured& measured, std::size_t size) {
  return measured.cpuSeconds * 1e9 / static_cast<double>(size);
}

// One round: the bare loop, every stream through ReceiveProc, the bare loop
// again. Each stream's ratio is taken against the mean of the two bare runs
// around it, so a change in the machine's load between rounds cancels out.
void RoundCase(benchmark::State& state, const std::vector<Stream>& streams, std::size_t size) {
  std::vector<std::vector<std::uint8_t>> inputs;
  for (const Stream& stream : streams) inputs.push_back(Prefix(stream.bytes, size));
  for (auto _ : state) {
    std::vector<Measured> runs{BareOnce(inputs.front())};
    for (std::size_t i = 0; i < streams.size(); ++i) {
      runs.push_back(ReceiveOnce(inputs[i], streams[i].modelIndex));
    }
    runs.push_back(BareOnce(inputs.front()));
    double total = 0;
    for (const Measured& run : runs) {
      if (!run.error.empty()) {
        state.SkipWithError(run.error.c_str());
        return;
      }
      total += run.seconds;
    }
    const Measured& before = runs.front();
    const Measured& after = runs.back();
    const double bareSeconds = (before.seconds + after.seconds) / 2;
    const auto bytes = static_cast<double>(size);
    state.counters["bare_MBps"] = bytes / bareSeconds / 1e6;
    const double bareCpu = (PerByte(before, size) + PerByte(after, size)) / 2;
    state.counters["bare_cpu"] = bareCpu;
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const Measured& run = runs[i + 1];
      const std::string key = streams[i].key;
      state.counters[key + "_MBps"] = bytes / run.seconds / 1e6;
      state.counters[key + "_ratio"] = bareSeconds / run.seconds;
      state.counters[key + "_cpu"] = PerByte(run, size);
      state.counters[key + "_cpu_rel"] = PerByte(run, size) / bareCpu;
      state.counters[key + "_silence_ms"] = run.silence * 1e3;
    }
    state.SetIterationTime(total);
  }
}

// ReceiveProc over a port in memory: what the loop itself costs per byte,
// from a fresh buffer each time as in a first transfer.
void LogicCase(benchmark::State& state, const std::vector<std::uint8_t>& bytes, int modelIndex) {
  for (auto _ : state) {
    MemoryPort port(bytes);
    TransferShared shared;
    shared.running = 1;
    shared.modelIndex = modelIndex;
    QuietView view;
    ReceiveJob job{port, shared, view, [](std::chrono::milliseconds) {}};
    const double start = ThreadCpuSeconds();
    ReceiveProc(job);
    state.SetIterationTime(ThreadCpuSeconds() - start);
    if (shared.buffer.size() != bytes.size()) {
      state.SkipWithError("the loop lost bytes");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

// The worker waits for a device that never sends, with the program's own
// time-outs and DTR pause, until it is stopped.
void WaitCase(benchmark::State& state, std::chrono::seconds wait) {
  for (auto _ : state) {
    testkit::PseudoTerminal line;
    CRS232 port;
    port.SetTimeoutDefaults(0, 0, 1000, 0, 2);
    if (!line.Ok() || port.OpenDevice(line.SlavePath(), kBaud) == 0) {
      state.SkipWithError("cannot open a pseudo-terminal");
      return;
    }
    TransferShared shared;
    shared.running = 1;
    QuietView view;
    ReceiveJob job{port, shared, view, {}};
    double cpuSeconds = 0;
    WorkerThread worker;
    const auto start = Clock::now();
    const bool started = worker.Start([&] {
      const double cpuStart = ThreadCpuSeconds();
      ReceiveProc(job);
      cpuSeconds = ThreadCpuSeconds() - cpuStart;
    });
    if (!started) {
      state.SkipWithError("cannot start the worker");
      return;
    }
    std::this_thread::sleep_for(wait);  // the measurement itself: waiting
    shared.running = 0;
    worker.Join();
    const double seconds = Seconds(Clock::now() - start);
    state.SetIterationTime(seconds);
    state.counters["cpu_share"] = cpuSeconds / seconds;
    state.counters["cpu_ms"] = cpuSeconds * 1e3;
  }
}

std::chrono::seconds WaitDuration() {
  const char* text = std::getenv("ZV_BENCH_WAIT_SECONDS");
  const int seconds = text != nullptr ? std::atoi(text) : 0;
  return std::chrono::seconds(seconds > 0 ? seconds : 10);
}

void Register(const std::vector<Stream>& streams) {
  // The cases hold the streams by reference; `streams` outlives the run.
  constexpr struct {
    std::size_t size;
    int rounds;
  } kRounds[] = {{kSmall, 9}, {kLarge, 3}};
  for (const auto& round : kRounds) {
    const std::size_t size = round.size;
    benchmark::RegisterBenchmark(
        ("round/" + SizeName(size)).c_str(),
        [&streams, size](benchmark::State& state) { RoundCase(state, streams, size); })
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(round.rounds);
  }
  for (const Stream& stream : streams) {
    for (std::size_t size : {kSmall, kLarge}) {
      benchmark::RegisterBenchmark(
          ("logic/" + std::string(stream.key) + "/" + SizeName(size)).c_str(),
          [&stream, size, bytes = std::vector<std::uint8_t>()](benchmark::State& state) mutable {
            if (bytes.empty()) bytes = Prefix(stream.bytes, size);
            LogicCase(state, bytes, stream.modelIndex);
          })
          ->UseManualTime()
          ->Repetitions(7);
    }
  }
  const auto wait = WaitDuration();
  benchmark::RegisterBenchmark("wait/silent", [wait](benchmark::State& state) {
    WaitCase(state, wait);
  })
      ->UseManualTime()
      ->Iterations(1)
      ->Repetitions(1);
}

const Result* Find(const std::map<std::string, Result>& results, const std::string& name) {
  const auto found = results.find(name);
  return found == results.end() ? nullptr : &found->second;
}

double Counter(const Result* result, const char* name) {
  if (result == nullptr) return 0;
  const auto found = result->counters.find(name);
  return found == result->counters.end() ? 0 : found->second;
}

std::string NanosPerByte(double value) { return Fixed(value, 1) + " ns/B"; }

void PrintRows(const std::vector<Stream>& streams, const std::map<std::string, Result>& results) {
  constexpr double kTargetShare = 0.8;  // of the bare loop's throughput
  // CPU per byte, 16 MiB against 1 MiB. Over a line the system calls
  // dominate and swing by a quarter between rounds on a busy machine (the
  // bare loop's own row shows how much), so that figure gets a wider band;
  // a cost that grew with the buffer would be many times the 1 MiB one.
  constexpr double kFlatLimit = 1.25;
  constexpr double kFlatLimitOverLine = 1.5;
  constexpr double kWaitLimit = 0.001;  // of one core
  const Result* large = Find(results, "round/" + SizeName(kLarge));
  const Result* small = Find(results, "round/" + SizeName(kSmall));
  for (const Result* round : {large, small}) {
    if (round == nullptr) continue;
    const bool isLarge = round == large;
    for (const Stream& stream : streams) {
      const std::string key = stream.key;
      Row row{"Receive " + std::string(isLarge ? "16" : "1") + " MiB via pty, " + stream.name,
              Fixed(Counter(round, (key + "_MBps").c_str()), 2) + " MB/s",
              "bare 64-byte reads " + Fixed(Counter(round, "bare_MBps"), 2) + " MB/s",
              Counter(round, (key + "_ratio").c_str()), "", std::nullopt};
      if (isLarge) {
        row.target = "ratio >= 0.8";
        row.pass = row.ratio >= kTargetShare;
      }
      PrintRow(row);
    }
  }
  // A shared machine makes every system call dearer at times, the bare
  // loop's as much as the worker's: the worker's CPU per byte is compared
  // in units of the bare loop's from the same round.
  if (large != nullptr && small != nullptr) {
    for (const Stream& stream : streams) {
      const std::string key = stream.key;
      const double relativeLarge = Counter(large, (key + "_cpu_rel").c_str());
      const double relativeSmall = Counter(small, (key + "_cpu_rel").c_str());
      Row row{std::string("Worker CPU per byte, 16 MiB, ") + stream.name,
              NanosPerByte(Counter(large, (key + "_cpu").c_str())) + " (" +
                  Fixed(relativeLarge, 2) + " x bare)",
              "1 MiB: " + NanosPerByte(Counter(small, (key + "_cpu").c_str())) + " (" +
                  Fixed(relativeSmall, 2) + " x bare)",
              relativeSmall > 0 ? relativeLarge / relativeSmall : 0, "ratio <= 1.5",
              std::nullopt};
      row.pass = row.ratio > 0 && row.ratio <= kFlatLimitOverLine;
      PrintRow(row);
    }
    const double bareLarge = Counter(large, "bare_cpu");
    const double bareSmall = Counter(small, "bare_cpu");
    PrintRow({"Bare reads CPU per byte, 16 MiB", NanosPerByte(bareLarge),
              "1 MiB: " + NanosPerByte(bareSmall), bareSmall > 0 ? bareLarge / bareSmall : 0, "",
              std::nullopt});
  }
  for (const Stream& stream : streams) {
    const Result* logicLarge = Find(results, "logic/" + std::string(stream.key) + "/" + SizeName(kLarge));
    const Result* logicSmall = Find(results, "logic/" + std::string(stream.key) + "/" + SizeName(kSmall));
    if (logicLarge == nullptr || logicSmall == nullptr) continue;
    const double perByteLarge = logicLarge->seconds * 1e9 / static_cast<double>(kLarge);
    const double perByteSmall = logicSmall->seconds * 1e9 / static_cast<double>(kSmall);
    Row row{std::string("Receive loop alone, CPU per byte, 16 MiB, ") + stream.name,
            Fixed(perByteLarge, 2) + " ns/B", "1 MiB: " + Fixed(perByteSmall, 2) + " ns/B",
            perByteLarge / perByteSmall, "ratio <= 1.25", std::nullopt};
    row.pass = row.ratio <= kFlatLimit;
    PrintRow(row);
  }
  if (large != nullptr) {
    PrintNote("Receive ratios: median over rounds of each transfer against the mean of the bare "
              "runs just before and after it.");
    PrintNote("Each transfer ends with one silent read: " +
              Fixed(Counter(large, "B_silence_ms"), 0) +
              " ms with the 100 ms read time-out used here, left out of the receive figures.");
  }
  if (const Result* wait = Find(results, "wait/silent")) {
    const double share = Counter(wait, "cpu_share");
    Row row{"Worker waiting " + Fixed(wait->seconds, 0) + " s for a silent device",
            Fixed(share * 100, 4) + " % CPU", "one core", share, "< 0.1 %", share < kWaitLimit};
    PrintRow(row);
  }
}

}  // namespace
}  // namespace zv::bench

int main(int argc, char** argv) {
  using namespace zv::bench;
  const std::vector<Stream> streams = MakeStreams();
  Register(streams);
  const auto results =
      RunBenchmarks(argc, argv, {"--benchmark_enable_random_interleaving=true"});
  PrintRows(streams, results);
  return 0;
}
