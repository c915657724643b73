// Helpers shared by the tests: a temporary local data root and file reading.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orvane::test {

// Points LOCALAPPDATA and XDG_CONFIG_HOME at a fresh temporary folder for the
// life of the object.
class TempDataRoot {
 public:
  TempDataRoot() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data());
    setenv("LOCALAPPDATA", (dir_ + "/local").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
  }
  ~TempDataRoot() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    unsetenv("LOCALAPPDATA");
    unsetenv("XDG_CONFIG_HOME");
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace orvane::test
