#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zv::testkit {

// Lines without trailing spaces in pages without blank lines at either end.
using PageLines = std::vector<std::vector<std::string>>;

// A PDF file as qpdf and poppler-utils, programs independent of ours, read it.
struct PdfReading {
  bool checked = false;              // qpdf --check: no error, no warning
  std::string check;                 // what it said
  PageLines pages;                   // pdftotext; left margin and page numbers taken out
  std::vector<std::string> footers;  // each page's last line, trimmed
  std::string info;                  // pdfinfo -isodates
};
PdfReading ReadPdf(const std::filesystem::path& pdf);

// The pages `text` (lines ending in CR LF or LF) fills at `linesPerPage`.
PageLines Paginated(std::string_view text, std::size_t linesPerPage);

}  // namespace zv::testkit
