#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "support/paths.h"

namespace zv {
namespace {

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
    return entry->pw_dir;
  }
  return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path, else the
// fallback under the home folder.
std::filesystem::path XdgFolder(const char* variable, const char* fallback) {
  if (const char* value = std::getenv(variable); value && *value == '/') {
    return value;
  }
  return HomeFolder() / fallback;
}

}  // namespace

std::filesystem::path RawDumpFolder() {
  return XdgFolder("XDG_DATA_HOME", ".local/share") / "VAQ";
}

std::filesystem::path ArchiveFolder() { return RawDumpFolder() / "archive"; }

std::filesystem::path SettingsFilePath() {
  return XdgFolder("XDG_CONFIG_HOME", ".config") / "VAQ" / "ZVReader.ini";
}

std::filesystem::path SystemPath(const std::filesystem::path& path) { return path; }

}  // namespace zv
