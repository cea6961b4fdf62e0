#pragma once

#include <cstdint>
#include <span>

#include "support/file_io.h"

namespace zv {

// Writes the raw bytes of a transfer to the model's temporary file
// (RawDumpPath), creating its folder when missing.
FileResult WriteRawDump(int modelIndex, std::span<const std::uint8_t> bytes,
                        IFileWriter& writer);

}  // namespace zv
