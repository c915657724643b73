// Checks the splitter against real published warnings in ../shared/corpus:
// each entry there is one warning as broadcast, so it must come out as one
// message with the serial or frame code its header gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "common/text.h"
#include "test_support.h"
#include "parse/bulletin.h"
#include "parse/classify.h"
#include "parse/lexicon.h"
#include "parse/positions.h"

namespace orvane {
namespace {

struct CorpusEntry {
  std::string file;
  std::string text;
  std::string frame;     // "#@ frame:" note, for NAVTEX entries
  std::string category;  // the publisher's "#@ category:" note
};

std::vector<CorpusEntry> ReadCorpus() {
  std::vector<CorpusEntry> out;
  const std::filesystem::path dir(ORVANE_CORPUS_DIR);
  if (!std::filesystem::is_directory(dir)) return out;
  for (const auto& f : std::filesystem::directory_iterator(dir)) {
    if (f.path().extension() != ".txt") continue;
    std::ifstream in(f.path(), std::ios::binary);
    std::string line;
    CorpusEntry cur{f.path().filename().string(), "", "", ""};
    auto flush = [&] {
      if (!TrimView(cur.text).empty()) out.push_back(cur);
      cur.text.clear();
      cur.frame.clear();
      cur.category.clear();
    };
    while (std::getline(in, line)) {
      if (line == "====" || line == "====\r") {
        flush();
      } else if (line.rfind("#@", 0) == 0) {
        if (line.rfind("#@ frame: ", 0) == 0) cur.frame = Trim(line.substr(10));
        if (line.rfind("#@ category: ", 0) == 0) cur.category = Trim(line.substr(13, line.find('|') - 13));
      } else {
        cur.text += line + "\n";
      }
    }
    flush();
  }
  return out;
}

const std::vector<CorpusEntry>& Corpus() {
  static const std::vector<CorpusEntry> corpus = ReadCorpus();
  return corpus;
}

TEST(Corpus, EveryWarningIsOneMessageWithItsSerialOrFrameCode) {
  if (Corpus().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  EXPECT_EQ(Corpus().size(), 284u);
  const std::regex serial_re(R"(^\s*(NAVAREA [IVX]+|HYDROLANT|HYDROPAC|HYDROARC) (\d+)/\d+)");
  int checked_serials = 0, checked_frames = 0;
  for (const CorpusEntry& e : Corpus()) {
    SCOPED_TRACE(e.file + ":\n" + e.text);
    const auto msgs = ParseBulletin(e.text);
    ASSERT_EQ(msgs.size(), 1u);
    const MsiMessage& m = msgs[0];
    EXPECT_TRUE(IsValidUtf8(m.title));
    EXPECT_LE(m.title.size(), kTitleMaxBytes);
    if (!e.frame.empty()) {
      EXPECT_EQ(m.station_id, UpperAscii(e.frame.substr(0, 4)));
      ++checked_frames;
      continue;
    }
    std::smatch sm;
    std::istringstream lines(e.text);
    std::string line;
    while (std::getline(lines, line)) {
      if (std::regex_search(line, sm, serial_re)) {
        EXPECT_EQ(m.number, std::stoi(sm[2].str()));
        EXPECT_EQ(m.title.rfind(Trim(line).substr(0, 10), 0), 0u) << "title: " << m.title;
        ++checked_serials;
        break;
      }
    }
  }
  EXPECT_GT(checked_serials, 190);
  EXPECT_GT(checked_frames, 70);
}

TEST(Corpus, WholeFilesSplitIntoTheirWarnings) {
  if (Corpus().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  // The NGA files joined back into one page each, as a fetch would see them.
  std::map<std::string, std::string> joined;
  std::map<std::string, size_t> count;
  for (const CorpusEntry& e : Corpus()) {
    joined[e.file] += e.text;
    ++count[e.file];
  }
  for (const auto& [file, text] : joined) {
    SCOPED_TRACE(file);
    EXPECT_EQ(ParseBulletin(text).size(), count[file]);
  }
}

// Positions written as degrees, a dash or blank, minutes and a hemisphere
// letter, found by a pattern of their own, and kept where the globe has them.
std::vector<LatLon> WrittenPositions(const std::string& text) {
  static const std::regex pos_re(
      R"((^|[^0-9.])(\d{1,3})[- ] *(\d+(?:\.\d+)?) *([NS])[ \t\r\n-]*(\d{1,3})[- ] *(\d+(?:\.\d+)?) *([EW]))",
      std::regex::icase);
  std::vector<LatLon> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pos_re); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    const double lat_min = std::stod(m[3].str()), lon_min = std::stod(m[6].str());
    const double lat = std::stoi(m[2].str()) + lat_min / 60, lon = std::stoi(m[5].str()) + lon_min / 60;
    if (lat_min >= 60 || lon_min >= 60 || lat > 90 || lon > 180) continue;
    const bool s = m[4].str() == "S" || m[4].str() == "s", w = m[7].str() == "W" || m[7].str() == "w";
    out.push_back({s ? -lat : lat, w ? -lon : lon});
  }
  return out;
}

TEST(Corpus, EveryWrittenPositionIsOnTheChart) {
  if (Corpus().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  size_t positions = 0;
  for (const CorpusEntry& e : Corpus()) {
    SCOPED_TRACE(e.file + ":\n" + e.text);
    const auto msgs = ParseBulletin(e.text);
    ASSERT_EQ(msgs.size(), 1u);
    // A garbled frame's positions may be reception errors, dropped on
    // purpose; the geometry truth says which.
    if (e.frame.find("garbled") != std::string::npos) continue;
    for (const LatLon& p : WrittenPositions(e.text)) {
      bool drawn = false;
      for (const MsiGeom& g : msgs[0].geoms)
        for (const LatLon& q : g.points)
          drawn = drawn || (std::abs(q.first - p.first) < 1e-5 && std::abs(q.second - p.second) < 1e-5);
      EXPECT_TRUE(drawn) << p.first << " " << p.second;
      ++positions;
    }
  }
  EXPECT_GT(positions, 1000u);
}

// The built-in rules hold every keyword the corpus needs: the shipped
// keywords.json holds no rule, so it loads as no lexicon and changes no
// category; the sample bulletin keeps its categories.
TEST(Corpus, ShippedLexiconChangesNoCategory) {
  if (Corpus().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  setenv("ORVANE_LEXICON_PATH", ORVANE_LEXICON_FILE, 1);
  ResetLexicon();
  EXPECT_FALSE(LoadLexiconFile(ORVANE_LEXICON_FILE).ok);
  for (const CorpusEntry& e : Corpus()) {
    SCOPED_TRACE(e.file + ":\n" + e.text);
    const std::string u = UpperAscii(CleanText(e.text));
    EXPECT_EQ(Classify(u), ClassifyBuiltIn(u));
  }
  const auto sample = ParseBulletin(test::ReadFile(ORVANE_FIXTURES_DIR "/sample_bulletin.txt"));
  ASSERT_EQ(sample.size(), 4u);
  EXPECT_EQ(sample[0].type, DRIFT);
  EXPECT_EQ(sample[1].type, DRILLING);
  EXPECT_EQ(sample[2].type, OTHER);
  EXPECT_EQ(sample[3].type, MILITARY);
  unsetenv("ORVANE_LEXICON_PATH");
  ResetLexicon();
}

}  // namespace
}  // namespace orvane
