#pragma once

// Resource and control IDs. The code finds its controls by these numbers.

namespace zv {

// <windows.h> defines these two as macros of the same values; where it has
// been included first, the macros serve.
#ifndef IDOK
inline constexpr int IDOK = 1;
#endif
#ifndef IDCANCEL
inline constexpr int IDCANCEL = 2;
#endif

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDM_ABOUTBOX = 0x0010;

inline constexpr int IDC_START = 1000;
inline constexpr int IDC_MODEL_A = 1001;
inline constexpr int IDC_PROGRESS = 1003;
inline constexpr int IDC_STATUS = 1004;
inline constexpr int IDC_SETTINGS = 1005;
inline constexpr int IDC_SAVE = 1006;
inline constexpr int IDC_BAUD = 1011;
inline constexpr int IDC_SETTINGS_FRAME = 1012;
inline constexpr int IDC_MODEL_B = 1013;
inline constexpr int IDC_CODE_DEST = 1014;
inline constexpr int IDC_CODE_SOURCE = 1015;
inline constexpr int IDC_PORT = 1016;

// Posted by the worker when a transfer has ended.
inline constexpr int ID_TRANSFER_END = 4001;

}  // namespace zv
