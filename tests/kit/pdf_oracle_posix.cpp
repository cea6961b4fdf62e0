#include "kit/pdf_oracle.h"

#include <stdio.h>
#include <sys/wait.h>

#include "kit/temp_env.h"

namespace zv::testkit {

int RunCommand(const std::string& command, std::string& output) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char chunk[4096];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string PdfPages(const std::filesystem::path& pdf) {
  std::string said;
  const int status = RunCommand(ZV_PDF_SHOWS_TEXT " '" + pdf.string() + "'", said);
  return status == 0 ? said : said + "(exit status " + std::to_string(status) + ")";
}

std::string PdfShowsText(const std::filesystem::path& pdf, std::string_view text) {
  const TempDir dir;
  WriteFileText(dir.path() / "text", std::string(text));
  std::string said;
  const std::string command = ZV_PDF_SHOWS_TEXT " '" + pdf.string() + "' '" +
                              (dir.path() / "text").string() + "'";
  return RunCommand(command, said) == 0 ? "" : said + "(failed)";
}

}  // namespace zv::testkit
