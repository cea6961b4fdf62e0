#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/paths.h"

namespace zv {
namespace {

namespace fs = std::filesystem;

// Paths shorter than this are given to the system as they are. The margin
// under MAX_PATH (260) leaves room for the name of a temporary file beside
// the target and for a folder's own limit (248).
constexpr std::size_t kShortPathLimit = 240;

// A folder named by a variable of the wide-character environment, empty
// when unset: a profile folder named with letters outside the ANSI code
// page (a Polish name on an English system) would be garbled by the narrow
// one.
fs::path FolderFromEnvironment(const wchar_t* variable) {
  const wchar_t* value = _wgetenv(variable);
  return value && *value ? fs::path(value) : fs::path();
}

}  // namespace

fs::path RawDumpFolder() { return "C:\\VAQ\\"; }

fs::path ArchiveFolder() {
  const fs::path local = FolderFromEnvironment(L"LOCALAPPDATA");
  return local.empty() ? RawDumpFolder() / "archive" : local / "VAQ" / "archive";
}

fs::path SettingsFilePath() {
  const fs::path roaming = FolderFromEnvironment(L"APPDATA");
  return (roaming.empty() ? fs::path("C:\\") : roaming) / "VAQ" / "ZVReader.ini";
}

fs::path SystemPath(const fs::path& path) {
  const std::wstring& given = path.native();
  if (given.starts_with(LR"(\\?\)") || given.starts_with(LR"(\\.\)")) return path;
  // The absolute form, with "/", "." and ".." resolved as the prefix needs.
  const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size || length < kShortPathLimit) return path;
  full.resize(length);
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

}  // namespace zv
