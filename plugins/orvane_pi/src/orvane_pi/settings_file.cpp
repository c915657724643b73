#include "orvane_pi/settings_file.h"

#include <filesystem>

#include <wx/convauto.h>
#include <wx/fileconf.h>
#include <wx/log.h>

#include "common/paths.h"
#include "orvane_pi/translate.h"

namespace orvane {

WxSettingsFile::WxSettingsFile(const std::string& path) {
  const std::filesystem::path p(path);
  if (p.has_parent_path()) EnsureDirectory(p.parent_path().string());
  // An unreadable or unwritable file gives defaults or loses the change
  // silently; the toolkit's error boxes must not pop up over the chart.
  wxLogNull quiet;
  cfg_ = std::make_unique<wxFileConfig>(wxEmptyString, wxEmptyString, ToWx(path), wxEmptyString,
                                        wxCONFIG_USE_LOCAL_FILE, wxConvAuto());
  // Feed addresses may hold '$'; they are kept exactly as written.
  cfg_->SetExpandEnvVars(false);
  cfg_->SetPath("/");
}

WxSettingsFile::~WxSettingsFile() {
  // Pending writes reach the file when the configuration is released.
  wxLogNull quiet;
  cfg_.reset();
}

std::optional<std::string> WxSettingsFile::Read(const std::string& key) {
  wxString v;
  if (!cfg_->Read(ToWx(key), &v)) return std::nullopt;
  return FromWx(v);
}

void WxSettingsFile::Write(const std::string& key, const std::string& value) {
  cfg_->Write(ToWx(key), ToWx(value));
}

void WxSettingsFile::Delete(const std::string& key) {
  if (cfg_->HasEntry(ToWx(key))) cfg_->DeleteEntry(ToWx(key), false);
}

void WxSettingsFile::Flush() {
  wxLogNull quiet;
  cfg_->Flush();
}

}  // namespace orvane
