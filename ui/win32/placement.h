#pragma once

#include <windows.h>

namespace zv {

// Centres `window` over `owner`, or on the work area of its monitor when
// it has no owner, keeping its size and staying on that work area.
void CenterWindow(HWND window, HWND owner);

}  // namespace zv
