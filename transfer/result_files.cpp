#include "transfer/result_files.h"

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

}  // namespace zv
