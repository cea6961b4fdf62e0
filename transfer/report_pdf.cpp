#include "transfer/report_pdf.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "transfer/receive.h"
#include "transfer/utf8_text.h"
#include "zv_version.h"

namespace zv {
namespace {

// The Polish letters, at codes 128 to 145 of the font's encoding. The
// glyph names are those of the standard Latin character set, which every
// viewer's Courier carries.
struct Glyph {
  char32_t codePoint;
  const char* name;
};
constexpr std::array<Glyph, 18> kPolishGlyphs{{
    {U'Ą', "Aogonek"}, {U'ą', "aogonek"},       {U'Ć', "Cacute"}, {U'ć', "cacute"},
    {U'Ę', "Eogonek"}, {U'ę', "eogonek"},       {U'Ł', "Lslash"}, {U'ł', "lslash"},
    {U'Ń', "Nacute"},  {U'ń', "nacute"},        {U'Ó', "Oacute"}, {U'ó', "oacute"},
    {U'Ś', "Sacute"},  {U'ś', "sacute"},        {U'Ź', "Zacute"}, {U'ź', "zacute"},
    {U'Ż', "Zdotaccent"}, {U'ż', "zdotaccent"},
}};
constexpr int kFirstPolishCode = 128;
constexpr char kUnshown = '?';
constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr int kTabWidth = 8;

// Page geometry in points (A4 is 595.28 by 841.89). Courier's glyphs are
// 0.6 em wide: 80 columns of 6 points fill 480 of the page's width.
constexpr std::string_view kMediaBox = "[0 0 595.28 841.89]";
constexpr int kFontSize = 10;
constexpr int kLeading = 11;
constexpr int kLeftMargin = 57;       // 20 mm; the right one is as wide
constexpr int kFirstBaseline = 785;   // the last of 66 lines is at 70
constexpr int kFooterBaseline = 40;
constexpr int kPageWidthTenths = 5953;
constexpr int kGlyphWidthTenths = 60;  // at kFontSize

// The byte that shows `c` in the font's encoding.
char FontCode(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return static_cast<char>(c);
  for (std::size_t i = 0; i < kPolishGlyphs.size(); ++i) {
    if (kPolishGlyphs[i].codePoint == c) return static_cast<char>(kFirstPolishCode + i);
  }
  return kUnshown;
}

using Page = std::vector<std::string>;  // lines in the font's encoding

// Breaks text into pages of at most kPdfLinesPerPage lines of at most
// kPdfColumns characters.
class Layout {
 public:
  void Add(char32_t c) {
    switch (c) {
      case '\n': PushLine(); break;
      case '\r': break;
      case '\f':
        if (!line_.empty()) PushLine();
        breakPending_ = true;
        break;
      case '\t':
        do {
          Put(' ');
        } while (line_.size() % kTabWidth != 0);
        break;
      default: Put(FontCode(c));
    }
  }

  std::vector<Page> Finish() {
    if (!line_.empty()) PushLine();
    return std::move(pages_);
  }

 private:
  void Put(char code) {
    if (line_.size() == kPdfColumns) PushLine();
    line_ += code;
  }

  void PushLine() {
    Page& page = pages_.back();
    if (page.size() == kPdfLinesPerPage || (breakPending_ && !page.empty())) pages_.emplace_back();
    breakPending_ = false;
    pages_.back().push_back(std::move(line_));
    line_.clear();
  }

  std::vector<Page> pages_{1};
  std::string line_;
  bool breakPending_ = false;
};

// A PDF literal string of bytes: parentheses and backslashes escaped, any
// byte outside printable ASCII as an octal escape.
std::string Literal(std::string_view bytes) {
  std::string text = "(";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      text += octal;
    } else {
      text += c;
    }
  }
  return text + ")";
}

// A text string of the information dictionary: a literal when the UTF-8
// text is printable ASCII, otherwise UTF-16BE with its byte-order mark.
std::string TextString(std::string_view utf8) {
  std::string hex = "<FEFF";
  bool ascii = true;
  const auto addUnit = [&hex](unsigned unit) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", unit);
    hex += digits;
  };
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = NextUtf8Character(utf8, pos).value_or(kReplacementCharacter);
    ascii = ascii && c >= 0x20 && c < 0x7F;
    if (c >= 0x10000) {
      addUnit(0xD800 + ((c - 0x10000) >> 10));
      addUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      addUnit(c);
    }
  }
  return ascii ? Literal(utf8) : hex + ">";
}

// "D:20261208091503Z": the time in UTC, as PDF dates are written.
std::string PdfDate(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(time);
  const auto day = floor<days>(seconds);
  const year_month_day date(day);
  const hh_mm_ss clock(seconds - day);
  char text[32];
  std::snprintf(text, sizeof text, "D:%04d%02u%02u%02d%02d%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

// The page's drawing: its lines from the top, then its number.
std::string PageContent(const Page& lines, int number, int count) {
  std::string content = "BT\n/F1 " + std::to_string(kFontSize) + " Tf\n" +
                        std::to_string(kLeading) + " TL\n" + std::to_string(kLeftMargin) + " " +
                        std::to_string(kFirstBaseline + kLeading) + " Td\n";
  for (const std::string& line : lines) content += line.empty() ? "T*\n" : Literal(line) + " '\n";
  const std::string footer = std::to_string(number) + " / " + std::to_string(count);
  const int xTenths = (kPageWidthTenths - kGlyphWidthTenths * static_cast<int>(footer.size())) / 2;
  content += "ET\nBT\n/F1 " + std::to_string(kFontSize) + " Tf\n" + std::to_string(xTenths / 10) +
             "." + std::to_string(xTenths % 10) + " " + std::to_string(kFooterBaseline) + " Td\n" +
             Literal(footer) + " Tj\nET\n";
  return content;
}

std::string FontDictionary() {
  std::string differences = std::to_string(kFirstPolishCode);
  for (const Glyph& glyph : kPolishGlyphs) differences += std::string(" /") + glyph.name;
  return "<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding << /Type /Encoding "
         "/BaseEncoding /WinAnsiEncoding /Differences [" +
         differences + "] >> >>";
}

// Writes numbered objects one after the other, 1, 2, 3 ..., keeping each
// one's offset for the cross-reference table.
class PdfFile {
 public:
  PdfFile() : out_("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n") {}

  void Add(const std::string& body) {
    offsets_.push_back(out_.size());
    out_ += std::to_string(offsets_.size()) + " 0 obj\n" + body + "\nendobj\n";
  }

  void AddStream(const std::string& data) {
    Add("<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream");
  }

  std::vector<std::uint8_t> Finish(int root, int info) {
    const std::size_t xref = out_.size();
    const std::string size = std::to_string(offsets_.size() + 1);
    out_ += "xref\n0 " + size + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets_) {
      char entry[24];
      std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
      out_ += entry;
    }
    out_ += "trailer\n<< /Size " + size + " /Root " + Reference(root) + " /Info " +
            Reference(info) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return {out_.begin(), out_.end()};
  }

  static std::string Reference(int number) { return std::to_string(number) + " 0 R"; }

 private:
  std::string out_;
  std::vector<std::size_t> offsets_;
};

// Object numbers: the catalog, the page tree, the font and the information
// dictionary, then each page followed by its content stream.
constexpr int kCatalog = 1;
constexpr int kPageTree = 2;
constexpr int kFont = 3;
constexpr int kInfo = 4;
constexpr int PageObject(std::size_t index) { return 5 + 2 * static_cast<int>(index); }

}  // namespace

std::string ReportPdfTitle(int modelIndex) {
  return modelIndex == kModelA ? "ZORVEL A report" : "ZORVEL B report";
}

std::vector<std::uint8_t> MakeReportPdf(std::span<const std::uint8_t> utf8Text,
                                        const ReportPdfInfo& info) {
  const std::string_view text(reinterpret_cast<const char*>(utf8Text.data()), utf8Text.size());
  Layout layout;
  for (std::size_t pos = 0; pos < text.size();)
    layout.Add(NextUtf8Character(text, pos).value_or(kReplacementCharacter));
  const std::vector<Page> pages = layout.Finish();

  PdfFile pdf;
  pdf.Add("<< /Type /Catalog /Pages " + PdfFile::Reference(kPageTree) + " >>");
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i) kids += PdfFile::Reference(PageObject(i)) + " ";
  pdf.Add("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  pdf.Add(FontDictionary());
  pdf.Add("<< /Title " + TextString(info.title) + " /Author (ZVReader) /Producer (ZVReader " +
          ZV_VERSION_STRING + ") /CreationDate (" + PdfDate(info.created) + ") >>");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    pdf.Add("<< /Type /Page /Parent " + PdfFile::Reference(kPageTree) + " /MediaBox " +
            std::string(kMediaBox) + " /Resources << /Font << /F1 " + PdfFile::Reference(kFont) +
            " >> >> /Contents " + PdfFile::Reference(PageObject(i) + 1) + " >>");
    pdf.AddStream(PageContent(pages[i], static_cast<int>(i) + 1, static_cast<int>(pages.size())));
  }
  return pdf.Finish(kCatalog, kInfo);
}

}  // namespace zv
