#include "ui/win32/placement.h"

#include <algorithm>

namespace zv {
namespace {

LONG Centred(LONG areaStart, LONG areaEnd, LONG overStart, LONG overEnd,
             LONG size) {
  const LONG start = overStart + (overEnd - overStart - size) / 2;
  return std::max(areaStart, std::min(start, areaEnd - size));
}

}  // namespace

void CenterWindow(HWND window, HWND owner) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST),
                  &monitor);
  const RECT& area = monitor.rcWork;
  RECT over = area;
  if (owner) GetWindowRect(owner, &over);
  RECT rect;
  GetWindowRect(window, &rect);
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  SetWindowPos(window, nullptr, Centred(area.left, area.right, over.left, over.right, width),
               Centred(area.top, area.bottom, over.top, over.bottom, height), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zv
