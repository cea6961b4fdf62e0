#include <cstdlib>

#include "support/paths.h"

namespace zv {

std::filesystem::path RawDumpFolder() { return "C:\\VAQ\\"; }

// Read through the wide-character environment: a profile folder named with
// letters outside the ANSI code page (a Polish name on an English system)
// would be garbled by the narrow one.
std::filesystem::path SettingsFilePath() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  const std::filesystem::path base =
      appData && *appData ? std::filesystem::path(appData) : "C:\\";
  return base / "VAQ" / "ZVReader.ini";
}

}  // namespace zv
