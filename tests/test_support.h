// Helpers shared by the tests: a temporary local data root and file reading.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace orvane::test {

// Points LOCALAPPDATA and XDG_CONFIG_HOME at a fresh temporary folder for the
// life of the object; the previous values come back afterwards, so roots nest.
class TempDataRoot {
 public:
  TempDataRoot() : old_local_(Get("LOCALAPPDATA")), old_config_(Get("XDG_CONFIG_HOME")) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
    setenv("LOCALAPPDATA", (dir_ + "/local").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
  }
  ~TempDataRoot() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    Restore("LOCALAPPDATA", old_local_);
    Restore("XDG_CONFIG_HOME", old_config_);
  }
  const std::string& dir() const { return dir_; }

 private:
  static std::optional<std::string> Get(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  }
  static void Restore(const char* name, const std::optional<std::string>& v) {
    if (v) {
      setenv(name, v->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  std::optional<std::string> old_local_, old_config_;
  std::string dir_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace orvane::test
