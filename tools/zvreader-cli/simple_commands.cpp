#include <chrono>
#include <filesystem>
#include <vector>

#include "common/whole_file.h"
#include "support/file_io.h"
#include "support/paths.h"
#include "support/port_map.h"
#include "transfer/archive.h"
#include "transfer/convert.h"
#include "transfer/report_pdf.h"
#include "transfer/utf8_text.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/json_writer.h"

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
  if (options.targetSelection == kTargetUtf8 || options.targetSelection == kTargetPdf)
    ConvertBufferToUtf8(bytes, modelIndex, options.sourceSelection);
  else
    ConvertBuffer(bytes, modelIndex, options.targetSelection, options.sourceSelection);
  if (options.targetSelection == kTargetPdf)
    bytes = MakeReportPdf(bytes, {ReportPdfTitle(modelIndex), std::chrono::system_clock::now()});
  return bytes.size();
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

TransferFacts FactsOf(const TransferShared& shared, bool stopped, const CliOptions& options) {
  return {.modelIndex = options.modelIndex,
          .sourceSelection = options.sourceSelection,
          .baud = options.Baud(),
          .headerSeen = shared.headerSeen,
          .expectedCount = shared.expectedCount,
          .testCount = shared.testCount,
          .stopped = stopped};
}

void ReportReview(const TransferReview& review, const TransferFacts& facts, Console& console) {
  const std::string said = DescribeReview(review, facts);
  if (said.empty()) return;
  console.err << said << std::endl;
  if (review.garbled) {
    console.err << "The raw bytes are kept as they came; give the device's speed with --baud."
                << std::endl;
  }
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

int RunPorts(const CliOptions& options, Console& console) {
  for (const PortListItem& port : PortListItems()) {
    if (!port.present) continue;
    const PortDetails& details = port.details;
    if (options.json) {
      console.out << JsonObject()
                         .Add("com", port.com)
                         .Add("device", port.device)
                         .Add("description", details.description)
                         .Add("manufacturer", details.manufacturer)
                         .Add("by_id", details.byIdPath)
                         .Text()
                  << '\n';
      continue;
    }
    console.out << "COM " << port.com << '\t' << *port.device;
    for (const auto& field : {details.description, details.byIdPath}) {
      if (field) console.out << '\t' << *field;
    }
    console.out << '\n';
  }
  console.out.flush();
  return kExitOk;
}

}  // namespace zv::cli
