#include "common/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace orvane {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return (v && *v) ? std::string(v) : std::string();
}

std::string Home() {
  std::string h = Env("HOME");
  return h.empty() ? std::string("/tmp") : h;
}

std::string Join(std::string base, const char* rest) {
  if (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/" + rest;
}

}  // namespace

std::string LocalDataRoot() {
  std::string v = Env("LOCALAPPDATA");
  if (!v.empty()) return v;
  v = Env("XDG_DATA_HOME");
  if (!v.empty()) return v;
  return Join(Home(), ".local/share");
}

std::string ConfigRoot() {
  std::string v = Env("XDG_CONFIG_HOME");
  if (!v.empty()) return v;
  return Join(Home(), ".config");
}

std::string PluginLoadLogPath() { return Join(LocalDataRoot(), "opencpn/plugins/orvane_pi/logs/plugin_load.log"); }
std::string PluginDataDir() { return Join(LocalDataRoot(), "opencpn/plugins/orvane_pi/data"); }
std::string CorpusExtractDir() { return Join(LocalDataRoot(), "opencpn/plugins/orvane_pi/cache/corpus_zip"); }
std::string FetchCacheDir() { return Join(LocalDataRoot(), "opencpn/orvane_cache"); }
std::string ParcelsDir() { return Join(FetchCacheDir(), "parcels"); }
std::string ReportsDir() { return Join(LocalDataRoot(), "opencpn/orvane_pi/reports"); }
std::string ArrivalLogFile() { return Join(LocalDataRoot(), "opencpn/orvane_pi/logs/orvane_arrival.jsonl"); }
std::string SettingsFilePath() { return Join(ConfigRoot(), "opencpn/orvane_pi.ini"); }

bool EnsureDirectory(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::is_directory(dir, ec);
}

bool AppendToFile(const std::string& path, const std::string& text) {
  const std::filesystem::path p(path);
  if (p.has_parent_path()) EnsureDirectory(p.parent_path().string());
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace orvane
