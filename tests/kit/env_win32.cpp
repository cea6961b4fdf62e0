// ScopedEnv and IsolatedHome over the C runtime's environment, which
// getenv reads on Windows.
#include <cstdlib>
#include <utility>

#include "kit/temp_env.h"

namespace zv::testkit {
namespace {

// _putenv_s with an empty value removes the variable, so an empty value
// cannot be kept; the code under test treats empty and absent alike.
void Put(const std::string& name, const std::optional<std::string>& value) {
  _putenv_s(name.c_str(), value ? value->c_str() : "");
}

}  // namespace

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_ = old;
  Put(name_, value);
}

ScopedEnv::~ScopedEnv() { Put(name_, old_); }

// The settings file lives under %APPDATA%, so that is where the private
// "config" folder goes. The raw-dump folder is fixed on Windows (C:\VAQ\);
// XDG_DATA_HOME is set only to keep the members alike on every platform.
IsolatedHome::IsolatedHome()
    : config_("APPDATA", (dir_.path() / "config").string()),
      data_("XDG_DATA_HOME", (dir_.path() / "data").string()) {}

}  // namespace zv::testkit
