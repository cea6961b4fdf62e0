#pragma once

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

namespace zv::testkit {

// The moment the wall clock of this computer shows the given local date
// and time.
std::chrono::system_clock::time_point LocalTimePoint(int year, int month, int day, int hour,
                                                     int minute, int second);

// The names of the entries of `folder`; empty when it does not exist.
std::set<std::string> FileNames(const std::filesystem::path& folder);

}  // namespace zv::testkit
