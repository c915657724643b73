#include "fetch/corpus_archive.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/log.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include "common/paths.h"
#include "fetch/sha256.h"

namespace orvane {
namespace {

constexpr const char* kArchiveName = "corpus.corpus.zip";
constexpr const char* kManifestName = "MANIFEST.json";
constexpr const char* kMarkerName = "corpus_zip.extracted";
// The digest key must follow its path value closely to belong to the same entry.
constexpr size_t kDigestKeyReach = 120;

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string DirName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string Utf8(const wxString& s) {
  const wxScopedCharBuffer b = s.utf8_str();
  return std::string(b.data(), b.length());
}

// The string value after position at (just past the key and its quotes):
// skips to the next '"' and reads up to the one after it.
bool StringValueAfter(std::string_view text, size_t at, size_t* value_begin, size_t* value_end) {
  const size_t open = text.find('"', at);
  if (open == std::string_view::npos) return false;
  const size_t close = text.find('"', open + 1);
  if (close == std::string_view::npos) return false;
  *value_begin = open + 1;
  *value_end = close;
  return true;
}

// What the central directory says of an entry before the toolkit tidies it:
// the toolkit drops a leading '/' and rewrites a link's file type as a
// regular file, and both must be refused, not quietly repaired.
struct RawCentral {
  std::string name;
  uint32_t attributes = 0;
  int uses = 0;  // central records pointing at this local header
};

uint32_t Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (Le16(p + 2) << 16); }

// Central records by local header offset; empty when the directory cannot
// be read (then every entry is refused).
std::map<uint32_t, RawCentral> ReadRawCentral(std::FILE* f) {
  std::map<uint32_t, RawCentral> out;
  if (std::fseek(f, 0, SEEK_END) != 0) return out;
  const long size = std::ftell(f);
  if (size < 22) return out;
  const long tail_len = std::min<long>(size, 22 + 65535);
  std::string tail(static_cast<size_t>(tail_len), '\0');
  if (std::fseek(f, size - tail_len, SEEK_SET) != 0 || std::fread(tail.data(), 1, tail.size(), f) != tail.size())
    return out;
  const auto* t = reinterpret_cast<const unsigned char*>(tail.data());
  long end = -1;
  for (long i = tail_len - 22; i >= 0; --i)
    if (t[i] == 'P' && t[i + 1] == 'K' && t[i + 2] == 5 && t[i + 3] == 6) {
      end = i;
      break;
    }
  if (end < 0) return out;
  const uint32_t entries = Le16(t + end + 10), cd_size = Le32(t + end + 12), cd_offset = Le32(t + end + 16);
  if (static_cast<long>(cd_offset) + static_cast<long>(cd_size) > size) return out;
  std::string cd(cd_size, '\0');
  if (std::fseek(f, static_cast<long>(cd_offset), SEEK_SET) != 0 || std::fread(cd.data(), 1, cd.size(), f) != cd.size())
    return out;
  const auto* c = reinterpret_cast<const unsigned char*>(cd.data());
  size_t at = 0;
  for (uint32_t i = 0; i < entries && at + 46 <= cd.size(); ++i) {
    if (Le32(c + at) != 0x02014b50u) break;
    const size_t name_len = Le16(c + at + 28), extra_len = Le16(c + at + 30), comment_len = Le16(c + at + 32);
    if (at + 46 + name_len > cd.size()) break;
    RawCentral& r = out[Le32(c + at + 42)];
    r.name.assign(cd, at + 46, name_len);
    r.attributes = Le32(c + at + 38);
    ++r.uses;
    at += 46 + name_len + extra_len + comment_len;
  }
  return out;
}

// Links, devices and pipes: any Unix file type other than a plain file or a folder.
bool IsLinkOrSpecial(uint32_t attributes) {
  const uint32_t type = (attributes >> 16) & 0170000u;
  return type != 0 && type != 0100000u && type != 0040000u;
}

// The name exactly as the entry's local header holds it, before the toolkit
// tidies it: a leading '/' must be refused, not quietly dropped.
bool RawLocalName(std::FILE* f, wxFileOffset offset, std::string* name) {
  unsigned char h[30];
  if (!f || offset < 0 || std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0) return false;
  if (std::fread(h, 1, sizeof h, f) != sizeof h) return false;
  if (h[0] != 'P' || h[1] != 'K' || h[2] != 3 || h[3] != 4) return false;
  const size_t len = h[26] | (h[27] << 8);
  name->assign(len, '\0');
  return len == 0 || std::fread(name->data(), 1, len, f) == len;
}

// Reads the current entry's data: at most limit bytes; true when the stream
// reported no error.
bool ReadEntry(wxZipInputStream& zip, size_t limit, std::string* out) {
  out->clear();
  char buf[65536];
  while (out->size() < limit) {
    const size_t want = std::min(sizeof buf, limit - out->size());
    zip.Read(buf, want);
    const size_t n = zip.LastRead();
    if (n == 0) break;
    out->append(buf, n);
  }
  return zip.GetLastError() != wxSTREAM_READ_ERROR;
}

enum class Write { kDone, kFailed };

// Streams the current entry into path, never past the entry cap nor the
// extraction's remaining budget (which it lowers); a failure removes what
// was written.
Write CopyEntryTo(wxZipInputStream& zip, const std::string& path, int64_t* budget) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return Write::kFailed;
  char buf[65536];
  int64_t total = 0;
  bool ok = true;
  for (;;) {
    zip.Read(buf, sizeof buf);
    const size_t n = zip.LastRead();
    if (n == 0) break;
    total += static_cast<int64_t>(n);
    if (total > kCorpusMaxEntryBytes || total > *budget || !WriteAll(fd, std::string(buf, n))) {
      ok = false;
      break;
    }
  }
  if (zip.GetLastError() == wxSTREAM_READ_ERROR) ok = false;
  ok = (::close(fd) == 0) && ok;
  if (!ok) ::unlink(path.c_str());
  if (ok) *budget -= total;
  return ok ? Write::kDone : Write::kFailed;
}

// True when path's folder, with every link resolved, lies inside root.
bool InsideRoot(const std::string& root_canonical, const std::string& path) {
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::canonical(std::filesystem::path(path).parent_path(), ec);
  if (ec) return false;
  const std::string p = parent.string();
  return p == root_canonical || p.rfind(root_canonical + "/", 0) == 0;
}

}  // namespace

std::string NormaliseMemberName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (!part.empty() && part != ".") {
      if (!out.empty()) out.push_back('/');
      out.append(part);
    }
    start = end + 1;
  }
  return out;
}

bool IsSafeEntryName(std::string_view name) {
  if (name.empty()) return false;
  if (name.front() == '/' || name.front() == '\\') return false;
  if (name.find('\0') != std::string_view::npos || name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

std::map<std::string, std::string> ParseCorpusManifest(std::string_view text) {
  std::map<std::string, std::string> members;
  const size_t key = text.find("\"zip_members\"");
  if (key == std::string_view::npos) return members;
  const size_t open = text.find('[', key);
  if (open == std::string_view::npos) return members;
  const size_t close = text.find(']', open);
  if (close == std::string_view::npos) return members;
  const std::string_view list = text.substr(open + 1, close - open - 1);

  constexpr std::string_view kPath = "\"path\"";
  constexpr std::string_view kSha = "\"sha256\"";
  size_t at = 0;
  while ((at = list.find(kPath, at)) != std::string_view::npos) {
    size_t pb, pe;
    if (!StringValueAfter(list, at + kPath.size(), &pb, &pe)) break;
    at = pe + 1;
    const size_t sha = list.find(kSha, pe + 1);
    if (sha == std::string_view::npos || sha - (pe + 1) > kDigestKeyReach) continue;
    size_t sb, se;
    if (!StringValueAfter(list, sha + kSha.size(), &sb, &se)) break;
    members[std::string(list.substr(pb, pe - pb))] = std::string(list.substr(sb, se - sb));
    at = se + 1;
  }
  return members;
}

std::string FindCorpusArchive() {
  const char* env = std::getenv("ORVANE_CORPUS_ZIP");
  if (env && *env && IsRegularFile(env)) return env;
  if (LocalDataRoot().empty()) return std::string();
  const std::string candidate = PluginDataDir() + "/" + kArchiveName;
  return IsRegularFile(candidate) ? candidate : std::string();
}

CorpusStatus VerifyCorpusArchiveAt(const std::string& zip_path) {
  if (zip_path.empty()) return {true, "no zip (optional OK)"};
  const std::string manifest_path = DirName(zip_path) + "/" + kManifestName;
  if (!Exists(manifest_path)) return {true, "MANIFEST missing \xE2\x80\x94 skip zip member check"};
  std::string manifest;
  if (!ReadWholeFile(manifest_path, &manifest)) return {true, "MANIFEST unreadable"};
  const std::map<std::string, std::string> expected = ParseCorpusManifest(manifest);
  if (expected.empty()) return {true, "no zip_members in MANIFEST (optional)"};

  wxLogNull quiet;  // the outcome is our status line, not a toolkit log box
  wxFFileInputStream file(wxString::FromUTF8(zip_path));
  if (!file.IsOk()) return {false, "zip open fail"};
  wxZipInputStream zip(file, wxConvUTF8);
  std::map<std::string, std::string> seen;
  for (std::unique_ptr<wxZipEntry> e(zip.GetNextEntry()); e; e.reset(zip.GetNextEntry())) {
    if (e->IsDir()) continue;
    const std::string name = NormaliseMemberName(Utf8(e->GetInternalName()));
    if (expected.find(name) == expected.end()) continue;
    // Two entries of one name: whichever is written last wins, so neither
    // digest vouches for what lands on disk.
    if (seen.count(name)) return {false, "duplicate zip member " + name};
    const wxFileOffset size = e->GetSize();
    std::string data;
    if (size >= 1 && size < kCorpusMaxEntryBytes) {
      if (!ReadEntry(zip, static_cast<size_t>(size), &data) || data.size() < static_cast<size_t>(size))
        return {false, "zip read short " + name};
    }
    std::string digest;
    if (!Sha256Hex(data, &digest)) return {false, "sha256 unavailable"};
    seen[name] = digest;
  }
  if (zip.GetLastError() == wxSTREAM_READ_ERROR) return {false, "zip corrupt"};
  for (const auto& [name, digest] : expected) {
    const auto it = seen.find(name);
    if (it == seen.end()) return {false, "missing zip member " + name};
    if (it->second != digest) return {false, "sha mismatch " + name};
  }
  return {true, "zip_members sha OK count=" + std::to_string(expected.size())};
}

CorpusStatus VerifyCorpusArchive() { return VerifyCorpusArchiveAt(FindCorpusArchive()); }

ExtractResult ExtractCorpusEntries(const std::string& zip_path, const std::string& dir,
                                   const std::map<std::string, std::string>* members) {
  ExtractResult out;
  wxLogNull quiet;
  wxFFileInputStream file(wxString::FromUTF8(zip_path));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> raw(std::fopen(zip_path.c_str(), "rb"), std::fclose);
  if (!file.IsOk() || !raw) return out;
  out.opened = true;
  std::error_code ec;
  const std::string root = std::filesystem::canonical(dir, ec).string();
  if (ec) {
    out.readable = true;  // nothing was read; the folder is what failed
    return out;
  }

  const std::map<uint32_t, RawCentral> central = ReadRawCentral(raw.get());
  wxZipInputStream zip(file, wxConvUTF8);
  bool all_handled = true;
  int64_t budget = kCorpusMaxTotalBytes;
  std::set<std::string> written;
  for (std::unique_ptr<wxZipEntry> e(zip.GetNextEntry()); e; e.reset(zip.GetNextEntry())) {
    std::string local_name;
    const std::string name = Utf8(e->GetInternalName());
    const auto c = central.find(static_cast<uint32_t>(e->GetOffset()));
    // Refused names, links and folders are handled by not writing them.
    if (c == central.end() || c->second.uses != 1 || !IsSafeEntryName(c->second.name) ||
        IsLinkOrSpecial(c->second.attributes) || !RawLocalName(raw.get(), e->GetOffset(), &local_name) ||
        !IsSafeEntryName(local_name) || !IsSafeEntryName(name) || e->IsDir())
      continue;
    const std::string member = NormaliseMemberName(name);
    // Only what the manifest vouches for is unpacked.
    if (members && members->find(member) == members->end()) continue;
    if (!written.insert(member).second) {
      all_handled = false;  // a second entry of one name would overwrite the first
      continue;
    }
    const std::string path = dir + "/" + member;
    if (!EnsureDirectory(DirName(path)) || !InsideRoot(root, path)) {
      all_handled = false;
      continue;
    }
    if (CopyEntryTo(zip, path, &budget) == Write::kDone) {
      ++out.written;
    } else {
      all_handled = false;
    }
  }
  out.readable = zip.GetLastError() != wxSTREAM_READ_ERROR;
  out.complete = out.readable && all_handled;
  return out;
}

CorpusStatus PrepareCorpusArchiveAt(const std::string& zip_path, const std::string& extract_dir) {
  if (zip_path.empty()) return {true, "corpus.zip absent \xE2\x80\x94 using loose data/corpus"};
  const CorpusStatus check = VerifyCorpusArchiveAt(zip_path);
  if (!check.ok) return {true, "corpus.zip integrity fail \xE2\x80\x94 fallback loose (" + check.status + ")"};
  if (extract_dir.empty()) return {true, "no LocalAppData \xE2\x80\x94 skip zip extract"};
  if (!EnsureDirectory(extract_dir)) return {true, "cannot create " + extract_dir + " \xE2\x80\x94 fallback loose"};
  const std::string marker = extract_dir + "/" + kMarkerName;
  if (Exists(marker)) return {true, "corpus.zip already extracted (" + check.status + ")"};

  // With a manifest, only its members; VerifyCorpusArchiveAt has checked them.
  std::string manifest;
  std::map<std::string, std::string> members;
  if (ReadWholeFile(DirName(zip_path) + "/" + kManifestName, &manifest)) members = ParseCorpusManifest(manifest);
  const ExtractResult r = ExtractCorpusEntries(zip_path, extract_dir, members.empty() ? nullptr : &members);
  if (!r.opened) return {true, "cannot open corpus.zip \xE2\x80\x94 fallback loose"};
  if (!r.readable) return {false, "corrupt corpus.zip \xE2\x80\x94 fallback loose"};
  const std::string count = std::to_string(r.written);
  // Without the marker the next start tries again.
  if (!r.complete) return {false, "corpus.zip extracted members=" + count + ", incomplete \xE2\x80\x94 retried at next start"};
  AtomicWriteFile(marker, "extracted=" + count + " from " + zip_path);  // a lost marker only repeats the work
  return {true, "corpus.zip extracted members=" + count};
}

CorpusStatus PrepareCorpusArchive() {
  return PrepareCorpusArchiveAt(FindCorpusArchive(), LocalDataRoot().empty() ? std::string() : CorpusExtractDir());
}

}  // namespace orvane
