// The report's PDF as qpdf, pdftotext and pdfinfo (POSIX processes) read it.
#include "transfer/report_pdf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/pdf_oracle.h"
#include "kit/temp_env.h"
#include "zv_version.h"

namespace zv {
namespace {

using testing::HasSubstr;

// 2026-12-08 09:15:03 UTC.
const std::chrono::system_clock::time_point kCreated{std::chrono::seconds(1796721303)};

// The PDF of `text`, in a folder that lasts as long as the test program.
std::filesystem::path Written(const std::string& text, const std::string& title = "t") {
  static const testkit::TempDir dir;
  const auto pdf = MakeReportPdf({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                                 {title, kCreated});
  testkit::WriteFileText(dir.path() / "report.pdf", std::string(pdf.begin(), pdf.end()));
  return dir.path() / "report.pdf";
}

TEST(ReportPdf, ShowsTheTextAsWrittenWithinTheLayoutRules) {
  const std::string x80(80, 'x');
  std::string lines67, first66;
  for (int n = 1; n <= 67; ++n) lines67 += std::to_string(n) + "\r\n";
  for (int n = 1; n <= 66; ++n) first66 += std::to_string(n) + "\n";
  const struct {
    const char* what;
    std::string text;
    std::vector<std::string> pages;  // each page's lines, as pdf-shows-text prints them
  } cases[] = {
      {"string syntax", "(open \\ back) slash ((\r\n)\\\r\n", {"(open \\ back) slash ((\n)\\\n"}},
      {"blank lines", "a\r\n\r\n\r\n  b  \r\nno line end", {"a\n\n\n  b\nno line end\n"}},
      {"80 columns, then wrapped", x80 + "\r\n" + x80 + "yz\r\n", {x80 + "\n" + x80 + "\nyz\n"}},
      {"tabs", "a\tb\tc\r\n1234567\tx\r\n", {"a       b       c\n1234567 x\n"}},
      {"form feeds", "\fone\r\n\ftwo\fthree\r\n\f", {"one\n", "two\n", "three\n"}},
      {"66 lines a page", lines67, {first66, "67\n"}},
      {"unshown characters", "DEL\x7F NUL\x01 € é \xEF\xBF\xBD \xFF\xC4 end\r\n",
       {"DEL? NUL? ? ? ? ?? end\n"}},
      {"nothing", "", {""}},
  };
  for (const auto& c : cases) {
    std::string expected;  // each page with its number at its foot
    for (std::size_t n = 1; n <= c.pages.size(); ++n) {
      expected += c.pages[n - 1] + std::to_string(n) + " / " + std::to_string(c.pages.size()) +
                  "\n\f\n";
    }
    EXPECT_EQ(testkit::PdfPages(Written(c.text)), expected) << c.what;
  }
}

TEST(ReportPdf, TheInformationDictionaryNamesTheReportAndTheProgram) {
  const std::string pdf = Written("x\r\n", "Raport – Łódź (1)").string();
  std::string info;
  ASSERT_EQ(testkit::RunCommand("pdfinfo -isodates '" + pdf + "'", info), 0) << info;
  EXPECT_THAT(info, HasSubstr(std::string("Title:           Raport – Łódź (1)\n"
                                          "Author:          ZVReader\n"
                                          "Producer:        ZVReader ") +
                              ZV_VERSION_STRING + "\nCreationDate:    2026-12-08T09:15:03Z\n"));
  EXPECT_THAT(info, HasSubstr("Page size:       595.28 x 841.89 pts (A4)\n"));
  EXPECT_THAT(info, HasSubstr("PDF version:     1.4\n"));
}

}  // namespace
}  // namespace zv
