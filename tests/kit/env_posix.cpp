// ScopedEnv and IsolatedHome over the POSIX environment functions.
#include <cstdlib>
#include <utility>

#include "kit/temp_env.h"

namespace zv::testkit {
namespace {

void Put(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

}  // namespace

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_ = old;
  Put(name_, value);
}

ScopedEnv::~ScopedEnv() { Put(name_, old_); }

IsolatedHome::IsolatedHome()
    : config_("XDG_CONFIG_HOME", (dir_.path() / "config").string()),
      data_("XDG_DATA_HOME", (dir_.path() / "data").string()) {}

}  // namespace zv::testkit
