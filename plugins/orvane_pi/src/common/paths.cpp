#include "common/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

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

bool ReadWholeFile(const std::string& path, std::string* out) {
  out->clear();
  if (path.empty()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return false;
  *out = ss.str();
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

AtomicWrite AtomicWriteFile(const std::string& path, const std::string& bytes) {
  const std::string tmp = path + ".tmp";
  // A temporary file left by a killed writer, or a link planted in its
  // place, is removed (unlink does not follow a link), and the new one is
  // created afresh: never opened through a link, never shared with another
  // writer.
  if (::unlink(tmp.c_str()) != 0 && errno != ENOENT) return AtomicWrite::kOpenFailed;
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return AtomicWrite::kOpenFailed;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(tmp.c_str());
    return AtomicWrite::kWriteFailed;
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return AtomicWrite::kRenameFailed;
  }
  // The rename itself must survive a power cut, not only the data.
  const std::string dir = std::filesystem::path(path).parent_path().string();
  const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return AtomicWrite::kOk;
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
