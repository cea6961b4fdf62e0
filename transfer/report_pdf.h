#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zv {

// The page of a report's PDF: A4, the standard Courier font at 10 points,
// 80 columns and 66 lines, the page number "n / m" centred at its foot.
inline constexpr int kPdfColumns = 80;
inline constexpr int kPdfLinesPerPage = 66;

// What the information dictionary says besides the program: Author
// "ZVReader", Producer "ZVReader <version>".
struct ReportPdfInfo {
  std::string title;                              // UTF-8
  std::chrono::system_clock::time_point created;  // CreationDate, written in UTC
};

// "ZORVEL A report" or "ZORVEL B report": the title a report's PDF gets.
std::string ReportPdfTitle(int modelIndex);

// The cleaned report as a PDF 1.4 document that needs no embedded font:
// `utf8Text` (the text of --target utf8) is laid out line by line, and the
// same `info` always gives the same bytes.
// - LF ends a line (CR LF as well: a CR is dropped); a form feed ends the
//   page, unless the page is still empty.
// - A tab moves to the next multiple of 8 columns; a line longer than
//   kPdfColumns goes on in the next line, so nothing is cut off.
// - ASCII from 0x20 to 0x7E and the 18 Polish letters are shown as they
//   are; any other character (control codes, DEL, U+FFFD, bytes that are
//   no UTF-8) as '?', one per character, keeping the columns.
// Text without any line gives one empty page.
std::vector<std::uint8_t> MakeReportPdf(std::span<const std::uint8_t> utf8Text,
                                        const ReportPdfInfo& info);

}  // namespace zv
