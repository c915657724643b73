// The corpus archive: a zip of reference data with a manifest of SHA-256
// digests beside it. At start the archive is checked against the manifest
// and, when the check passes, unpacked once into the plug-in's cache; a
// marker file makes later starts skip the work. Nothing here stops the
// plug-in: every outcome is one line of status text.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace orvane {

struct CorpusStatus {
  bool ok = false;
  std::string status;
};

// An entry is hashed or unpacked only up to this size.
constexpr int64_t kCorpusMaxEntryBytes = 64 * 1024 * 1024;
// All entries of one extraction together.
constexpr int64_t kCorpusMaxTotalBytes = 64 * 1024 * 1024;

// $ORVANE_CORPUS_ZIP when it names an existing file, else
// <data>/opencpn/plugins/orvane_pi/data/corpus.corpus.zip when it exists; else empty.
std::string FindCorpusArchive();

// The archive's members checked against MANIFEST.json beside it.
CorpusStatus VerifyCorpusArchive();

// The check, then the one-time extraction into CorpusExtractDir().
CorpusStatus PrepareCorpusArchive();

// The same two operations on a given archive and extraction folder.
CorpusStatus VerifyCorpusArchiveAt(const std::string& zip_path);
CorpusStatus PrepareCorpusArchiveAt(const std::string& zip_path, const std::string& extract_dir);

// The member list of a manifest: name -> expected digest (later entries win).
std::map<std::string, std::string> ParseCorpusManifest(std::string_view manifest);

// A member name in archive form: '\' as '/', no leading '/', no empty or
// "." components ("sub/./b.txt" and "sub//b.txt" are "sub/b.txt").
std::string NormaliseMemberName(std::string_view name);

// False for names that could write outside the extraction folder: empty,
// absolute ('/' or '\' first), with a drive or device prefix (any ':'), with a
// ".." component under either separator, or holding a NUL.
bool IsSafeEntryName(std::string_view name);

struct ExtractResult {
  bool opened = false;    // the archive file could be opened
  bool readable = false;  // and read as a zip to its end
  bool complete = false;  // every entry was written or deliberately skipped
  int written = 0;
};

// Unpacks every safe regular entry of the archive under dir (which must
// exist), by its normalised name; with members given, only the entries they
// list. Links, directories, unsafe and unlisted names are skipped; an entry
// larger than kCorpusMaxEntryBytes, one past kCorpusMaxTotalBytes in all, a
// second entry of the same name, or one that cannot be written whole, leaves
// no file and makes the result incomplete.
ExtractResult ExtractCorpusEntries(const std::string& zip_path, const std::string& dir,
                                   const std::map<std::string, std::string>* members = nullptr);

}  // namespace orvane
