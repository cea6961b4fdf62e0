// Environment variables and IsolatedHome over the POSIX functions.
#include <cstdlib>
#include <utility>

#include "kit/temp_env.h"

namespace zv::testkit {

void PutEnv(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

IsolatedHome::IsolatedHome()
    : config_("XDG_CONFIG_HOME", (dir_.path() / "config").string()),
      data_("XDG_DATA_HOME", (dir_.path() / "data").string()) {}

}  // namespace zv::testkit
