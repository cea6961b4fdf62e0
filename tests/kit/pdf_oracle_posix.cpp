#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>

#include "kit/pdf_oracle.h"

namespace zv::testkit {
namespace {

// Runs a shell command; its exit status (-1 when it did not exit) and
// everything it printed.
int Run(const std::string& command, std::string& output) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  std::array<char, 4096> chunk;
  for (std::size_t n; (n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
    output.append(chunk.data(), n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string TrimmedRight(std::string line) {
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string line(text.substr(0, end));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(TrimmedRight(std::move(line)));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

void TrimBlankEnds(std::vector<std::string>& page) {
  while (!page.empty() && page.back().empty()) page.pop_back();
  const auto text = std::find_if(page.begin(), page.end(), [](auto& l) { return !l.empty(); });
  page.erase(page.begin(), text);
}

// Takes away the left margin: as many columns as the least indented line
// of the document has.
void RemoveMargin(PageLines& pages) {
  std::size_t margin = std::string::npos;
  for (const auto& page : pages)
    for (const std::string& line : page)
      if (!line.empty()) margin = std::min(margin, line.find_first_not_of(' '));
  for (auto& page : pages)
    for (std::string& line : page) line.erase(0, std::min(margin, line.size()));
}

}  // namespace

PdfReading ReadPdf(const std::filesystem::path& pdf) {
  PdfReading reading;
  const std::string file = "'" + pdf.string() + "'";
  reading.checked = Run("qpdf --check " + file, reading.check) == 0;
  Run("pdfinfo -isodates " + file, reading.info);
  // Courier at 10 points is 6 points a character: with that pitch
  // pdftotext puts every character in its own column instead of guessing
  // the gaps between words.
  std::string text;
  if (Run("pdftotext -layout -fixed 6 " + file + " -", text) != 0) return reading;
  std::string_view rest = text;
  for (std::size_t end; (end = rest.find('\f')) != std::string_view::npos;
       rest.remove_prefix(end + 1)) {
    std::vector<std::string> page = Lines(rest.substr(0, end));
    TrimBlankEnds(page);
    std::string footer = page.empty() ? "" : page.back();
    if (!page.empty()) page.pop_back();
    TrimBlankEnds(page);
    reading.footers.push_back(footer.erase(0, footer.find_first_not_of(' ')));
    reading.pages.push_back(std::move(page));
  }
  RemoveMargin(reading.pages);
  return reading;
}

PageLines Paginated(std::string_view text, std::size_t linesPerPage) {
  const std::vector<std::string> lines = Lines(text);
  PageLines pages;
  for (std::size_t first = 0; first < lines.size() || pages.empty(); first += linesPerPage) {
    const auto end = lines.begin() + static_cast<std::ptrdiff_t>(std::min(first + linesPerPage, lines.size()));
    pages.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(first), end);
    TrimBlankEnds(pages.back());
  }
  return pages;
}

}  // namespace zv::testkit
