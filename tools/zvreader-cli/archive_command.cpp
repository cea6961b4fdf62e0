#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/whole_file.h"
#include "support/paths.h"
#include "transfer/archive.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/json_writer.h"

namespace zv::cli {
namespace {

// What the listing says of one archived transfer.
struct Listed {
  const ArchivedTransfer& transfer;
  std::size_t bytes = 0;
  std::optional<std::int64_t> expected;  // nothing when no header came
  int counted = 0;
};

// Columns: time, model, bytes, tests, file.
std::string Columns(const std::string& time, const std::string& model, const std::string& bytes,
                    const std::string& tests, const std::string& file) {
  char row[96];
  std::snprintf(row, sizeof row, "%-19s  %-5s  %9s  %-10s  ", time.c_str(), model.c_str(),
                bytes.c_str(), tests.c_str());
  return row + file;
}

std::string Row(const Listed& listed) {
  const std::string tests = std::to_string(listed.counted) + " of " +
                            (listed.expected ? std::to_string(*listed.expected) : "?");
  return Columns(listed.transfer.Time(), std::string(ModelName(listed.transfer.modelIndex)),
                 std::to_string(listed.bytes), tests, Utf8FromPath(listed.transfer.file));
}

std::string JsonRow(const Listed& listed) {
  return JsonObject()
      .Add("time", listed.transfer.Time())
      .Add("model", ModelName(listed.transfer.modelIndex))
      .Add("bytes_received", static_cast<std::int64_t>(listed.bytes))
      .Add("expected_tests", listed.expected)
      .Add("counted_tests", listed.counted)
      .Add("raw_file", Utf8FromPath(listed.transfer.file))
      .Text();
}

}  // namespace

int RunArchive(const CliOptions& options, Console& console) {
  const TransferArchive archive;
  const std::vector<ArchivedTransfer> transfers = archive.List();
  if (transfers.empty()) {
    console.err << "The archive " << Utf8FromPath(archive.Folder()) << " holds no transfers yet."
                << std::endl;
    return kExitOk;
  }
  if (!options.json) console.out << Columns("Time", "Model", "Bytes", "Tests", "File") << '\n';
  int status = kExitOk;
  for (const ArchivedTransfer& transfer : transfers) {
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!tools::ReadWholeFile(transfer.file, bytes, reason)) {
      console.err << "zvreader-cli: cannot read " << Utf8FromPath(transfer.file) << ": " << reason
                  << std::endl;
      status = kExitFailure;
      continue;
    }
    const StreamCounter counter = CountStoredStream(bytes, transfer.modelIndex);
    Listed listed{transfer, bytes.size(), std::nullopt, counter.TestCount()};
    if (counter.HeaderSeen()) listed.expected = counter.ExpectedCount();
    console.out << (options.json ? JsonRow(listed) : Row(listed)) << '\n';
  }
  console.out.flush();
  return status;
}

}  // namespace zv::cli
