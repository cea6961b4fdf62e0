#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zv {

// Folder of the raw dumps: C:\VAQ\ on Windows, $XDG_DATA_HOME/VAQ/ (default
// ~/.local/share/VAQ/) elsewhere.
std::filesystem::path RawDumpFolder();

// "~ZVA.tmp" for model index 0, "~ZVB.tmp" for any other, in RawDumpFolder.
std::filesystem::path RawDumpPath(int modelIndex);

// Folder of the transfer archive, the user's own: "archive" in
// RawDumpFolder, and on Windows %LOCALAPPDATA%\VAQ\archive (C:\VAQ\ is
// shared by every user of the computer).
std::filesystem::path ArchiveFolder();

// The settings file: %APPDATA%\VAQ\ZVReader.ini on Windows,
// $XDG_CONFIG_HOME/VAQ/ZVReader.ini (default ~/.config/VAQ/) elsewhere.
std::filesystem::path SettingsFilePath();

// The program's text is UTF-8 on every system. A path made from a plain
// std::string on Windows, whose paths are UTF-16, would read it in the
// ANSI code page instead: these convert through UTF-8 everywhere.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

// The form of `path` that the system's file calls take at any length: on
// Windows a path too long for the 260-character limit becomes absolute with
// the "\\?\" prefix, which lifts it; any other path stays as it is.
std::filesystem::path SystemPath(const std::filesystem::path& path);

}  // namespace zv
