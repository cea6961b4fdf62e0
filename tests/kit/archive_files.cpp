#include "kit/archive_files.h"

#include <ctime>

namespace zv::testkit {

std::chrono::system_clock::time_point LocalTimePoint(int year, int month, int day, int hour,
                                                     int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;  // as the calendar of that day has it
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

std::set<std::string> FileNames(const std::filesystem::path& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    names.insert(entry->path().filename().string());
  }
  return names;
}

}  // namespace zv::testkit
