#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/types.h"

namespace zv {

// Code numbers for the selections of the target-encoding list ("Bez
// polskich znaków", "Mazovia", "Latin 2 (MS-DOS)", "MS Windows") and the
// device-encoding list ("Canon / USB", "RS 232"); -1 or any other value
// gives Latin 2.
UINT TargetCodeForSelection(int selection);
UINT SourceCodeForSelection(int selection);
// The target-encoding list's entry for a code number; -1 when none has it.
int TargetSelectionForCode(UINT code);

// Cleans the received bytes in place for a PC text file and returns the new
// length: keeps printable ASCII (0x20-0x7F) and CR LF pairs, turns the box
// line 0xB3 into a space, removes control codes, every other byte from 0x80
// up and the byte after an ESC, and on ZORVEL B (model index 1) keeps the
// Polish letters, converted from the device's code page to the target's.
// Any other model index removes the letters like ZORVEL A. Each byte's fate
// depends only on itself and the bytes received just before and after it:
// - Polish letter (model index 1 only): stays, converted when the codes differ;
// - 0xB3: becomes a space;
// - CR: stays only when an LF follows; LF: stays only after a CR;
// - other bytes below 0x20 or above 0x7F: removed;
// - 0x20-0x7F: removed right after an ESC, kept otherwise.
// One linear pass, no allocation; safe to call from any thread on a buffer
// that thread owns.
std::size_t ConvertBuffer(std::vector<std::uint8_t>& buffer, int modelIndex,
                          int targetSelection, int sourceSelection);

}  // namespace zv
