#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <sstream>

#include "kit/pdf_oracle.h"

namespace zv::testkit {
namespace {

// A shell command: true when it exits with 0; `output` gets what it said.
bool Run(const std::string& command, std::string& output) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return false;
  char chunk[4096];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);)
    lines.push_back(line.erase(line.find_last_not_of(" \r") + 1));
  return lines;
}

void TrimBlankEnds(std::vector<std::string>& page) {
  while (!page.empty() && page.back().empty()) page.pop_back();
  page.erase(page.begin(), std::find_if(page.begin(), page.end(), [](auto& l) { return !l.empty(); }));
}

}  // namespace

PdfReading ReadPdf(const std::filesystem::path& pdf) {
  PdfReading reading;
  const std::string file = "'" + pdf.string() + "'";
  reading.checked = Run("qpdf --check " + file, reading.check);
  Run("pdfinfo -isodates " + file, reading.info);
  // Courier at 10 points is 6 points a character: at that pitch pdftotext
  // gives every character its own column instead of guessing word gaps.
  std::string text;
  Run("pdftotext -layout -fixed 6 " + file + " -", text);
  std::size_t margin = std::string::npos;
  for (std::size_t start = 0, end; (end = text.find('\f', start)) != std::string::npos;
       start = end + 1) {
    std::vector<std::string> page = Lines(std::string_view(text).substr(start, end - start));
    TrimBlankEnds(page);
    std::string footer = page.empty() ? "" : page.back();
    reading.footers.push_back(footer.erase(0, footer.find_first_not_of(' ')));
    if (!page.empty()) page.pop_back();
    TrimBlankEnds(page);
    for (const std::string& line : page)
      if (!line.empty()) margin = std::min(margin, line.find_first_not_of(' '));
    reading.pages.push_back(std::move(page));
  }
  // The left margin: as many columns as the least indented line has.
  for (auto& page : reading.pages)
    for (std::string& line : page) line.erase(0, std::min(margin, line.size()));
  return reading;
}

PageLines Paginated(std::string_view text, std::size_t linesPerPage) {
  const std::vector<std::string> lines = Lines(text);
  PageLines pages;
  for (std::size_t first = 0; first < lines.size() || pages.empty(); first += linesPerPage) {
    const std::size_t end = std::min(first + linesPerPage, lines.size());
    pages.emplace_back(lines.begin() + first, lines.begin() + end);
    TrimBlankEnds(pages.back());
  }
  return pages;
}

}  // namespace zv::testkit
