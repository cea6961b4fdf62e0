#include <filesystem>
#include <vector>

#include "common/whole_file.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "support/port_map.h"
#include "transfer/archive.h"
#include "transfer/convert.h"
#include "transfer/utf8_text.h"
#include "zvreader-cli/commands.h"

namespace zv::cli {
namespace {

// A bare archive name that is no file here is taken from the archive.
std::filesystem::path ResolveInput(const std::string& input) {
  const std::filesystem::path path = PathFromUtf8(input);
  std::error_code error;
  if (path.has_parent_path() || std::filesystem::exists(path, error) || !ParseArchiveName(path))
    return path;
  return ArchiveFolder() / path;
}

}  // namespace

std::size_t MakeText(std::vector<std::uint8_t>& bytes, int modelIndex, const CliOptions& options) {
  if (options.targetSelection == kTargetUtf8)
    return ConvertBufferToUtf8(bytes, modelIndex, options.sourceSelection);
  return ConvertBuffer(bytes, modelIndex, options.targetSelection, options.sourceSelection);
}

KeptBytes KeepAndReport(int modelIndex, const std::vector<std::uint8_t>& bytes,
                        TransferArchive& archive, Console& console) {
  const KeptBytes kept = KeepReceivedBytes(modelIndex, bytes, RealFileWriter(), archive);
  if (!kept.dump) {
    console.err << "zvreader-cli: cannot write the raw dump " << Utf8FromPath(RawDumpPath(modelIndex))
                << ": " << kept.dump.reason << std::endl;
  }
  if (!kept.archived.result) {
    console.err << "zvreader-cli: cannot keep the transfer in the archive "
                << Utf8FromPath(archive.Folder()) << ": " << kept.archived.result.reason
                << std::endl;
  }
  for (const std::filesystem::path& file : kept.archived.deleted) {
    console.err << "zvreader-cli: deleted " << Utf8FromPath(file)
                << " from the archive, older than [Archive] KeepDays allows" << std::endl;
  }
  return kept;
}

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
  if (const FileResult result = RealFileWriter().WriteAtomic(PathFromUtf8(output), text, Owner::User);
      !result) {
    console.err << "zvreader-cli: cannot write " << output << ": " << result.reason << std::endl;
    return false;
  }
  return true;
}

int RunConvert(const CliOptions& options, Console& console) {
  const std::filesystem::path input = ResolveInput(options.input);
  std::vector<std::uint8_t> bytes;
  std::string reason;
  if (!tools::ReadWholeFile(input, bytes, reason)) {
    console.err << "zvreader-cli: cannot read " << Utf8FromPath(input) << ": " << reason
                << std::endl;
    return kExitFailure;
  }
  int modelIndex = options.modelIndex;
  if (const auto archived = ParseArchiveName(input); archived && !options.modelGiven)
    modelIndex = archived->modelIndex;
  MakeText(bytes, modelIndex, options);
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
