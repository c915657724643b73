// The corpus archive check and extraction on arbitrary bytes as the archive,
// with and without a manifest: every outcome is a status line, nothing is
// ever written outside the extraction folder, no link is ever made, and the
// marker exists exactly when the extraction reports success.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <wx/init.h>

#include "fetch/corpus_archive.h"
#include "fetch/sha256.h"
#include "fuzz_check.h"
#include "fuzz_files.h"

using namespace orvane;
namespace fs = std::filesystem;

namespace {

// Everything under root is the input, the manifest, or inside the
// extraction folder, and nothing is a link.
void CheckTree(const std::string& root, const std::string& extract) {
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    FUZZ_CHECK(!fs::is_symlink(e.symlink_status()));
    const std::string p = e.path().string();
    const bool ours = p == root + "/in.zip" || p == root + "/MANIFEST.json" || p == root + "/local" ||
                      p.rfind(root + "/local/", 0) == 0 || p == extract || p.rfind(extract + "/", 0) == 0;
    FUZZ_CHECK(ours);
  }
}

void Run(const std::string& root, const std::string& zip, const std::string& extract) {
  const CorpusStatus checked = VerifyCorpusArchiveAt(zip);
  FUZZ_CHECK(!checked.status.empty());
  const CorpusStatus prepared = PrepareCorpusArchiveAt(zip, extract);
  FUZZ_CHECK(!prepared.status.empty());
  CheckTree(root, extract);
  const bool marker = fs::exists(extract + "/corpus_zip.extracted");
  const bool extracted = prepared.ok && prepared.status.rfind("corpus.zip extracted members=", 0) == 0;
  if (checked.ok) FUZZ_CHECK(marker == extracted);
  std::error_code ec;
  fs::remove_all(extract, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static wxInitializer wx;  // the zip streams belong to the toolkit's base library
  const std::string& root = fuzz::ScratchDir();
  const std::string zip = root + "/in.zip", manifest = root + "/MANIFEST.json", extract = root + "/extract";
  fuzz::WriteInput(zip, data, size);

  std::error_code ec;
  fs::remove(manifest, ec);
  Run(root, zip, extract);

  // A manifest naming a member whose digest is known, so the walk hashes.
  std::string hello;
  FUZZ_CHECK(Sha256Hex("hello\n", &hello));
  std::ofstream(manifest, std::ios::binary)
      << "{\"zip_members\": [{\"path\": \"a.txt\", \"sha256\": \"" + hello + "\"}]}";
  Run(root, zip, extract);

  // The manifest reader on the same bytes.
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const auto& [name, digest] : ParseCorpusManifest(text)) {
    FUZZ_CHECK(name.find('"') == std::string::npos && digest.find('"') == std::string::npos);
  }
  return 0;
}
