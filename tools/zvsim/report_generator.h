#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "support/plcode.h"
#include "support/types.h"
#include "transfer/receive.h"

namespace zv::sim {

// What to print: the stored-tests report of a ZORVEL A or B, as the device
// sends it over its serial line.
struct ReportSpec {
  int modelIndex = kModelA;    // kModelA or kModelB
  int tests = 5;               // the header announces tests % 256
  std::uint64_t seed = 1;      // the same seed gives the same bytes
  UINT deviceCode = kCodeLatin2;  // ZORVEL B: kCodeMazovia or kCodeLatin2
};

// The stream of one report:
//  - ZORVEL A: an 11-byte header whose bytes 7 and 8 are the test count as
//    two upper-case hexadecimal digits, then per test one "Number" marker
//    line among English text. Markers lie hundreds of bytes apart and at
//    least 19 bytes before the end, and no byte is ever zero, so a reader
//    counts every one of them.
//  - ZORVEL B: a 12-byte header whose byte 2 is the test count, then per
//    test one 0x19 marker byte among Polish text whose letters are in
//    `deviceCode`. The first marker lies past the first 64 bytes; 0x19
//    appears nowhere else, except as the header's count byte when the
//    device announces 25 tests, as the device itself does.
// Both carry CR LF line ends, printer escapes (ESC and one printable byte),
// table rows drawn with 0xB3, patient, date and spirometry values (FVC,
// FEV1, FEV1/FVC, PEF with units) and end with a form feed.
std::vector<std::uint8_t> MakeReport(const ReportSpec& recipe);

struct SizedReport {
  std::vector<std::uint8_t> bytes;
  int tests = 0;  // tests in the stream; the header announces tests % 256
};

// A report of as many tests as it takes to reach at least `approxBytes`
// (recipe.tests is ignored). For benchmarks that need megabytes of text.
SizedReport MakeReportOfSize(const ReportSpec& recipe, std::size_t approxBytes);

// Size of the header before the first line of text.
std::size_t HeaderSize(int modelIndex);

// UTF-8 text with Polish letters to the bytes of code page `code` (2
// Mazovia, 3 code page 852, 11 code page 1250; 0 the plain Latin letters).
// ASCII stays as it is; any other character becomes '?'.
std::vector<std::uint8_t> EncodePolish(std::string_view utf8, UINT code);

}  // namespace zv::sim
