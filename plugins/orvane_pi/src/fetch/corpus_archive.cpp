#include "fetch/corpus_archive.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
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

// Unix file type bits of an entry made on Unix: 0 when unknown.
unsigned UnixType(const wxZipEntry& e) {
  if (!e.IsMadeByUnix()) return 0;
  return (e.GetExternalAttributes() >> 16) & 0170000u;
}

bool IsLinkOrSpecial(const wxZipEntry& e) {
  const unsigned type = UnixType(e);
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

// Streams the current entry into path, never past the size cap; a failure
// removes what was written.
Write CopyEntryTo(wxZipInputStream& zip, const std::string& path) {
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
    if (total > kCorpusMaxEntryBytes || !WriteAll(fd, std::string(buf, n))) {
      ok = false;
      break;
    }
  }
  if (zip.GetLastError() == wxSTREAM_READ_ERROR) ok = false;
  ok = (::close(fd) == 0) && ok;
  if (!ok) ::unlink(path.c_str());
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
  std::string out(name);
  for (char& c : out)
    if (c == '\\') c = '/';
  size_t lead = 0;
  while (lead < out.size() && out[lead] == '/') ++lead;
  return out.substr(lead);
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

ExtractResult ExtractCorpusEntries(const std::string& zip_path, const std::string& dir) {
  ExtractResult out;
  wxLogNull quiet;
  wxFFileInputStream file(wxString::FromUTF8(zip_path));
  if (!file.IsOk()) return out;
  out.opened = true;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> raw(std::fopen(zip_path.c_str(), "rb"), std::fclose);
  std::error_code ec;
  const std::string root = std::filesystem::canonical(dir, ec).string();
  if (ec || !raw) return out;

  wxZipInputStream zip(file, wxConvUTF8);
  bool all_handled = true;
  for (std::unique_ptr<wxZipEntry> e(zip.GetNextEntry()); e; e.reset(zip.GetNextEntry())) {
    std::string raw_name;
    const std::string name = Utf8(e->GetInternalName());
    // Refused names, links and folders are handled by not writing them.
    if (!RawLocalName(raw.get(), e->GetOffset(), &raw_name) || !IsSafeEntryName(raw_name) ||
        !IsSafeEntryName(name) || IsLinkOrSpecial(*e) || e->IsDir())
      continue;
    const std::string path = dir + "/" + NormaliseMemberName(name);
    if (!EnsureDirectory(DirName(path)) || !InsideRoot(root, path)) {
      all_handled = false;
      continue;
    }
    if (CopyEntryTo(zip, path) == Write::kDone) {
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
  EnsureDirectory(extract_dir);
  const std::string marker = extract_dir + "/" + kMarkerName;
  if (Exists(marker)) return {true, "corpus.zip already extracted (" + check.status + ")"};

  const ExtractResult r = ExtractCorpusEntries(zip_path, extract_dir);
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
