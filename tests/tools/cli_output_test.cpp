// What zvreader-cli prints: the JSON summary, the progress display and
// what became of a transfer's files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "kit/temp_env.h"
#include "support/paths.h"
#include "zvreader-cli/commands.h"
#include "zvreader-cli/json_writer.h"
#include "zvreader-cli/progress_view.h"

namespace zv::cli {
namespace {

using testing::HasSubstr;

TEST(JsonString, EscapesWhatJsonRequires) {
  const struct {
    std::string text;
    std::string json;
  } kCases[] = {
      {"plain", R"("plain")"},
      {"a\"b", R"("a\"b")"},
      {"C:\\VAQ\\~ZVA.tmp", R"("C:\\VAQ\\~ZVA.tmp")"},
      {"tab\there", R"("tab\u0009here")"},
      {std::string("nul\0x", 5), R"("nul\u0000x")"},
      {"\x7F", R"("\u007f")"},
      {"Łódź", "\"Łódź\""},                      // valid UTF-8 passes
      {"\xB3 box", R"("\u00b3 box")"},           // a stray byte does not
      {"\xC5", R"("\u00c5")"},                   // cut-off sequence
      {"\xC0\xAF", R"("\u00c0\u00af")"},         // overlong
      {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"},  // surrogate
      {"", R"("")"},
  };
  for (const auto& c : kCases) EXPECT_EQ(JsonString(c.text), c.json) << c.json;
}

TEST(JsonObject, FieldsInOrderWithNulls) {
  const std::string text = JsonObject()
                               .Add("model", "B")
                               .Add("baud", 9600)
                               .Add("expected_tests", std::optional<std::int64_t>{})
                               .Add("counted_tests", std::optional<std::int64_t>{3})
                               .Add("stopped", false)
                               .Add("raw_file", std::optional<std::string>{})
                               .Add("output_file", std::optional<std::string>{"a \"b\""})
                               .Text();
  EXPECT_EQ(text,
            R"({"model":"B","baud":9600,"expected_tests":null,"counted_tests":3,)"
            R"("stopped":false,"raw_file":null,"output_file":"a \"b\""})");
}

TEST(ProgressBar, FillsInProportion) {
  EXPECT_EQ(ProgressBar(0, 0, 4), "[....]") << "no range yet";
  EXPECT_EQ(ProgressBar(0, 5, 10), "[..........]");
  EXPECT_EQ(ProgressBar(3, 6, 10), "[#####.....]");
  EXPECT_EQ(ProgressBar(5, 5, 10), "[##########]");
  EXPECT_EQ(ProgressBar(9, 5, 10), "[##########]") << "more tests than announced";
  EXPECT_EQ(ProgressBar(1, 65535, 10), "[..........]");
}

TEST(ProgressView, OutsideATerminalEachNewStatusIsOneLine) {
  std::ostringstream out;
  ProgressView view(out, false);
  view.SetProgressPos(0);
  view.SetStatusText("Waiting for transmission");
  view.SetProgressRange(0, 2);
  view.SetStatusText("Transmited test: 1 / 02");
  view.SetStatusText("Transmited test: 1 / 02");
  view.SetProgressPos(2);
  view.SetStatusText("Transmited test: 2 / 02");
  view.Note("Stopping.");
  view.Finish();
  EXPECT_EQ(out.str(),
            "Waiting for transmission\nTransmited test: 1 / 02\nTransmited test: 2 / 02\n"
            "Stopping.\n");
}

TEST(ProgressView, OnATerminalTheBarIsRedrawnInPlace) {
  std::ostringstream out;
  ProgressView view(out, true);
  view.SetProgressPos(0);
  EXPECT_EQ(out.str(), "") << "no bar without a status text";
  view.SetStatusText("Oczekiwanie na transmisję");
  view.SetProgressRange(0, 4);
  view.SetProgressPos(2);
  view.SetStatusText("Przetransmitowano badań: 2 / 04");
  view.Note("Stopping.");
  view.Finish();
  const std::string text = out.str();
  EXPECT_THAT(text, HasSubstr("\r[" + std::string(30, '.') + "] Oczekiwanie na transmisję"));
  EXPECT_THAT(text, HasSubstr("\r[" + std::string(15, '#') + std::string(15, '.') +
                              "] Przetransmitowano badań: 2 / 04"));
  EXPECT_THAT(text, HasSubstr("\nStopping.\n")) << "a note starts below the bar";
  EXPECT_EQ(text.back(), '\n') << "Finish leaves the cursor below the bar";
  EXPECT_EQ(text.find('\n'), text.find("\nStopping.")) << "no other line breaks before";
}

TEST(ProgressView, ALongerLineIsWipedByTheNextShorterOne) {
  std::ostringstream out;
  ProgressView view(out, true);
  view.SetStatusText("a long status text");
  view.SetStatusText("short");
  const std::string text = out.str();
  const std::string last = text.substr(text.rfind('\r'));
  EXPECT_EQ(last.size(), std::string("\r[" + std::string(30, '.') + "] a long status text").size());
}

TEST(ProgressView, TheEndWakesTheWaitingThread) {
  std::ostringstream out;
  ProgressView view(out, false);
  EXPECT_FALSE(view.WaitForEnd(std::chrono::milliseconds(0)));
  std::thread worker([&view] { view.PostTransferEnd(); });
  EXPECT_TRUE(view.WaitForEnd(std::chrono::seconds(10)));
  worker.join();
}

TEST(KeepAndReport, NamesEachTransferTheArchiveDeletes) {
  testkit::IsolatedHome home;
  testkit::WriteFileText(SettingsFilePath(), "[Archive]\nKeepDays=30\n");
  const std::filesystem::path old = ArchiveFolder() / "2020-01-01_100000_ZVB.raw";
  testkit::WriteFileText(old, "old");
  std::filesystem::last_write_time(old, std::filesystem::file_time_type::clock::now() -
                                            std::chrono::days(400));
  std::ostringstream out, err;
  Console console{out, err, false};
  TransferArchive archive;
  ASSERT_TRUE(KeepAndReport(kModelB, {'r', 'a', 'w'}, archive, console).archived.result.ok);
  EXPECT_EQ(err.str(), "zvreader-cli: deleted " + Utf8FromPath(old) +
                           " from the archive, older than [Archive] KeepDays allows\n");
}

}  // namespace
}  // namespace zv::cli
