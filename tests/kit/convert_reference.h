#pragma once

#include <cstdint>
#include <vector>

namespace zv::testkit {

// The clean-up rules applied literally: a backwards walk that takes bytes out
// of the vector one at a time. Quadratic and slow on purpose (each rule reads
// exactly as written), so it can judge the fast in-place pass. Keep inputs to
// a few kilobytes.
std::vector<std::uint8_t> ReferenceConvert(std::vector<std::uint8_t> bytes, int modelIndex,
                                           int targetSelection, int sourceSelection);

}  // namespace zv::testkit
