#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zv::testkit {

// A fresh temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for the lifetime of the object and restores
// the old value (or its absence) afterwards.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Sets a variable, or removes it for nothing (env_<platform>.cpp).
void PutEnv(const std::string& name, const std::optional<std::string>& value);

// Points the settings file, the raw-dump folder and the archive at a
// private temporary folder: $XDG_CONFIG_HOME and $XDG_DATA_HOME (Windows:
// %APPDATA% and %LOCALAPPDATA%).
class IsolatedHome {
 public:
  IsolatedHome();
  const std::filesystem::path& root() const { return dir_.path(); }
  std::filesystem::path ConfigHome() const { return root() / "config"; }
  std::filesystem::path DataHome() const { return root() / "data"; }

 private:
  TempDir dir_;
  ScopedEnv config_;
  ScopedEnv data_;
};

std::string ReadFileText(const std::filesystem::path& path);
std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path);
void WriteFileText(const std::filesystem::path& path, const std::string& text);

}  // namespace zv::testkit
