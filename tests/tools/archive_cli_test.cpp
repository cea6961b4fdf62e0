// zvreader-cli and the transfer archive, as processes over a simulated
// device: fetch keeps the transfer in the archive, `archive` lists it with
// its counts, and convert turns the archived file into UTF-8 text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kit/archive_files.h"
#include "kit/convert_reference.h"
#include "kit/polish_letters.h"
#include "kit/temp_env.h"
#include "tools/child_process.h"
#include "zvsim/report_generator.h"

namespace zv {
namespace {

namespace fs = std::filesystem;
using testkit::ChildProcess;
using testkit::ReadFileText;
using std::chrono::seconds;

constexpr auto kPatience = seconds(30);  // only a safety net against hanging

std::string RunCli(std::vector<std::string> args, int expectedStatus) {
  ChildProcess process(args);
  EXPECT_TRUE(process.Started());
  EXPECT_EQ(process.Wait(kPatience), expectedStatus) << process.Error();
  return process.Output();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

TEST(ArchiveCli, AFetchedTransferIsArchivedListedAndConvertedToUtf8) {
  testkit::IsolatedHome home;
  testkit::ScopedEnv english("LANGUAGE", "en");
  const fs::path archive = home.DataHome() / "VAQ" / "archive";
  // An older transfer that never completed its header.
  testkit::WriteFileText(archive / "2025-01-02_030405_ZVA.raw", "ZVA-1");

  ChildProcess simulator({ZVSIM_PATH, "--model", "B", "--tests", "3", "--device-code", "rs232",
                          "--speed", "50", "--once"});
  const auto device = simulator.ReadLine(kPatience);
  ASSERT_TRUE(device) << simulator.Error();
  const fs::path text = home.root() / "tests.txt";
  RunCli({ZVREADER_CLI_PATH, "fetch", "--model", "B", "--port", *device, "--source", "rs232",
       "--target", "utf8", "-o", text.string()},
      0);
  EXPECT_EQ(simulator.Wait(kPatience), 0);

  // Cleaned with the letters kept in Mazovia ("RS 232", target entry 1),
  // then each letter looked up in the published tables.
  const std::vector<std::uint8_t> report = sim::MakeReport({kModelB, 3, 1, kCodeMazovia});
  const std::string utf8 =
      testkit::ReferenceUtf8(testkit::ReferenceConvert(report, kModelB, 1, 1), 1);
  EXPECT_EQ(ReadFileText(text), utf8);

  const auto names = testkit::FileNames(archive);
  ASSERT_EQ(names.size(), 2u);
  const std::string fetched = *names.rbegin();
  EXPECT_THAT(fetched, testing::MatchesRegex("20[0-9][0-9]-[01][0-9]-[0-3][0-9]_[0-9]{6}_ZVB\\.raw"));
  EXPECT_EQ(ReadFileText(archive / fetched), std::string(report.begin(), report.end()));

  const std::string time = fetched.substr(0, 10) + " " + fetched.substr(11, 2) + ":" +
                           fetched.substr(13, 2) + ":" + fetched.substr(15, 2);
  EXPECT_EQ(RunCli({ZVREADER_CLI_PATH, "archive", "--json"}, 0),
            "{\"time\":\"2025-01-02 03:04:05\",\"model\":\"A\",\"bytes_received\":5,"
            "\"expected_tests\":null,\"counted_tests\":0,\"raw_file\":" +
                Quoted((archive / "2025-01-02_030405_ZVA.raw").string()) + "}\n" +
                "{\"time\":\"" + time + "\",\"model\":\"B\",\"bytes_received\":" +
                std::to_string(report.size()) +
                ",\"expected_tests\":3,\"counted_tests\":3,\"raw_file\":" +
                Quoted((archive / fetched).string()) + "}\n");
  const std::string listing = RunCli({ZVREADER_CLI_PATH, "archive"}, 0);
  EXPECT_THAT(listing, testing::StartsWith("Time "));
  EXPECT_THAT(listing, testing::ContainsRegex(time + " +B +" + std::to_string(report.size()) +
                                              " +3 of 3 +" + (archive / fetched).string()));

  // The bare name is found in the archive and names the model.
  EXPECT_EQ(RunCli({ZVREADER_CLI_PATH, "convert", "--source", "rs232", "--target", "utf8", fetched}, 0),
            utf8);
}

}  // namespace
}  // namespace zv
