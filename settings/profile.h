#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "settings/ini_file.h"

namespace zv {

inline constexpr int kProfileLoad = 1;
inline constexpr int kProfileSave = 0;

// Loads (load == 1) or saves (load == 0) one integer of the settings file
// (SettingsFilePath()). Load leaves the default in `value` when the file,
// the key or a valid integer is missing, or the stored number lies outside
// minimum...maximum. Save stores `value` as it is, keeps every other
// section, key and comment, and replaces the file atomically, creating its
// folder when missing. The last argument is accepted and ignored.
void SerialProfileInt(int load, const char* section, const char* key,
                      int& value, int def, int minimum, int maximum,
                      bool unused);

// The whole settings file, read once (for callers that look up many keys).
IniFile ReadSettingsFile();

// A string value of the settings file, trimmed; nothing when absent.
std::optional<std::string> ProfileString(const char* section,
                                         const char* key);

}  // namespace zv
