#include <cstdlib>

#include "support/paths.h"

namespace zv {

std::filesystem::path RawDumpFolder() { return "C:\\VAQ\\"; }

std::filesystem::path SettingsFilePath() {
  const char* appData = std::getenv("APPDATA");
  const std::filesystem::path base = appData && *appData ? appData : "C:\\";
  return base / "VAQ" / "ZVReader.ini";
}

}  // namespace zv
