// Links the dialog's Windows resources (icon and version resource) into a
// small console program and checks that Windows finds them, where no Qt
// for Windows is at hand to build the dialog itself. Exit status 0 when
// every resource is there; each missing one is named on stderr.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kMainIcon = 128;  // IDR_MAINFRAME

bool HasVersionValue(const std::vector<char>& info, const char* name) {
  char path[128];
  std::snprintf(path, sizeof path, "\\StringFileInfo\\040904b0\\%s", name);
  void* value = nullptr;
  UINT length = 0;
  return VerQueryValueA(info.data(), path, &value, &length) != 0 && length > 1;
}

}  // namespace

int main() {
  int missing = 0;
  const auto expect = [&missing](bool present, const char* what) {
    if (!present) {
      std::fprintf(stderr, "missing: %s\n", what);
      ++missing;
    }
  };

  expect(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kMainIcon)) != nullptr,
         "the application icon (IDR_MAINFRAME)");

  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(self, &ignored));
  const bool hasInfo = !info.empty() &&
                       GetFileVersionInfoA(self, 0, static_cast<DWORD>(info.size()), info.data());
  expect(hasInfo, "the version resource");
  if (hasInfo) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    expect(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) &&
               fixed->dwSignature == VS_FFI_SIGNATURE,
           "the fixed file information");
    for (const char* name : {"FileDescription", "FileVersion", "InternalName",
                             "OriginalFilename", "ProductName", "ProductVersion"}) {
      expect(HasVersionValue(info, name), name);
    }
  }
  if (missing == 0) std::puts("icon and version resource found");
  return missing == 0 ? 0 : 1;
}
