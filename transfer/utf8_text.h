#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "support/types.h"

namespace zv {

// Text in code page `code` (kCodeMazovia, kCodeLatin2 or kCodeWindows) as
// UTF-8: ASCII stays as it is, each Polish letter becomes its UTF-8
// sequence, and any other byte from 0x80 up, which the clean-up never
// leaves, becomes U+FFFD so that the result is always valid UTF-8.
std::vector<std::uint8_t> DecodeToUtf8(std::span<const std::uint8_t> text, UINT code);

// The clean-up for a UTF-8 file: ConvertBuffer with the device's own code
// page (from `sourceSelection`, as the device-encoding list) as the
// target, so the letters stay in the code page they came in, then
// DecodeToUtf8 from that code page. Rewrites `buffer` and returns its new
// length.
std::size_t ConvertBufferToUtf8(std::vector<std::uint8_t>& buffer, int modelIndex,
                                int sourceSelection);

// The character of the UTF-8 sequence at `pos` of `text`, moving `pos` past
// it. Nothing where the bytes at `pos` are no valid UTF-8 (a stray byte, a
// cut sequence, an overlong form, a surrogate): `pos` then moves past the
// one byte.
std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& pos);

}  // namespace zv
