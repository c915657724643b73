#include "fetch/fetch_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "common/clock.h"
#include "common/paths.h"

namespace orvane {
namespace fs = std::filesystem;
namespace {

std::string UtcNow() { return FormatUtcTime(NowUtcMs(), "%Y-%m-%dT%H:%M:%SZ"); }

bool ValidNavarea(int n) { return n >= 1 && n <= 21; }

std::string TextName(int n) { return "navarea_" + std::to_string(n) + ".txt"; }
std::string MetaName(int n) { return TextName(n) + ".meta.json"; }



// A JSON string literal; ETags carry double quotes ("abc", W/"x").
std::string JsonString(const std::string& s) {
  return nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Hex(uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%" PRIx64, v);
  return buf;
}

std::string MetaText(int n, const std::string& url, int status, const std::string& text, bool validator_form,
                     bool unchanged, const std::string& etag, const std::string& last_modified) {
  std::string m = "{\n";
  m += "  \"navarea\": " + std::to_string(n) + ",\n";
  m += "  \"fetch_time\": " + JsonString(UtcNow()) + ",\n";
  m += "  \"source_url\": " + JsonString(url) + ",\n";
  m += "  \"http_status\": " + std::to_string(status) + ",\n";
  m += "  \"bytes\": " + std::to_string(text.size()) + ",\n";
  m += "  \"fnv1a64\": " + JsonString(Hex(Fnv1a64(text))) + ",\n";
  if (validator_form) {
    m += "  \"etag\": " + JsonString(etag) + ",\n";
    m += "  \"last_modified\": " + JsonString(last_modified) + "\n";
  } else {
    m += std::string("  \"unchanged\": ") + (unchanged ? "true" : "false") + "\n";
  }
  m += "}\n";
  return m;
}

// The string value of key in a metadata text: after `"key": "` up to the
// first unescaped double quote, with JSON escapes decoded. A file written
// without escaping reads as it always did (up to the next double quote).
std::string MetaValue(const std::string& meta, const char* key) {
  const std::string pattern = std::string("\"") + key + "\": \"";
  const size_t p = meta.find(pattern);
  if (p == std::string::npos) return std::string();
  const size_t start = p + pattern.size();
  size_t i = start;
  bool escaped = false;
  for (; i < meta.size(); ++i) {
    if (escaped) {
      escaped = false;
    } else if (meta[i] == '\\') {
      escaped = true;
    } else if (meta[i] == '"') {
      break;
    }
  }
  const std::string raw = meta.substr(start, i - start);
  if (raw.find('\\') == std::string::npos) return raw;
  try {
    return nlohmann::json::parse("\"" + raw + "\"").get<std::string>();
  } catch (const std::exception&) {
    return raw;
  }
}

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::remove(path, ec) && !ec;
}

}  // namespace

std::string Translated(TranslateFn tr, const char* english) { return tr ? tr(english) : std::string(english); }

std::string FormatTranslated(TranslateFn tr, const char* english, ...) {
  const std::string fmt = Translated(tr, english);
  va_list ap;
  va_start(ap, english);
  va_list again;
  va_copy(again, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt.c_str(), ap);
  va_end(ap);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt.c_str(), again);
    out.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return out;
}

std::string CacheDir() {
  if (LocalDataRoot().empty()) return std::string();
  const std::string dir = FetchCacheDir();
  if (!EnsureDirectory(dir)) return std::string();
  return dir;
}

std::string CachePath(const std::string& name) {
  const std::string dir = CacheDir();
  return dir.empty() ? std::string() : dir + "/" + name;
}

uint64_t Fnv1a64(const std::string& bytes) {
  uint64_t h = 14695981039346656037ULL;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  return h;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes) {
  return !path.empty() && AtomicWriteFile(path, bytes) == AtomicWrite::kOk;
}

bool ReadNavareaCache(int n, std::string* text) {
  text->clear();
  if (!ValidNavarea(n)) return false;
  if (!ReadWholeFile(CachePath(TextName(n)), text)) return false;
  return !text->empty();
}

bool StoreNavareaText(int n, const std::string& text, const std::string& source_url, int status,
                      const std::string& etag, const std::string& last_modified) {
  if (!ValidNavarea(n) || text.empty()) return false;
  const std::string text_path = CachePath(TextName(n));
  const std::string meta_path = CachePath(MetaName(n));
  if (text_path.empty()) return false;
  std::string existing;
  ReadWholeFile(text_path, &existing);
  if (!existing.empty() && existing == text) {
    // Same text: the file keeps its time, only the metadata is renewed.
    WriteFileAtomic(meta_path, MetaText(n, source_url, status, text, false, true, "", ""));
  } else {
    if (!WriteFileAtomic(text_path, text)) return false;
    WriteFileAtomic(meta_path, MetaText(n, source_url, status, text, false, false, "", ""));
  }
  return WriteFileAtomic(meta_path, MetaText(n, source_url, status, text, true, false, etag, last_modified));
}

bool ReadCacheValidators(int n, std::string* etag, std::string* last_modified) {
  etag->clear();
  last_modified->clear();
  if (!ValidNavarea(n)) return false;
  std::string meta;
  if (!ReadWholeFile(CachePath(MetaName(n)), &meta)) return false;
  *etag = MetaValue(meta, "etag");
  *last_modified = MetaValue(meta, "last_modified");
  return !etag->empty() || !last_modified->empty();
}

bool IsNavareaCacheStale(int n, int max_hours) {
  if (max_hours < 1) return false;
  if (!ValidNavarea(n)) return true;
  std::string meta;
  if (!ReadWholeFile(CachePath(MetaName(n)), &meta)) return true;
  const std::string pattern = "\"fetch_time\": \"";
  const size_t p = meta.find(pattern);
  if (p == std::string::npos) return true;
  const size_t start = p + pattern.size();
  const size_t end = meta.find('"', start);
  if (end == std::string::npos) return true;
  const std::string value = meta.substr(start, end - start);
  std::tm tm{};
  if (std::sscanf(value.c_str(), "%d-%d-%dT%d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                  &tm.tm_min, &tm.tm_sec) != 6)
    return true;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  const time_t t = timegm(&tm);
  if (t <= 0) return true;
  const double age_hours = (static_cast<double>(NowUtcMs()) / 1000.0 - static_cast<double>(t)) / 3600.0;
  return age_hours > max_hours;
}

bool WriteCoastalCache(const std::string& hub, const std::string& text) {
  std::string key;
  for (char c : hub)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
      key.push_back(c);
  if (key.empty() || text.empty()) return false;
  return WriteFileAtomic(CachePath("coastal_" + key + ".txt"), text);
}

void AppendRequestLog(const std::string& url, int status, size_t bytes, int64_t ms, const std::string& note) {
  const std::string path = CachePath("http_gets.log");
  if (path.empty()) return;
  std::string line = UtcNow() + " status=" + std::to_string(status) + " bytes=" + std::to_string(bytes) +
                     " ms=" + std::to_string(ms) + " url=" + url;
  if (!note.empty()) line += " note=" + note;
  AppendToFile(path, line + "\n");
}

void AppendFetchErrorLog(int n, const std::string& url, const std::string& error) {
  const std::string path = CachePath("fetch_errors.log");
  if (path.empty()) return;
  AppendToFile(path, UtcNow() + " navarea=" + std::to_string(n) + " url=" + url + " err=" + error + "\n");
}

std::string PurgeStaleCache(TranslateFn tr, int* count) {
  int deleted = 0;
  if (!CacheDir().empty()) {
    for (int n = 1; n <= 21; ++n) {
      if (!IsNavareaCacheStale(n, kStaleCacheHours)) continue;
      if (RemoveFile(CachePath(TextName(n)))) ++deleted;
      RemoveFile(CachePath(MetaName(n)));
    }
  }
  if (count) *count = deleted;
  return FormatTranslated(tr, "Purged %d stale NAVAREA cache file(s) (>%d h)", deleted, kStaleCacheHours);
}

std::string PurgeAllCache(TranslateFn tr, int* count) {
  int deleted = 0;
  const std::string dir = CacheDir();
  if (!dir.empty()) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code sec;
      if (!it->is_directory(sec)) files.push_back(it->path());
    }
    for (const fs::path& p : files) {
      std::error_code rec;
      if (fs::remove(p, rec) && !rec) ++deleted;
    }
  }
  if (count) *count = deleted;
  return FormatTranslated(tr, "Purged ALL fetch cache \xE2\x80\x94 %d file(s)", deleted);
}

std::string CacheSizeReport(TranslateFn tr) {
  const std::string dir = LocalDataRoot().empty() ? std::string() : FetchCacheDir();
  std::error_code ec;
  if (dir.empty() || !fs::is_directory(dir, ec)) return Translated(tr, "Cache: (empty / not created yet)");
  fs::directory_iterator it(dir, ec);
  if (ec) return Translated(tr, "Cache: (unreadable)");
  size_t files = 0;
  uintmax_t total = 0;
  for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code sec;
    if (name.empty() || name[0] == '.' || !it->is_regular_file(sec)) continue;
    const uintmax_t size = it->file_size(sec);
    if (sec) continue;
    total += size;
    ++files;
  }
  return FormatTranslated(tr, "Cache: %zu file(s), %.2f MB", files, static_cast<double>(total) / 1048576.0);
}

}  // namespace orvane
