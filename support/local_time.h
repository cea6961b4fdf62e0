#pragma once

#include <chrono>
#include <ctime>

namespace zv {

// The calendar date and time of `time` in the computer's time zone, as the
// clock on the wall shows it. Any thread may call it.
std::tm LocalTime(std::chrono::system_clock::time_point time);

}  // namespace zv
