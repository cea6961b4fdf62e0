// The settings-file reader on arbitrary bytes: parsing never fails, a file
// written back unchanged reads the same, and a value that is set reads back
// (before and after the rewrite) without disturbing any other key.
//
// Input: byte 0 picks the key to set, byte 1 the value; the rest is the
// file's text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"

namespace {

struct Key {
  const char* section;
  const char* key;
};

// What the program reads and writes, and a key of some other program.
constexpr std::array<Key, 9> kKeys{{
    {"Settings", "Device"},
    {"Settings", "Com"},
    {"Settings", "CodeDest"},
    {"Settings", "CodeSource"},
    {"Ports", "COM1"},
    {"Ports", "COM17"},
    {"Ports", "COM256"},
    {"Ports", "COM0"},
    {"Other", "Key"},
}};

using Values = std::vector<std::optional<std::string>>;

Values ReadAll(const zv::IniFile& file) {
  Values values;
  for (const Key& key : kKeys) values.push_back(file.Get(key.section, key.key));
  return values;
}

// The value written: a stored setting, a device path, or printable text
// taken from the file's own bytes.
std::string ValueFor(std::uint8_t selector, std::string_view text) {
  static constexpr std::array<const char*, 6> kFixed{
      "0", "-1", "255", "2147483647", "/dev/serial/by-id/usb-0403_6001-if00", "/dev/pts/7"};
  if (selector < kFixed.size()) return kFixed[selector];
  std::string value;
  for (const char c : text.substr(0, selector)) {
    if (c > ' ' && c < 0x7F) value += c;
  }
  return value;
}

void Fail(const char* what, std::size_t key) {
  std::fprintf(stderr, "settings file: %s (key %s/%s)\n", what, kKeys[key].section,
               kKeys[key].key);
  std::abort();
}

void ExpectSame(const Values& before, const Values& after, std::size_t except,
                const char* what) {
  for (std::size_t i = 0; i < kKeys.size(); ++i) {
    if (i != except && before[i] != after[i]) Fail(what, i);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t target = data[0] % kKeys.size();
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string value = ValueFor(data[1], text);

  zv::IniFile file = zv::IniFile::Parse(text);
  const Values original = ReadAll(file);

  // Names match without regard to case.
  std::string upperSection = kKeys[target].section;
  for (char& c : upperSection) c = static_cast<char>(c & ~0x20);
  if (file.Get(upperSection, kKeys[target].key) != original[target])
    Fail("section name case matters", target);

  const Values reread = ReadAll(zv::IniFile::Parse(file.Text()));
  ExpectSame(original, reread, kKeys.size(), "unchanged rewrite reads differently");

  file.Set(kKeys[target].section, kKeys[target].key, value);
  if (file.Get(kKeys[target].section, kKeys[target].key) != value)
    Fail("value set does not read back", target);
  ExpectSame(original, ReadAll(file), target, "setting one key changed another");

  const zv::IniFile saved = zv::IniFile::Parse(file.Text());
  if (saved.Get(kKeys[target].section, kKeys[target].key) != value)
    Fail("value set does not survive the rewrite", target);
  ExpectSame(original, ReadAll(saved), target, "the rewrite changed another key");
  return 0;
}
