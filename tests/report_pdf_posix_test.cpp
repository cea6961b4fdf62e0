// The report's PDF as programs independent of ours read it: qpdf checks
// its syntax and cross-reference table, pdftotext gives back its text page
// by page, pdfinfo its information dictionary. (Those programs are run as
// POSIX processes.)
#include "transfer/report_pdf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "kit/pdf_oracle.h"
#include "kit/temp_env.h"
#include "zv_version.h"

namespace zv {
namespace {

using testing::HasSubstr;
using testkit::PageLines;

// 2026-12-08 09:15:03 UTC.
const std::chrono::system_clock::time_point kCreated{std::chrono::seconds(1796721303)};

testkit::PdfReading Read(const std::string& text, const std::string& title = "t") {
  const testkit::TempDir dir;
  const auto file = dir.path() / "report.pdf";
  const auto pdf = MakeReportPdf({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                                 {title, kCreated});
  testkit::WriteFileText(file, std::string(pdf.begin(), pdf.end()));
  return testkit::ReadPdf(file);
}

std::vector<std::string> Footers(std::size_t count) {
  std::vector<std::string> footers;
  for (std::size_t n = 1; n <= count; ++n)
    footers.push_back(std::to_string(n) + " / " + std::to_string(count));
  return footers;
}

std::string Numbered(int first, int last) {
  std::string text;
  for (int n = first; n <= last; ++n) text += "line " + std::to_string(n) + "\r\n";
  return text;
}

TEST(ReportPdf, ShowsTheTextAsWrittenWithinTheLayoutRules) {
  const std::string x80(80, 'x');
  const struct {
    const char* what;
    std::string text;
    PageLines pages;
  } cases[] = {
      {"Polish letters", "Test znaków: ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ\r\n",
       {{"Test znaków: ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"}}},
      {"string syntax", "(open \\ back) slash ((\r\n)\\\r\n", {{"(open \\ back) slash ((", ")\\"}}},
      {"blank lines", "a\r\n\r\n\r\n  b  \r\nno line end", {{"a", "", "", "  b", "no line end"}}},
      {"80 columns, then wrapped", x80 + "\r\n" + x80 + "yz\r\n", {{x80, x80, "yz"}}},
      {"tabs", "a\tb\tc\r\n1234567\tx\r\n", {{"a       b       c", "1234567 x"}}},
      {"form feeds", "\fone\r\n\ftwo\fthree\r\n\f", {{"one"}, {"two"}, {"three"}}},
      {"unshown characters", "DEL\x7F NUL\x01 € é \xEF\xBF\xBD \xFF\xC4 end\r\n",
       {{"DEL? NUL? ? ? ? ?? end"}}},
      {"66 lines a page", Numbered(1, 67),
       {testkit::Paginated(Numbered(1, 66), 66)[0], {"line 67"}}},
      {"nothing", "", {{}}},
  };
  for (const auto& c : cases) {
    const testkit::PdfReading pdf = Read(c.text);
    EXPECT_TRUE(pdf.checked) << c.what << ": " << pdf.check;
    EXPECT_EQ(pdf.pages, c.pages) << c.what;
    EXPECT_EQ(pdf.footers, Footers(c.pages.size())) << c.what;
  }
}

TEST(ReportPdf, TheInformationDictionaryNamesTheReportAndTheProgram) {
  const testkit::PdfReading pdf = Read("x\r\n", "Raport – Łódź (1)");
  EXPECT_THAT(pdf.info, HasSubstr("Title:           Raport – Łódź (1)\n"));
  EXPECT_THAT(pdf.info, HasSubstr("Author:          ZVReader\n"));
  EXPECT_THAT(pdf.info, HasSubstr(std::string("Producer:        ZVReader ") + ZV_VERSION_STRING));
  EXPECT_THAT(pdf.info, HasSubstr("CreationDate:    2026-12-08T09:15:03Z\n"));
  EXPECT_THAT(pdf.info, HasSubstr("Page size:       595.28 x 841.89 pts (A4)\n"));
  EXPECT_THAT(pdf.info, HasSubstr("PDF version:     1.4\n"));
}

}  // namespace
}  // namespace zv
