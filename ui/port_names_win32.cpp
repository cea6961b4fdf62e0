#include "ui/port_names.h"

namespace zv {

std::string PortListEntry(int com) { return "COM " + std::to_string(com); }

}  // namespace zv
