#pragma once

#include <filesystem>

namespace zv {

// Folder of the raw dumps: C:\VAQ\ on Windows, $XDG_DATA_HOME/VAQ/ (default
// ~/.local/share/VAQ/) elsewhere.
std::filesystem::path RawDumpFolder();

// "~ZVA.tmp" for model index 0, "~ZVB.tmp" for any other, in RawDumpFolder.
std::filesystem::path RawDumpPath(int modelIndex);

// Folder of the transfer archive: "archive" in RawDumpFolder, so
// C:\VAQ\archive on Windows.
std::filesystem::path ArchiveFolder();

// The settings file: %APPDATA%\VAQ\ZVReader.ini on Windows,
// $XDG_CONFIG_HOME/VAQ/ZVReader.ini (default ~/.config/VAQ/) elsewhere.
std::filesystem::path SettingsFilePath();

}  // namespace zv
