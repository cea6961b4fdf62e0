// zvsim: a simulated ZORVEL A or B spirometer on a pseudo-terminal.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "zvsim/report_generator.h"
#include "zvsim/sim_options.h"
#include "zvsim/simulator.h"

namespace {

constexpr int kUsageError = 2;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const zv::sim::SimParse parsed = zv::sim::ParseSimOptions(args);
  if (!parsed.ok()) {
    std::cerr << "zvsim: " << parsed.error << "\n\n" << zv::sim::SimUsage();
    return kUsageError;
  }
  const zv::sim::SimOptions& options = parsed.options;
  if (options.help) {
    std::cout << zv::sim::SimUsage();
    return 0;
  }
  std::vector<std::uint8_t> stream;
  if (!options.play.empty()) {
    if (!ReadWholeFile(options.play, stream)) {
      std::cerr << "zvsim: cannot read " << options.play << "\n";
      return 1;
    }
  } else {
    stream = zv::sim::MakeReport({.modelIndex = options.modelIndex,
                                  .tests = options.tests,
                                  .seed = options.seed,
                                  .deviceCode = options.deviceCode});
  }
  return zv::sim::RunSimulator(options, stream);
}
