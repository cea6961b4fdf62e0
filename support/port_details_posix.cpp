#include "support/port_details.h"
#include "support/port_details_sysfs.h"

namespace zv {

std::unique_ptr<IPortDescriber> MakeSystemPortDescriber() {
  return std::make_unique<SysfsPortDescriber>("/sys", "/dev");
}

}  // namespace zv
