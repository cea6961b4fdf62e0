#pragma once

#include <windows.h>

namespace zv {

// The About box (English in every language), modal over `owner`.
void RunAboutBox(HINSTANCE instance, HWND owner);

}  // namespace zv
