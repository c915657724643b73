// Categories by evidence: whole-word keywords, the words real warnings use,
// the publisher's own categories of the corpus, and the lexicon's bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "common/text.h"
#include "corpus_chunks.h"
#include "parse/bulletin.h"
#include "parse/classify.h"
#include "parse/keyword_matcher.h"
#include "parse/lexicon.h"
#include "test_support.h"

namespace orvane {
namespace {

TEST(KeywordMatcher, WholeWordsAndBlanksThatMatchLineBreaks) {
  const KeywordMatcher m({"GALE", "SAR ", "LIGHT 0", "FIRING", "\xD0\x90\xD0\x99\xD0\xA1\xD0\x91\xD0\x95\xD0\xA0\xD0\x93"},
                         {true, true, true, false, true});
  struct Case {
    const char* text;
    std::vector<bool> found;
  };
  const Case cases[] = {
      {"GALE WARNING", {true, false, false, false, false}},
      {"GALEOTA POINT LIGHT", {false, false, false, false, false}},     // a word that starts with GALE
      {"NIGHTINGALE", {false, false, false, false, false}},              // one that ends with it
      {"MAKASSAR STRAIT", {false, false, false, false, false}},          // SAR inside a word
      {"SAR OPERATION", {false, true, false, false, false}},
      {"HEAD LIGHT\n09-22.90N", {false, false, true, false, false}},     // blank matches a line break
      {"LIVE GUNNERY FIRINGS", {false, false, false, true, false}},      // not a whole-word keyword
      {"\xD0\x90\xD0\x99\xD0\xA1\xD0\x91\xD0\x95\xD0\xA0\xD0\x93\xD0\x98", {false, false, false, false, false}},
      {"\xD0\x90\xD0\x99\xD0\xA1\xD0\x91\xD0\x95\xD0\xA0\xD0\x93.", {false, false, false, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(m.Scan(c.text), c.found);
  }
}

// Each row quotes the real warning (or its decisive line) it comes from.
TEST(Classify, WordsRealWarningsUse) {
  struct Case {
    const char* upper;
    MsgType want;
  };
  const Case cases[] = {
      // Lights: a light with its position or characteristic, unlit, a lighthouse, a light vessel.
      {"GALEOTA POINT LIGHT 10-08.30N 060-59.50W UNLIT.", AIDS},  // NAVAREA IV 670/26, not weather
      {"ROKER PIER LIGHT 54-55.30N 001-21.20W UNRELIABLE.", AIDS},  // HYDROLANT 1761/26
      {"MANZANILLO ENTRANCE WEST HEAD LIGHT\n09-22.90N 079-53.90W DAMAGED.", AIDS},  // NAVAREA IV 113/26
      {"HOYO SOPLADOR LIGHT, FL W 15 SEC 20 METERS", AIDS},                           // NAVAREA IV 466/25
      {"CARENAGE RANGE REAR LIGHT 14-36.32N 061-03.74W\nCHANGED TO OC (2) G", AIDS},  // NAVAREA IV 667/25
      {"EAST GOODWIN LIGHT VESSEL 51-13.30N 001-36.40E.\nPERMANENTLY DISCONTINUED.", AIDS},  // HYDROLANT 1589/26
      {"ILET GOSIER LIGHTHOUSE 16-11.91N 061-29.45W AT\nREDUCED INTENSITY.", AIDS},          // NAVAREA IV 852/26
      {"LIGHTS UNLIT:\nA. PUNTA IZOPO 15-50.90N 087-22.50W.", AIDS},                         // NAVAREA IV 693/25
      {"'BORKUMRIFF' LIGHTBUOY 53-47N 006-22E OFF STATION.", AIDS},                           // NAVTEX SA29
      {"PLATFORM A 48/11-B 53-33.0N 001-04.6E ALL NAVAIDS INOPERATIVE.", AIDS},              // NAVTEX GA28
      {"SCIENTIFIC MOORINGS ESTABLISHED:", AIDS},                                             // HYDROARC 283/24
      // Weather wording that says LIGHT is not an aid.
      {"NORTHWEST 3 TO 4 FOR A TIME LIGHT AND VARIABLE WINDS", OTHER},  // NAVTEX SE62
      {"SLIGHT RAIN", OTHER},
      // Wrecks, cables, missiles, exercises.
      {"M/V BARIMA SANK IN 07-28.23N 058-23.40W.", WRECK},                      // NAVAREA IV 709/26
      {"CABLE OPERATIONS IN PROGRESS UNTIL\nFURTHER NOTICE BY CABLESHIP", CABLE},  // NAVAREA XII 580/26
      {"22 OCEAN BOTTOM MOORINGS DEPLOYED", CABLE},                             // NAVAREA IV 1292/25
      {"1. MISSILE OPERATIONS 0100Z TO 1400Z DAILY", SPACE},                    // HYDROARC 89/26
      {"SHIPS EXERCISES 242100 UTC FEB THRU 012100 UTC MAR", MILITARY},         // NAVTEX JA06 (Kaliningrad)
      {"MILITARY EXERCISES.TEMPORARILY DANGEROUS TO NAVIGATION", MILITARY},     // NAVTEX JA24
      {"WELLHEAD 28-10.00N 090-00.00W", DRILLING},
      // Keywords no longer match inside words.
      {"MAKASSAR STRAIT. BUOY 01-00S 117-00E MISSING.", AIDS},  // not search and rescue
      {"NIGHTINGALES", OTHER},
      {"ICEBERGS REPORTED", WEATHER},
      {"GALES WEST 8 BFT.", WEATHER},  // NAVTEX SB48
      // Mines adrift stay drifting hazards.
      {"POSSIBLE DRIFTING MINES. CAUTION.", DRIFT},
      {"SOUTH CARDINAL SPARBUOY ADRIFT", DRIFT},  // NAVTEX IA98: adrift before aids
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    EXPECT_EQ(ClassifyBuiltIn(c.upper), c.want);
  }
}

// The chart category of each publisher category the corpus notes.
const std::map<std::string, MsgType>& PublisherToChart() {
  static const std::map<std::string, MsgType> m = {
      {"LIGHT", AIDS},          {"BUOY", AIDS},           {"AIDS TO NAVIGATION", AIDS},  {"RACON", AIDS},
      {"CABLE OPERATIONS", CABLE}, {"PIPELINE OPERATIONS", CABLE}, {"UNDERWATER OPERATIONS", CABLE},
      {"DANGEROUS WRECK", WRECK}, {"WRECK", WRECK},       {"SPACE DEBRIS", SPACE},       {"ROCKET LAUNCHING", SPACE},
      {"MISSILE OPERATIONS", SPACE}, {"ICEBERG", WEATHER}, {"NAIS ICE LIMIT", WEATHER},  {"DERELICT VESSEL", DRIFT},
      {"VESSEL ABANDONED", DRIFT}, {"DEBRIS", DRIFT},     {"MINE", MINE},                {"GUNNERY", MILITARY},
      {"MILITARY EXERCISES", MILITARY}, {"SAR", SAR_OPS}, {"DISTRESS", SAR_OPS},         {"SEARCH AND RESCUE", SAR_OPS},
      {"MODU", DRILLING},       {"DRILLING", DRILLING},   {"RESTRICTED AREA", RESTRICT}, {"PIRACY", PIRACY}};
  return m;
}

// The first message of each chunk, parsed alone without a lexicon, has the
// publisher's category. Two still disagree, each for want of evidence:
// HYDROLANT 1541/26 ("SURVEY OPERATIONS ... BY TUG", filed as cable
// operations) names no cable, and NAVAREA XII 392/25 ("M/V MORNING MIDAS
// SANK IN ...", filed as debris) is a sunk vessel first.
TEST(CategoryCorpus, AgreesWithThePublisherWithoutALexicon) {
  if (test::CorpusChunks().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  test::TempDataRoot root;  // no keywords.json
  unsetenv("ORVANE_LEXICON_PATH");
  ResetLexicon();
  ASSERT_FALSE(LexiconLoaded());
  int scored = 0, agree = 0;
  for (const test::CorpusChunk& c : test::CorpusChunks()) {
    auto it = PublisherToChart().find(c.category);
    if (it == PublisherToChart().end()) continue;
    const auto msgs = ParseBulletin(c.text);
    ++scored;
    if (!msgs.empty() && msgs[0].type == it->second) {
      ++agree;
    } else {
      std::printf("disagrees: %s #%d %s: %s\n", c.file.c_str(), c.index, c.category.c_str(),
                  msgs.empty() ? "(none)" : TypeName(msgs[0].type));
    }
  }
  EXPECT_EQ(scored, 114);
  EXPECT_GE(agree, 112);
  ResetLexicon();
}

// NAVTEX weather frames (B2 B and E) stay weather, whatever words they use
// ("LIGHT AND VARIABLE", "GALES").
TEST(CategoryCorpus, NavtexWeatherStaysWeather) {
  if (test::CorpusChunks().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  test::TempDataRoot root;
  unsetenv("ORVANE_LEXICON_PATH");
  ResetLexicon();
  int weather = 0;
  for (const test::CorpusChunk& c : test::CorpusChunks()) {
    if (c.frame.size() != 4 || (c.frame[1] != 'B' && c.frame[1] != 'E')) continue;
    SCOPED_TRACE(c.text);
    const auto msgs = ParseBulletin(c.text);
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].type, WEATHER);
    ++weather;
  }
  EXPECT_GE(weather, 10);
  ResetLexicon();
}

class LexiconBounds : public ::testing::Test {
 protected:
  void SetUp() override { ResetLexicon(); }
  void TearDown() override {
    unsetenv("ORVANE_LEXICON_PATH");
    ResetLexicon();
  }
  std::string Write(const std::string& json) {
    const std::string path = root_.dir() + "/keywords.json";
    std::ofstream(path, std::ios::binary) << json;
    return path;
  }
  test::TempDataRoot root_;
};

std::string KeywordsJson(size_t count, size_t pad = 0) {
  std::string json = R"({"rules":{"WRECK":[)";
  for (size_t i = 0; i < count; ++i) {
    if (i) json += ',';
    json += "\"HULK" + std::to_string(i) + std::string(pad, 'X') + "\"";
  }
  return json + "]}}";
}

// At most 10,000 keywords and 1 MiB: beyond, the file is refused and the
// built-in rules classify.
TEST_F(LexiconBounds, LargeFilesAreRefusedAndTheBuiltInRulesStandIn) {
  struct Case {
    const char* name;
    std::string json;
    bool ok;
  };
  std::string listed_twice = R"({"priority":[)";
  for (int i = 0; i < 3; ++i) listed_twice += std::string(i ? "," : "") + "\"WRECK\"";
  listed_twice += R"(],"rules":{"WRECK":[)";
  for (int i = 0; i < 4000; ++i) listed_twice += std::string(i ? "," : "") + "\"H" + std::to_string(i) + "\"";
  listed_twice += "]}}";
  const Case cases[] = {
      {"10,000 keywords", KeywordsJson(kLexiconMaxKeywords), true},
      {"10,001 keywords", KeywordsJson(kLexiconMaxKeywords + 1), false},
      {"one rule listed three times, 12,000 keywords", listed_twice, false},
      {"over 1 MiB", KeywordsJson(10, (1 << 20) / 10), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.json);
    const LexiconFile f = LoadLexiconFile(path);
    EXPECT_EQ(f.ok, c.ok) << f.reason;
    if (!c.ok) {
      EXPECT_TRUE(f.rules.empty());
    }
    setenv("ORVANE_LEXICON_PATH", path.c_str(), 1);
    ResetLexicon();
    EXPECT_EQ(LexiconLoaded(), c.ok);
    EXPECT_EQ(Classify("HULK1 NEAR THE BUOY"), c.ok ? WRECK : AIDS);
  }
}

}  // namespace
}  // namespace orvane
