#include "support/paths.h"

namespace zv {

std::filesystem::path RawDumpPath(int modelIndex) {
  return RawDumpFolder() / (modelIndex != 0 ? "~ZVB.tmp" : "~ZVA.tmp");
}

std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::u8string(text.begin(), text.end());
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

}  // namespace zv
