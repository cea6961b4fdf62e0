#pragma once

#include <windows.h>

#include <vector>

#include "support/port_map.h"
#include "support/strings.h"

namespace zv {

// Fills the port list with these entries (PortListEntry: COM n, its
// device and, when the device is present on this machine, marked as
// connected); the open list is as wide as its longest entry.
void FillPortList(HWND list, const std::vector<PortListItem>& items, Language language);

// Puts these entries in place of the filled list's, replacing only those
// whose text changed, and widens the open list to the longest; the
// selection and the closed box's "COM n" stay.
void UpdatePortList(HWND list, const std::vector<PortListItem>& items, Language language);

// The closed box, too narrow for the device, shows only "COM n" of the
// selected entry. The list's selection stays as it is.
void ShowComInBox(HWND list);

}  // namespace zv
