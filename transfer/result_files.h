#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

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

// Save's type list, "label|pattern|...||" in the window's language: the
// types of IDS_FILE_FILTER with the PDF type (IDS_PDF_FILE_TYPE) second,
// so that the text file stays the first and default type and "All files"
// the last.
std::string SaveFileTypes();
inline constexpr int kPdfTypeIndex = 1;  // 0-based, in SaveFileTypes

// What Save writes to the file the user chose, with entry `typeIndex` of
// SaveFileTypes chosen in the type list: a name's own ".pdf" or ".txt"
// decides, in any case; any other name gets the type chosen (kPdfTypeIndex
// the PDF, the others the text).
ResultFormat ResultFormatForChoice(const std::filesystem::path& path, int typeIndex);

}  // namespace zv
