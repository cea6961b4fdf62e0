#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "support/file_io.h"
#include "transfer/archive.h"

namespace zv {

// Writes the raw bytes of a transfer to the model's temporary file
// (RawDumpPath), a file of the program's own, creating its folder when
// missing.
FileResult WriteRawDump(int modelIndex, std::span<const std::uint8_t> bytes,
                        IFileWriter& writer);

// What became of the raw bytes of one transfer.
struct KeptBytes {
  FileResult dump;
  TransferArchive::Kept archived;
};

// The last step of every transfer that received bytes: the raw dump, then
// its copy in the archive. Each is written on its own: a failure of one
// leaves the other, and neither touches `bytes`.
KeptBytes KeepReceivedBytes(int modelIndex, std::span<const std::uint8_t> bytes,
                            IFileWriter& writer, TransferArchive& archive);

// What Save writes: the cleaned text as it is, or the report's PDF
// (MakeReportPdf).
enum class ResultFormat { Text, Pdf };

// Pdf for a file name ending in ".pdf", in any case; Text for any other.
ResultFormat ResultFormatForPath(const std::filesystem::path& path);

}  // namespace zv
