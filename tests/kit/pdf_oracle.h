#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zv::testkit {

// A shell command's exit status (-1 when it did not end normally);
// `output` gets what it wrote on either stream.
int RunCommand(const std::string& command, std::string& output);

// tests/kit/pdf-shows-text, on qpdf and pdftotext (programs independent of
// ours): the pages as it prints them, or what is wrong with the PDF.
std::string PdfPages(const std::filesystem::path& pdf);
// Nothing when the PDF shows the UTF-8 `text` line for line; otherwise what
// is wrong.
std::string PdfShowsText(const std::filesystem::path& pdf, std::string_view text);

}  // namespace zv::testkit
