// The report's PDF as qpdf, pdftotext and pdfinfo (POSIX processes) read it.
#include "transfer/report_pdf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "kit/pdf_oracle.h"
#include "kit/temp_env.h"
#include "zv_version.h"

namespace zv {
namespace {

using testing::HasSubstr;

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

TEST(ReportPdf, ShowsTheTextAsWrittenWithinTheLayoutRules) {
  const std::string x80(80, 'x');
  const struct {
    const char* what;
    std::string text;
    testkit::PageLines pages;
  } cases[] = {
      {"string syntax", "(open \\ back) slash ((\r\n)\\\r\n", {{"(open \\ back) slash ((", ")\\"}}},
      {"blank lines", "a\r\n\r\n\r\n  b  \r\nno line end", {{"a", "", "", "  b", "no line end"}}},
      {"80 columns, then wrapped", x80 + "\r\n" + x80 + "yz\r\n", {{x80, x80, "yz"}}},
      {"tabs", "a\tb\tc\r\n1234567\tx\r\n", {{"a       b       c", "1234567 x"}}},
      {"form feeds", "\fone\r\n\ftwo\fthree\r\n\f", {{"one"}, {"two"}, {"three"}}},
      {"unshown characters", "DEL\x7F NUL\x01 € é \xEF\xBF\xBD \xFF\xC4 end\r\n",
       {{"DEL? NUL? ? ? ? ?? end"}}},
      {"nothing", "", {{}}},
  };
  for (const auto& c : cases) {
    const testkit::PdfReading pdf = Read(c.text);
    EXPECT_TRUE(pdf.checked) << c.what << ": " << pdf.check;
    EXPECT_EQ(pdf.pages, c.pages) << c.what;
    for (std::size_t n = 1; n <= pdf.footers.size(); ++n)
      EXPECT_EQ(pdf.footers[n - 1], std::to_string(n) + " / " + std::to_string(c.pages.size()));
  }
}

TEST(ReportPdf, TheInformationDictionaryNamesTheReportAndTheProgram) {
  const testkit::PdfReading pdf = Read("x\r\n", "Raport – Łódź (1)");
  EXPECT_THAT(pdf.info, HasSubstr(std::string("Title:           Raport – Łódź (1)\n"
                                              "Author:          ZVReader\n"
                                              "Producer:        ZVReader ") +
                                  ZV_VERSION_STRING + "\nCreationDate:    2026-12-08T09:15:03Z\n"));
  EXPECT_THAT(pdf.info, HasSubstr("Page size:       595.28 x 841.89 pts (A4)\n"));
  EXPECT_THAT(pdf.info, HasSubstr("PDF version:     1.4\n"));
}

}  // namespace
}  // namespace zv
