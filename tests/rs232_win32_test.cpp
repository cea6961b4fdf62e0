// The Win32 serial backend where no serial line is needed: what each open
// failure is called and told, and a closed port's silence. Reading a real
// line is covered by the end-to-end fetch under Wine.
#include "support/rs232.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "kit/temp_env.h"
#include "support/paths.h"

namespace zv {
namespace {

using std::chrono::milliseconds;
using testing::AllOf;
using testing::HasSubstr;
using Clock = std::chrono::steady_clock;

constexpr DWORD kShortWait = 50;  // ms: the read total time-out here

class SerialPortWin32Test : public testing::Test {
 protected:
  void SetUp() override { port_.SetTimeoutDefaults(0, 0, kShortWait, 0, 2); }

  testkit::IsolatedHome home_;
  CRS232 port_;
};

TEST_F(SerialPortWin32Test, ComNumberWithoutAPortDoesNotExist) {
  EXPECT_EQ(port_.Open(249, 9600), 0);
  const PortError& error = port_.LastError();
  EXPECT_EQ(error.kind, PortErrorKind::NoDevice);
  EXPECT_EQ(error.com, 249);
  EXPECT_EQ(error.device, R"(\\.\COM249)");
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_THAT(DescribePortError(error),
              AllOf(HasSubstr(R"(COM249 (\\.\COM249))"), HasSubstr("does not exist"),
                    HasSubstr("COM249="), HasSubstr(SettingsFilePath().string())));
}

TEST_F(SerialPortWin32Test, ComZeroIsNoPort) {
  EXPECT_EQ(port_.Open(0, 9600), 0);
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::NoPortSelected);
}

TEST_F(SerialPortWin32Test, MappedComNumberOpensTheMappedDevice) {
  const auto file = home_.root() / "plain.txt";
  testkit::WriteFileText(file, "not a port");
  testkit::WriteFileText(SettingsFilePath(), "[Ports]\r\nCOM12=" + file.string() + "\r\n");
  EXPECT_EQ(port_.Open(12, 9600), 0);
  EXPECT_EQ(port_.LastError().device, file.string());
  EXPECT_EQ(port_.LastError().kind, PortErrorKind::NotSerial);
}

TEST_F(SerialPortWin32Test, PathsThatAreNoSerialLineAreRefused) {
  const auto file = home_.root() / "plain.txt";
  testkit::WriteFileText(file, "not a port");
  // NUL is a character device without a line; the others are no device.
  for (const std::string& path : {std::string("NUL"), file.string(), home_.root().string()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(port_.OpenDevice(path, 9600), 0);
    EXPECT_EQ(port_.LastError().kind, PortErrorKind::NotSerial);
    EXPECT_THAT(DescribePortError(port_.LastError()),
                AllOf(HasSubstr(path), HasSubstr("not a serial line")));
  }
}

TEST_F(SerialPortWin32Test, RefusedPathLeavesNoHandleBehind) {
  const auto file = home_.root() / "plain.txt";
  testkit::WriteFileText(file, "not a port");
  ASSERT_EQ(port_.OpenDevice(file.string(), 9600), 0);
  // Opened without sharing: a handle left open would lock the file.
  HANDLE handle = CreateFileA(file.string().c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << GetLastError();
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

TEST_F(SerialPortWin32Test, ClosedPortReadsAsSilenceWithoutSpinning) {
  const double cpuStart = ThreadCpuSeconds();
  const auto start = Clock::now();
  for (int i = 0; i < 3; ++i) {
    const auto callStart = Clock::now();
    BYTE chunk[64];
    DWORD count = 0xDEAD;
    EXPECT_EQ(port_.Read(64, chunk, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_GE(Clock::now() - callStart, milliseconds(kShortWait));
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = ThreadCpuSeconds() - cpuStart;
  EXPECT_LT(cpu, 0.1 * wall) << "cpu " << cpu << " s of " << wall << " s";
}

}  // namespace
}  // namespace zv
