// Differential fuzzing of the one-pass clean-up against the literal,
// byte-by-byte reference of the clean-up rules kept with the tests.
//
// Input: byte 0 picks the model index, byte 1 the target-list selection,
// byte 2 the device-list selection; the rest is the received buffer. Any
// difference in length or content aborts.

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "kit/convert_reference.h"
#include "transfer/convert.h"

namespace {

// Model indices: none checked, ZORVEL A, ZORVEL B, and one beyond.
constexpr std::array<int, 4> kModels{-1, 0, 1, 2};
// List selections: nothing selected, every entry, and values no list holds.
constexpr std::array<int, 8> kSelections{-1, 0, 1, 2, 3, 4, INT_MIN, INT_MAX};
constexpr std::size_t kSettingsBytes = 3;

void Fail(const char* what, int model, int target, int source) {
  std::fprintf(stderr, "clean-up differs from the reference (%s): model %d, target %d, source %d\n",
               what, model, target, source);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSettingsBytes) return 0;
  const int model = kModels[data[0] % kModels.size()];
  const int target = kSelections[data[1] % kSelections.size()];
  const int source = kSelections[data[2] % kSelections.size()];

  std::vector<std::uint8_t> buffer(data + kSettingsBytes, data + size);
  const std::vector<std::uint8_t> expected =
      zv::testkit::ReferenceConvert(buffer, model, target, source);
  const std::size_t length = zv::ConvertBuffer(buffer, model, target, source);

  if (length != buffer.size()) Fail("returned length", model, target, source);
  if (buffer != expected) Fail("bytes", model, target, source);
  return 0;
}
