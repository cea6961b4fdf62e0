// Checks the resources that Windows reads from zvreader.exe without
// starting it: the icon, the manifest (Common Controls 6, per-monitor DPI
// awareness) and the version resource, whose file version must be the
// project version given on the command line.
//
//   resources_check PROGRAM.exe MAJOR.MINOR.PATCH.TWEAK
//
// Exit status 0 when everything is there; each fault is named on stderr.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kMainIcon = 128;    // IDR_MAINFRAME
constexpr int kAppManifest = 1;   // CREATEPROCESS_MANIFEST_RESOURCE_ID

int faults = 0;

void Expect(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "resources_check: %s\n", what);
  ++faults;
}

std::string ResourceText(HMODULE module, LPCWSTR name, LPCWSTR type) {
  const HRSRC found = FindResourceW(module, name, type);
  const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

std::wstring VersionValue(std::vector<char>& info, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return {};
  return static_cast<const wchar_t*>(value);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: resources_check PROGRAM.exe MAJOR.MINOR.PATCH.TWEAK\n", stderr);
    return 2;
  }
  const wchar_t* program = argv[1];
  unsigned version[4] = {};
  if (std::swscanf(argv[2], L"%u.%u.%u.%u", &version[0], &version[1], &version[2],
                   &version[3]) != 4) {
    std::fputs("resources_check: the version must have four parts\n", stderr);
    return 2;
  }

  const HMODULE module = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::fputs("resources_check: cannot load the program\n", stderr);
    return 1;
  }
  Expect(FindResourceW(module, MAKEINTRESOURCEW(kMainIcon), RT_GROUP_ICON),
         "no application icon (IDR_MAINFRAME)");
  const std::string manifest =
      ResourceText(module, MAKEINTRESOURCEW(kAppManifest), RT_MANIFEST);
  Expect(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
             manifest.find("version=\"6.0.0.0\"") != std::string::npos,
         "the manifest does not select Common Controls 6");
  Expect(manifest.find("PerMonitorV2") != std::string::npos,
         "the manifest does not declare per-monitor DPI awareness");
  FreeLibrary(module);

  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(program, &ignored));
  const bool hasInfo = !info.empty() && GetFileVersionInfoW(program, 0,
                                                            static_cast<DWORD>(info.size()),
                                                            info.data());
  Expect(hasInfo, "no version resource");
  if (hasInfo) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    const bool hasFixed =
        VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        fixed->dwSignature == VS_FFI_SIGNATURE;
    Expect(hasFixed, "no fixed file information");
    if (hasFixed) {
      Expect(fixed->dwFileVersionMS == ((version[0] << 16) | version[1]) &&
                 fixed->dwFileVersionLS == ((version[2] << 16) | version[3]),
             "the file version is not the project version");
    }
    wchar_t fileVersion[64];
    std::swprintf(fileVersion, 64, L"%u, %u, %u, %u", version[0], version[1], version[2],
                  version[3]);
    Expect(VersionValue(info, L"FileVersion") == fileVersion,
           "the FileVersion text is not the project version");
    for (const wchar_t* name : {L"FileDescription", L"InternalName", L"OriginalFilename",
                                L"ProductName", L"ProductVersion"}) {
      if (VersionValue(info, name).empty()) {
        std::fprintf(stderr, "resources_check: no %ls in the version resource\n", name);
        ++faults;
      }
    }
  }
  if (faults == 0) std::puts("icon, manifest and version resource found");
  return faults == 0 ? 0 : 1;
}
