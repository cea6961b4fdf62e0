#include "transfer/result_files.h"

#include <algorithm>

#include "support/paths.h"

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

ResultFormat ResultFormatForPath(const std::filesystem::path& path) {
  // As UTF-8: a name the system's code page cannot spell must not throw.
  std::u8string extension = path.extension().u8string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char8_t c) { return c >= u8'A' && c <= u8'Z' ? char8_t(c + 0x20) : c; });
  return extension == u8".pdf" ? ResultFormat::Pdf : ResultFormat::Text;
}

}  // namespace zv
