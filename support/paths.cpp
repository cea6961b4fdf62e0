#include "support/paths.h"

namespace zv {

std::filesystem::path RawDumpPath(int modelIndex) {
  return RawDumpFolder() / (modelIndex != 0 ? "~ZVB.tmp" : "~ZVA.tmp");
}

std::filesystem::path ArchiveFolder() { return RawDumpFolder() / "archive"; }

}  // namespace zv
