#pragma once

// UTF-8 and the UTF-16 of the Windows wide-character API. Windows only
// (wide_text_win32.cpp): the rest of the program speaks UTF-8.

#include <string>
#include <string_view>

namespace zv {

// Invalid sequences become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace zv
