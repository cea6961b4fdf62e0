#include "kit/convert_reference.h"

#include <cstddef>

#include "support/plcode.h"

namespace zv::testkit {
namespace {

// The target-encoding list: "Bez polskich znaków", "Mazovia",
// "Latin 2 (MS-DOS)", "MS Windows"; nothing or anything else is Latin 2.
UINT TargetCode(int selection) {
  switch (selection) {
    case 0: return kCodeNoPolish;
    case 1: return kCodeMazovia;
    case 2: return kCodeLatin2;
    case 3: return kCodeWindows;
    default: return kCodeLatin2;
  }
}

// The device-encoding list: "Canon / USB", "RS 232"; nothing or anything
// else is Latin 2.
UINT SourceCode(int selection) {
  return selection == 1 ? kCodeMazovia : kCodeLatin2;
}

}  // namespace

std::vector<std::uint8_t> ReferenceConvert(std::vector<std::uint8_t> bytes, int modelIndex,
                                           int targetSelection, int sourceSelection) {
  const UINT target = TargetCode(targetSelection);
  const UINT source = SourceCode(sourceSelection);
  const CPLCode letters;
  auto remove = [&bytes](std::size_t i) {
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(i));
  };

  // Removing the byte at i shifts only the bytes after it, so walking from
  // the end keeps i valid. "Next" is bytes[i + 1] as it stands now (already
  // decided), "previous" is bytes[i - 1] (not yet decided).
  for (std::size_t i = bytes.size(); i-- > 0;) {
    const std::uint8_t b = bytes[i];
    // 1. A Polish letter on ZORVEL B stays, converted when the codes differ.
    if (modelIndex == 1 && letters.IsPLChar(source, b)) {
      if (target != source) bytes[i] = letters.Convert(source, target, b);
      continue;
    }
    // 2. The box line becomes a space.
    if (b == 0xB3) {
      bytes[i] = 0x20;
      continue;
    }
    // 3. The CR of a CR LF pair stays.
    if (b == 0x0D && i + 1 < bytes.size() && bytes[i + 1] == 0x0A) continue;
    // 4. An LF stays only after a CR.
    if (i > 0 && b == 0x0A) {
      if (bytes[i - 1] != 0x0D) remove(i);
      continue;
    }
    // 5. Everything outside 0x20-0x7F goes.
    if (b < 0x20 || b > 0x7F) {
      remove(i);
      continue;
    }
    // 6. The byte after an ESC goes.
    if (i > 0 && bytes[i - 1] == 0x1B) {
      remove(i);
      continue;
    }
    // 7. Everything else stays.
  }
  return bytes;
}

}  // namespace zv::testkit
