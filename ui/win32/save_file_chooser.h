#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace zv {

// The common Save As dialog, modal over `owner`: hide read-only, prompt
// before overwriting, a "label|pattern|...||" filter and a default
// extension. Nothing when the user cancels.
//
// comdlg32.dll, and the shell libraries it brings, are loaded the first
// time the chooser is needed, not at start-up.
std::optional<std::filesystem::path> ChooseSaveFile(HWND owner, const std::string& filter,
                                                    const std::string& defaultExtension);

}  // namespace zv
