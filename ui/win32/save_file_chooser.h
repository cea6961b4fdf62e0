#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "transfer/transfer_control.h"

namespace zv {

// The common Save As dialog, modal over `owner`: hide read-only, prompt
// before overwriting, a "label|pattern|...||" filter with its first type
// selected and a default extension. The chooser gives a name typed without
// an extension that of the type chosen, or the default one when the type's
// pattern names none. Nothing when the user cancels.
//
// comdlg32.dll, and the shell libraries it brings, are loaded the first
// time the chooser is needed, not at start-up.
std::optional<SaveFileChoice> ChooseSaveFile(HWND owner, const std::string& filter,
                                             const std::string& defaultExtension);

}  // namespace zv
