#include "ui/win32/save_file_chooser.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "support/wide_text.h"

namespace zv {
namespace {

// Room for the path the chooser returns.
constexpr std::size_t kMaxPathChars = 32768;

using GetSaveFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

GetSaveFileNameFunction LoadGetSaveFileName() {
  static const GetSaveFileNameFunction function = [] {
    const HMODULE library = LoadLibraryW(L"comdlg32.dll");
    return library ? reinterpret_cast<GetSaveFileNameFunction>(
                         reinterpret_cast<void*>(GetProcAddress(library, "GetSaveFileNameW")))
                   : nullptr;
  }();
  return function;
}

// "label|pattern|...||" as the chooser takes it: each part ended by a null
// character, the whole by a second one (a missing closing "||" is made up
// by the one added here and the string's own terminator).
std::wstring ChooserFilter(const std::string& filter) {
  std::wstring parts = WideFromUtf8(filter);
  std::replace(parts.begin(), parts.end(), L'|', L'\0');
  parts.push_back(L'\0');
  return parts;
}

}  // namespace

std::optional<SaveFileChoice> ChooseSaveFile(HWND owner, const std::string& filter,
                                             const std::string& defaultExtension) {
  const GetSaveFileNameFunction getSaveFileName = LoadGetSaveFileName();
  if (!getSaveFileName) return std::nullopt;
  const std::wstring filterParts = ChooserFilter(filter);
  const std::wstring extension = WideFromUtf8(defaultExtension);
  std::vector<wchar_t> file(kMaxPathChars, L'\0');
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = filterParts.c_str();
  chooser.nFilterIndex = 1;  // 1-based
  chooser.lpstrFile = file.data();
  chooser.nMaxFile = static_cast<DWORD>(file.size());
  chooser.lpstrDefExt = extension.c_str();
  chooser.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!getSaveFileName(&chooser)) return std::nullopt;
  return SaveFileChoice{std::filesystem::path(file.data()),
                        chooser.nFilterIndex > 0 ? static_cast<int>(chooser.nFilterIndex) - 1 : 0};
}

}  // namespace zv
