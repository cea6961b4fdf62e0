// zvsim: a simulated ZORVEL A or B spirometer on a pseudo-terminal.
#include <iostream>
#include <string>
#include <vector>

#include "common/whole_file.h"
#include "zvsim/report_generator.h"
#include "zvsim/sim_options.h"
#include "zvsim/simulator.h"

namespace {

constexpr int kUsageError = 2;

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
    std::string reason;
    if (!zv::tools::ReadWholeFile(options.play, stream, reason)) {
      std::cerr << "zvsim: cannot read " << options.play << ": " << reason << "\n";
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
