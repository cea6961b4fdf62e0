#include "transfer/result_files.h"

#include <algorithm>

#include "support/paths.h"
#include "support/strings.h"

namespace zv {

FileResult WriteRawDump(int modelIndex, std::span<const std::uint8_t> bytes,
                        IFileWriter& writer) {
  if (FileResult folder = EnsureFolder(RawDumpFolder(), Owner::Program); !folder)
    return folder;
  return writer.WriteAtomic(RawDumpPath(modelIndex), bytes, Owner::Program);
}

KeptBytes KeepReceivedBytes(int modelIndex, std::span<const std::uint8_t> bytes,
                            IFileWriter& writer, TransferArchive& archive) {
  KeptBytes kept;
  kept.dump = WriteRawDump(modelIndex, bytes, writer);
  kept.archived = archive.Keep(modelIndex, bytes);
  return kept;
}

std::string SaveFileTypes() {
  std::string types = LoadStringA(IDS_FILE_FILTER);
  const std::size_t firstLabelEnd = types.find('|');
  const std::size_t firstTypeEnd =
      firstLabelEnd == std::string::npos ? std::string::npos : types.find('|', firstLabelEnd + 1);
  types.insert(firstTypeEnd == std::string::npos ? types.size() : firstTypeEnd + 1,
               LoadStringA(IDS_PDF_FILE_TYPE));
  return types;
}

ResultFormat ResultFormatForChoice(const std::filesystem::path& path, int typeIndex) {
  // As UTF-8: a name the system's code page cannot spell must not throw.
  std::u8string extension = path.extension().u8string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char8_t c) { return c >= u8'A' && c <= u8'Z' ? char8_t(c + 0x20) : c; });
  if (extension == u8".pdf") return ResultFormat::Pdf;
  if (extension == u8".txt") return ResultFormat::Text;
  return typeIndex == kPdfTypeIndex ? ResultFormat::Pdf : ResultFormat::Text;
}

}  // namespace zv
