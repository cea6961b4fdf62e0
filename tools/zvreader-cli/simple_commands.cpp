#include <vector>

#include "common/whole_file.h"
#include "support/file_io.h"
#include "support/port_map.h"
#include "transfer/convert.h"
#include "zvreader-cli/commands.h"

namespace zv::cli {

bool WriteText(const std::string& output, const std::vector<std::uint8_t>& text, Console& console) {
  if (output.empty()) {
    console.out.write(reinterpret_cast<const char*>(text.data()),
                      static_cast<std::streamsize>(text.size()));
    console.out.flush();
    if (!console.out) {
      console.err << "zvreader-cli: cannot write the text to standard output" << std::endl;
      return false;
    }
    return true;
  }
  if (const FileResult result = RealFileWriter().WriteAtomic(output, text); !result) {
    console.err << "zvreader-cli: cannot write " << output << ": " << result.reason << std::endl;
    return false;
  }
  return true;
}

int RunConvert(const CliOptions& options, Console& console) {
  std::vector<std::uint8_t> bytes;
  std::string reason;
  if (!tools::ReadWholeFile(options.input, bytes, reason)) {
    console.err << "zvreader-cli: cannot read " << options.input << ": " << reason << std::endl;
    return kExitFailure;
  }
  ConvertBuffer(bytes, options.modelIndex, options.targetSelection, options.sourceSelection);
  return WriteText(options.output, bytes, console) ? kExitOk : kExitFailure;
}

int RunPorts(Console& console) {
  for (const auto& [com, device] : PresentPorts()) {
    console.out << "COM " << com << '\t' << device << '\n';
  }
  console.out.flush();
  return kExitOk;
}

}  // namespace zv::cli
