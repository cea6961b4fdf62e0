#include <time.h>

#include "support/local_time.h"

namespace zv {

std::tm LocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  tzset();  // localtime_r need not notice a changed time zone by itself
  localtime_r(&seconds, &local);
  return local;
}

}  // namespace zv
