// The corpus archive with real zip files in a temporary data root: where it
// is looked for, the manifest check, the one-time extraction and its marker,
// and hostile entry names that must never land outside the extraction folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include <wx/init.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include "common/paths.h"
#include "fetch/corpus_archive.h"
#include "fetch/sha256.h"
#include "test_support.h"
#include "zip_writer.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using test::RawZipEntry;

const std::string kA = "NAVAREA III - 0001/26 SAMPLE A\n";
const std::string kB = "ZCZC TA01\nSAMPLE B\nNNNN\n";

std::string Digest(const std::string& bytes) {
  std::string hex;
  EXPECT_TRUE(Sha256Hex(bytes, &hex));
  return hex;
}

std::string Manifest(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string list;
  for (const auto& [path, sha] : members) {
    if (!list.empty()) list += ",\n";
    list += "    {\"path\": \"" + path + "\", \"sha256\": \"" + sha + "\"}";
  }
  return "{\n  \"zip_members\": [\n" + list + "\n  ]\n}\n";
}

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class CorpusArchiveTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("ORVANE_CORPUS_ZIP");
    fs::create_directories(PluginDataDir());
  }
  void TearDown() override { unsetenv("ORVANE_CORPUS_ZIP"); }
  std::string DataZip() const { return PluginDataDir() + "/corpus.corpus.zip"; }
  // The archive in the data folder with members a.txt and sub/b.txt.
  void ShipArchive(const std::string& a = kA, const std::string& b = kB) {
    test::WriteZip(DataZip(), {{"a.txt", a}, {"sub/b.txt", b}});
  }
  void ShipManifest(const std::string& text) { WriteText(PluginDataDir() + "/MANIFEST.json", text); }

  wxInitializer wx_;
  test::TempDataRoot root_;
};

TEST_F(CorpusArchiveTest, NoArchiveAnywhere) {
  EXPECT_EQ(FindCorpusArchive(), "");
  const CorpusStatus prepared = PrepareCorpusArchive();
  const CorpusStatus checked = VerifyCorpusArchive();
  EXPECT_TRUE(prepared.ok && checked.ok);
  EXPECT_EQ(prepared.status, "corpus.zip absent \xE2\x80\x94 using loose data/corpus");
  EXPECT_EQ(checked.status, "no zip (optional OK)");
  EXPECT_FALSE(fs::exists(CorpusExtractDir()));
}

TEST_F(CorpusArchiveTest, EnvironmentArchiveComesFirst) {
  ShipArchive();
  const std::string other = root_.dir() + "/elsewhere/mine.zip";
  fs::create_directories(fs::path(other).parent_path());
  test::WriteZip(other, {{"only.txt", kA}});
  setenv("ORVANE_CORPUS_ZIP", other.c_str(), 1);
  EXPECT_EQ(FindCorpusArchive(), other);
  EXPECT_EQ(PrepareCorpusArchive().status, "corpus.zip extracted members=1");
  EXPECT_TRUE(fs::exists(CorpusExtractDir() + "/only.txt"));
  EXPECT_FALSE(fs::exists(CorpusExtractDir() + "/a.txt"));
  // A name that is not a file falls back to the data folder.
  setenv("ORVANE_CORPUS_ZIP", (root_.dir() + "/nothing.zip").c_str(), 1);
  EXPECT_EQ(FindCorpusArchive(), DataZip());
}

TEST_F(CorpusArchiveTest, WithoutManifestTheArchiveIsUnpackedWithItsMarker) {
  ShipArchive();
  const CorpusStatus checked = VerifyCorpusArchive();
  EXPECT_TRUE(checked.ok);
  EXPECT_EQ(checked.status, "MANIFEST missing \xE2\x80\x94 skip zip member check");
  const CorpusStatus prepared = PrepareCorpusArchive();
  EXPECT_TRUE(prepared.ok);
  EXPECT_EQ(prepared.status, "corpus.zip extracted members=2");
  EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/a.txt"), kA);
  EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/sub/b.txt"), kB);
  EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/corpus_zip.extracted"), "extracted=2 from " + DataZip());
}

TEST_F(CorpusArchiveTest, ManifestCheckTable) {
  struct Case {
    const char* what;
    std::string manifest;
    bool ok;
    std::string status;
  };
  const std::string a = Digest(kA), b = Digest(kB);
  std::string upper = a;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const Case cases[] = {
      {"both match", Manifest({{"a.txt", a}, {"sub/b.txt", b}}), true, "zip_members sha OK count=2"},
      {"changed member", Manifest({{"a.txt", Digest(kA + "changed")}, {"sub/b.txt", b}}), false, "sha mismatch a.txt"},
      {"upper-case digest", Manifest({{"a.txt", upper}}), false, "sha mismatch a.txt"},
      {"missing member", Manifest({{"a.txt", a}, {"c.txt", a}}), false, "missing zip member c.txt"},
      {"no member list", "{\"files\": []}", true, "no zip_members in MANIFEST (optional)"},
      {"digest too far from its path",
       "{\"zip_members\": [{\"path\": \"a.txt\", \"note\": \"" + std::string(130, 'n') + "\", \"sha256\": \"" + a +
           "\"}]}",
       true, "no zip_members in MANIFEST (optional)"},
  };
  ShipArchive();
  for (const Case& c : cases) {
    ShipManifest(c.manifest);
    const CorpusStatus r = VerifyCorpusArchive();
    EXPECT_EQ(r.ok, c.ok) << c.what;
    EXPECT_EQ(r.status, c.status) << c.what;
  }
}

TEST_F(CorpusArchiveTest, ChangedMemberIsNotUnpacked) {
  ShipArchive(kA + "tampered");
  ShipManifest(Manifest({{"a.txt", Digest(kA)}, {"sub/b.txt", Digest(kB)}}));
  const CorpusStatus r = PrepareCorpusArchive();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.status, "corpus.zip integrity fail \xE2\x80\x94 fallback loose (sha mismatch a.txt)");
  EXPECT_FALSE(fs::exists(CorpusExtractDir()));
}

TEST_F(CorpusArchiveTest, BrokenArchivesReportNotOk) {
  ShipManifest(Manifest({{"a.txt", Digest(kA)}}));
  WriteText(DataZip(), "this is not a zip file at all");
  EXPECT_EQ(VerifyCorpusArchive().status, "zip corrupt");
  EXPECT_FALSE(VerifyCorpusArchive().ok);
  EXPECT_EQ(PrepareCorpusArchive().status, "corpus.zip integrity fail \xE2\x80\x94 fallback loose (zip corrupt)");
  // Without a manifest nothing is checked, and the extraction finds it corrupt.
  fs::remove(PluginDataDir() + "/MANIFEST.json");
  const CorpusStatus r = PrepareCorpusArchive();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, "corrupt corpus.zip \xE2\x80\x94 fallback loose");
}

TEST_F(CorpusArchiveTest, AFileWhereTheFolderShouldBeKeepsTheLooseData) {
  ShipArchive();
  WriteText(CorpusExtractDir(), "in the way");
  const CorpusStatus r = PrepareCorpusArchive();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.status, "cannot create " + CorpusExtractDir() + " \xE2\x80\x94 fallback loose");
  EXPECT_EQ(test::ReadFile(CorpusExtractDir()), "in the way");
}

TEST_F(CorpusArchiveTest, SecondStartSkipsTheExtraction) {
  ShipArchive();
  ShipManifest(Manifest({{"a.txt", Digest(kA)}, {"sub/b.txt", Digest(kB)}}));
  EXPECT_EQ(PrepareCorpusArchive().status, "corpus.zip extracted members=2");
  WriteText(CorpusExtractDir() + "/a.txt", "edited since");
  const CorpusStatus again = PrepareCorpusArchive();
  EXPECT_TRUE(again.ok);
  EXPECT_EQ(again.status, "corpus.zip already extracted (zip_members sha OK count=2)");
  EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/a.txt"), "edited since");
  // Deleting the marker asks for the extraction again.
  fs::remove(CorpusExtractDir() + "/corpus_zip.extracted");
  EXPECT_EQ(PrepareCorpusArchive().status, "corpus.zip extracted members=2");
  EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/a.txt"), kA);
}

// Every path under dir, relative to it.
std::set<std::string> Tree(const std::string& dir) {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    out.insert(fs::relative(e.path(), dir).generic_string() + (fs::is_symlink(e.symlink_status()) ? "@" : ""));
  return out;
}

TEST_F(CorpusArchiveTest, HostileEntryNamesNeverLandOutsideTheFolder) {
  const std::string zip = root_.dir() + "/hostile.zip";
  const std::string extract = root_.dir() + "/deep/er/extract";
  std::vector<RawZipEntry> entries = {
      {"../x", "escape one"},
      {"a/../../x", "escape through a folder"},
      {"/x", "absolute"},
      {"\\x", "absolute with a backslash"},
      {"C:x", "drive prefix"},
      {"..\\x", "escape with a backslash"},
      {"a\\..\\..\\x", "escape through a folder with backslashes"},
      {std::string("n\0x", 3), "NUL in the name"},
      {"link", "../../../x", 0120777},
      {"kept.txt", "the one good entry"},
  };
  test::WriteZip(zip, entries);
  const CorpusStatus r = PrepareCorpusArchiveAt(zip, extract);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.status, "corpus.zip extracted members=1");
  EXPECT_EQ(Tree(root_.dir()), (std::set<std::string>{"deep", "deep/er", "deep/er/extract",
                                                       "deep/er/extract/kept.txt",
                                                       "deep/er/extract/corpus_zip.extracted", "hostile.zip",
                                                       // the fixture's empty data folder
                                                       "local", "local/opencpn", "local/opencpn/plugins",
                                                       "local/opencpn/plugins/orvane_pi",
                                                       "local/opencpn/plugins/orvane_pi/data"}));
}

TEST_F(CorpusArchiveTest, EntryNameRules) {
  for (const char* bad : {"", "../x", "a/../../x", "/x", "\\x", "C:x", "c:/x", "..\\x", "a\\..", ".."})
    EXPECT_FALSE(IsSafeEntryName(bad)) << bad;
  EXPECT_FALSE(IsSafeEntryName(std::string("a\0b", 3)));
  for (const char* good : {"a.txt", "sub/b.txt", "sub\\b.txt", "a..b", "..a/b", "./a"})
    EXPECT_TRUE(IsSafeEntryName(good)) << good;
  EXPECT_EQ(NormaliseMemberName("\\\\sub\\b.txt"), "sub/b.txt");
}

TEST_F(CorpusArchiveTest, OversizedEntryLeavesNoFileAndNoMarker) {
  // Written by the toolkit's deflating writer: 64 MiB and one byte of zeros.
  const std::string zip = root_.dir() + "/big.zip";
  {
    wxFFileOutputStream out(zip);
    wxZipOutputStream z(out);
    ASSERT_TRUE(z.PutNextEntry("small.txt"));
    z.Write(kA.data(), kA.size());
    ASSERT_TRUE(z.PutNextEntry("big.bin"));
    const std::string chunk(1 << 20, '\0');
    for (int i = 0; i < 64; ++i) z.Write(chunk.data(), chunk.size());
    z.Write("!", 1);
    ASSERT_TRUE(z.Close());
  }
  const std::string extract = root_.dir() + "/out";
  const CorpusStatus r = PrepareCorpusArchiveAt(zip, extract);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, "corpus.zip extracted members=1, incomplete \xE2\x80\x94 retried at next start");
  EXPECT_EQ(Tree(extract), (std::set<std::string>{"small.txt"}));
}

// The manifest vouches for members by their normalised names, each once:
// "sub/./b.txt" is sub/b.txt again and fails the check instead of
// overwriting the verified file; members the manifest does not list are
// never unpacked.
TEST_F(CorpusArchiveTest, OnlyListedMembersEachOnceByTheirNormalisedName) {
  const std::string manifest = Manifest({{"a.txt", Digest(kA)}, {"sub/b.txt", Digest(kB)}});
  const struct {
    const char* what;
    std::vector<RawZipEntry> entries;
    bool verified;
    std::string status;
    std::set<std::string> tree;
  } cases[] = {
      {"dot component", {{"a.txt", kA}, {"sub/b.txt", kB}, {"sub/./b.txt", "EVIL"}}, false,
       "duplicate zip member sub/b.txt", {}},
      {"doubled slash", {{"a.txt", kA}, {"sub/b.txt", kB}, {"sub//b.txt", "EVIL"}}, false,
       "duplicate zip member sub/b.txt", {}},
      {"unlisted member", {{"a.txt", kA}, {"run.sh", "EVIL"}, {"sub/b.txt", kB}}, true,
       "zip_members sha OK count=2", {"a.txt", "sub/b.txt", "corpus_zip.extracted"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(CorpusExtractDir());
    test::WriteZip(DataZip(), c.entries);
    ShipManifest(manifest);
    const CorpusStatus checked = VerifyCorpusArchive();
    EXPECT_EQ(checked.ok, c.verified);
    EXPECT_EQ(checked.status, c.status);
    PrepareCorpusArchive();
    std::set<std::string> tree;
    if (fs::exists(CorpusExtractDir()))
      for (const auto& e : fs::recursive_directory_iterator(CorpusExtractDir()))
        if (e.is_regular_file()) tree.insert(fs::relative(e.path(), CorpusExtractDir()).generic_string());
    EXPECT_EQ(tree, c.tree);
    if (fs::exists(CorpusExtractDir() + "/sub/b.txt")) EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/sub/b.txt"), kB);
  }
}

// Entries each below the entry cap but 90 MiB together: the extraction
// stops at 64 MiB in all, leaves no part file and no marker.
TEST_F(CorpusArchiveTest, AllEntriesTogetherStayWithinTheTotalCap) {
  const std::string zip = root_.dir() + "/many.zip";
  {
    wxFFileOutputStream out(zip);
    wxZipOutputStream z(out);
    const std::string chunk(1 << 20, '\0');
    for (const char* name : {"one.bin", "two.bin", "three.bin"}) {
      ASSERT_TRUE(z.PutNextEntry(name));
      for (int i = 0; i < 30; ++i) z.Write(chunk.data(), chunk.size());
    }
    ASSERT_TRUE(z.Close());
  }
  const std::string extract = root_.dir() + "/out";
  const CorpusStatus r = PrepareCorpusArchiveAt(zip, extract);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, "corpus.zip extracted members=2, incomplete \xE2\x80\x94 retried at next start");
  EXPECT_EQ(Tree(extract), (std::set<std::string>{"one.bin", "two.bin"}));
}

TEST_F(CorpusArchiveTest, ShippedArchiveMatchesItsManifestAndTheLooseCorpus) {
  setenv("ORVANE_CORPUS_ZIP", ORVANE_BUILT_DATA_DIR "/corpus.corpus.zip", 1);
  const CorpusStatus checked = VerifyCorpusArchive();
  EXPECT_TRUE(checked.ok);
  size_t loose = 0;
  for (const auto& e : fs::recursive_directory_iterator(ORVANE_DATA_DIR "/corpus")) loose += e.is_regular_file();
  EXPECT_EQ(checked.status, "zip_members sha OK count=" + std::to_string(loose));
  EXPECT_EQ(PrepareCorpusArchive().status, "corpus.zip extracted members=" + std::to_string(loose));
  for (const auto& e : fs::recursive_directory_iterator(ORVANE_DATA_DIR "/corpus")) {
    if (!e.is_regular_file()) continue;
    const std::string rel = fs::relative(e.path(), ORVANE_DATA_DIR "/corpus").generic_string();
    EXPECT_EQ(test::ReadFile(CorpusExtractDir() + "/" + rel), test::ReadFile(e.path().string())) << rel;
  }
}

TEST(Sha256, KnownDigests) {
  std::string hex;
  ASSERT_TRUE(Sha256Hex("", &hex));
  EXPECT_EQ(hex, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  ASSERT_TRUE(Sha256Hex("abc", &hex));
  EXPECT_EQ(hex, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace orvane
