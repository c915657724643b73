// Packs the loose corpus folder into corpus.corpus.zip and writes the
// MANIFEST.json that lists each member's SHA-256, so the plug-in can check
// the archive at start. Members are sorted and stamped with one fixed time,
// so the same folder always gives the same archive.
//   orvane_corpus_pack CORPUS_DIR OUT_ZIP OUT_MANIFEST
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/init.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include "common/paths.h"
#include "fetch/sha256.h"

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "orvane_corpus_pack: %s\n", why.c_str());
  return 1;
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Fail("usage: orvane_corpus_pack CORPUS_DIR OUT_ZIP OUT_MANIFEST");
  wxInitializer wx;  // the zip writer belongs to the toolkit's base library
  const fs::path root = argv[1];
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(root, ec))
    if (e.is_regular_file()) names.push_back(fs::relative(e.path(), root).generic_string());
  if (ec) return Fail("cannot list " + root.string());
  std::sort(names.begin(), names.end());

  const std::string zip_path = argv[2];
  const std::string tmp = zip_path + ".tmp";
  std::string members;
  {
    wxFFileOutputStream out(wxString::FromUTF8(tmp));
    if (!out.IsOk()) return Fail("cannot write " + tmp);
    wxZipOutputStream zip(out, 9, wxConvUTF8);
    const wxDateTime stamp(1, wxDateTime::Jan, 2026, 0, 0, 0);
    for (const std::string& name : names) {
      std::string bytes, digest;
      if (!orvane::ReadWholeFile((root / name).string(), &bytes)) return Fail("cannot read " + name);
      if (!orvane::Sha256Hex(bytes, &digest)) return Fail("sha256 unavailable");
      if (!zip.PutNextEntry(wxString::FromUTF8(name), stamp)) return Fail("cannot add " + name);
      zip.Write(bytes.data(), bytes.size());
      if (!members.empty()) members += ",\n";
      members += "    {\"path\": " + JsonString(name) + ", \"sha256\": " + JsonString(digest) +
                 ", \"bytes\": " + std::to_string(bytes.size()) + "}";
    }
    if (!zip.Close() || !out.Close()) return Fail("cannot finish " + tmp);
  }
  fs::rename(tmp, zip_path, ec);
  if (ec) return Fail("cannot move " + tmp);

  const std::string manifest = "{\n  \"format\": \"orvane_corpus_manifest_v1\",\n  \"archive\": \"" +
                               fs::path(zip_path).filename().string() + "\",\n  \"zip_members\": [\n" + members +
                               "\n  ]\n}\n";
  if (orvane::AtomicWriteFile(argv[3], manifest) != orvane::AtomicWrite::kOk)
    return Fail(std::string("cannot write ") + argv[3]);
  std::printf("packed %zu corpus file(s) into %s\n", names.size(), zip_path.c_str());
  return 0;
}
