// The settings file on disk: <config>/opencpn/orvane_pi.ini through
// wxFileConfig, the file given as the local file and no global file.
#pragma once

#include <memory>
#include <string>

#include "settings/settings.h"

class wxFileConfig;

namespace orvane {

// The largest settings file read; a bigger one is set aside.
constexpr size_t kMaxSettingsFileBytes = 1024 * 1024;

// Makes the file at path plain UTF-8 before it is read: a UTF-8 byte order
// mark is dropped, a UTF-16 file (by its mark) is converted once, and a file
// over kMaxSettingsFileBytes is renamed to path + ".bad-<local time>" so
// that the defaults apply. Returns what was done for the log, empty when
// the file was fine or absent.
std::string PrepareSettingsFile(const std::string& path);

class WxSettingsFile : public SettingsFile {
 public:
  // Opens (or prepares to create) the file, creating its folder, after
  // PrepareSettingsFile.
  explicit WxSettingsFile(const std::string& path);

  // What PrepareSettingsFile did, empty when nothing.
  const std::string& notice() const { return notice_; }
  ~WxSettingsFile() override;

  std::optional<std::string> Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& value) override;
  void Delete(const std::string& key) override;
  void Flush() override;

 private:
  std::unique_ptr<wxFileConfig> cfg_;
  std::string notice_;
};

}  // namespace orvane
