// The settings file on disk: <config>/opencpn/orvane_pi.ini through
// wxFileConfig, the file given as the local file and no global file.
#pragma once

#include <memory>
#include <string>

#include "settings/settings.h"

class wxFileConfig;

namespace orvane {

class WxSettingsFile : public SettingsFile {
 public:
  // Opens (or prepares to create) the file, creating its folder.
  explicit WxSettingsFile(const std::string& path);
  ~WxSettingsFile() override;

  std::optional<std::string> Read(const std::string& key) override;
  void Write(const std::string& key, const std::string& value) override;
  void Delete(const std::string& key) override;
  void Flush() override;

 private:
  std::unique_ptr<wxFileConfig> cfg_;
};

}  // namespace orvane
