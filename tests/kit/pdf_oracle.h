#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zv::testkit {

// A document's text as pages of lines, each line without trailing spaces
// and each page without blank lines at its top or foot (a reader of the
// PDF cannot see those).
using PageLines = std::vector<std::vector<std::string>>;

// What programs independent of ours make of a PDF file: qpdf and
// poppler-utils.
struct PdfReading {
  bool checked = false;  // qpdf --check found no error and no warning
  std::string check;     // what it said
  PageLines pages;       // pdftotext, the page numbers taken out
  std::vector<std::string> footers;  // each page's last line, trimmed
  std::string info;      // pdfinfo -isodates
};
PdfReading ReadPdf(const std::filesystem::path& pdf);

// The pages `text` (lines ending in CR LF or LF) fills at `linesPerPage`.
PageLines Paginated(std::string_view text, std::size_t linesPerPage);

}  // namespace zv::testkit
