#include "orvane_pi/settings_file.h"

#include <filesystem>

#include <wx/convauto.h>
#include <wx/strconv.h>
#include <wx/fileconf.h>
#include <wx/log.h>

#include "common/clock.h"
#include "common/paths.h"
#include "orvane_pi/translate.h"

namespace orvane {

std::string PrepareSettingsFile(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return std::string();
  const std::string name = std::filesystem::path(path).filename().string();
  if (size > kMaxSettingsFileBytes) {
    // Reading it would hold up the chart plotter; the file is kept for a look.
    const std::string aside = path + ".bad-" + FormatLocalTime(NowUtcMs(), "%Y%m%d-%H%M%S");
    std::filesystem::rename(path, aside, ec);
    if (ec) std::filesystem::remove(path, ec);
    return Tr("settings file over 1 MiB set aside as ") + std::filesystem::path(aside).filename().string() +
           Tr(" \xE2\x80\x94 defaults used");
  }
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return std::string();
  auto starts = [&bytes](const char* mark, size_t n) { return bytes.size() >= n && bytes.compare(0, n, mark, n) == 0; };
  std::string utf8;
  std::string what;
  if (starts("\xEF\xBB\xBF", 3)) {
    utf8 = bytes.substr(3);
    what = Tr("byte order mark dropped from ") + name;
  } else if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
    const bool le = bytes[0] == '\xFF';
    const wxString text = le ? wxString(bytes.data() + 2, wxMBConvUTF16LE(), bytes.size() - 2)
                             : wxString(bytes.data() + 2, wxMBConvUTF16BE(), bytes.size() - 2);
    const wxScopedCharBuffer b = text.utf8_str();
    utf8.assign(b.data(), b.length());
    what = name + Tr(" converted from UTF-16 to UTF-8");
  } else {
    return std::string();
  }
  if (AtomicWriteFile(path, utf8) != AtomicWrite::kOk) return std::string();
  return what;
}

WxSettingsFile::WxSettingsFile(const std::string& path) {
  const std::filesystem::path p(path);
  if (p.has_parent_path()) EnsureDirectory(p.parent_path().string());
  notice_ = PrepareSettingsFile(path);
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
