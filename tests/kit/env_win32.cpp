// Environment variables and IsolatedHome over the C runtime's
// environment, which getenv reads on Windows.
#include <cstdlib>
#include <utility>

#include "kit/temp_env.h"
#include "support/wide_text.h"

namespace zv::testkit {

// Names and values are UTF-8, set through the wide-character environment
// so that letters outside the ANSI code page survive. _wputenv_s with an
// empty value removes the variable, so an empty value cannot be kept; the
// code under test treats empty and absent alike.
void PutEnv(const std::string& name, const std::optional<std::string>& value) {
  _wputenv_s(WideFromUtf8(name).c_str(),
             value ? WideFromUtf8(*value).c_str() : L"");
}

// The settings file lives under %APPDATA% and the archive under
// %LOCALAPPDATA%, so that is where the private "config" and "data" folders
// go. The raw-dump folder is fixed on Windows (C:\VAQ\).
IsolatedHome::IsolatedHome()
    : config_("APPDATA", (dir_.path() / "config").string()),
      data_("LOCALAPPDATA", (dir_.path() / "data").string()) {}

}  // namespace zv::testkit
