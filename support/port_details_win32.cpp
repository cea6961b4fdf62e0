#include <windows.h>
#include <setupapi.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string_view>

#include "support/port_details.h"
#include "support/wide_text.h"

namespace zv {
namespace {

// The COM port device interface and the Ports setup class: adapters
// register one or the other, most of them both.
constexpr GUID kComPortInterface{
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};
constexpr GUID kPortsClass{
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

std::wstring Upper(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
  return text;
}

// A string that may or may not end in NULs, as the registry and SetupAPI
// hand them over.
std::wstring Trimmed(const wchar_t* text, std::size_t bytes) {
  std::wstring value(text, bytes / sizeof(wchar_t));
  value.erase(std::find(value.begin(), value.end(), L'\0'), value.end());
  return value;
}

// The device's "PortName" value ("COM3"); empty when it has none.
std::wstring PortName(HDEVINFO set, SP_DEVINFO_DATA& info) {
  const HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t name[64] = {};
  DWORD type = 0;
  DWORD size = sizeof name - sizeof(wchar_t);
  const LONG status =
      RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return {};
  return Trimmed(name, size);
}

std::optional<std::string> Property(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property) {
  wchar_t text[256] = {};
  DWORD size = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property, nullptr,
                                         reinterpret_cast<BYTE*>(text),
                                         sizeof text - sizeof(wchar_t), &size)) {
    return std::nullopt;
  }
  const std::wstring value = Trimmed(text, size);
  if (value.empty()) return std::nullopt;
  return Utf8FromWide(value);
}

// "USB-SERIAL CH340 (COM3)" without " (COM3)".
std::optional<std::string> WithoutPortName(std::optional<std::string> name,
                                           const std::wstring& portName) {
  const std::string suffix = " (" + Utf8FromWide(portName) + ")";
  if (name && name->size() > suffix.size() && name->ends_with(suffix)) {
    name->resize(name->size() - suffix.size());
  }
  return name;
}

// The present COM ports' friendly names and makers, asked once when made.
class SetupApiPortDescriber : public IPortDescriber {
 public:
  SetupApiPortDescriber() {
    Collect(kComPortInterface, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    Collect(kPortsClass, DIGCF_PRESENT);
  }

  PortDetails Describe(const std::string& device) const override {
    std::wstring name = WideFromUtf8(device);
    if (name.starts_with(kDevicePrefix)) name.erase(0, kDevicePrefix.size());
    const auto found = ports_.find(Upper(name));
    return found == ports_.end() ? PortDetails{} : found->second;
  }

 private:
  void Collect(const GUID& guid, DWORD flags) {
    const HDEVINFO set = SetupDiGetClassDevsW(&guid, nullptr, nullptr, flags);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &info); ++index) {
      const std::wstring portName = PortName(set, info);
      if (portName.empty() || ports_.contains(Upper(portName))) continue;
      PortDetails details;
      details.description = WithoutPortName(Property(set, info, SPDRP_FRIENDLYNAME), portName);
      details.manufacturer = Property(set, info, SPDRP_MFG);
      ports_.emplace(Upper(portName), std::move(details));
    }
    SetupDiDestroyDeviceInfoList(set);
  }

  std::map<std::wstring, PortDetails> ports_;  // by upper-case port name
};

}  // namespace

std::unique_ptr<IPortDescriber> MakeSystemPortDescriber() {
  return std::make_unique<SetupApiPortDescriber>();
}

}  // namespace zv
