// Positions, radius, categories, the keyword lexicon, fingerprints,
// cancellation and expiry, each as a table of small real-format cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/clock.h"
#include "common/sample_bulletin.h"
#include "common/text.h"
#include "parse/bulletin.h"
#include "parse/classify.h"
#include "parse/identity.h"
#include "parse/lexicon.h"
#include "parse/positions.h"
#include "test_support.h"

namespace orvane {
namespace {

// Int64 UTC ms of a date, for the manual clock.
int64_t Utc(int y, int mo, int d, int h = 0, int mi = 0) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  return static_cast<int64_t>(timegm(&tm)) * 1000;
}

TEST(ExtractPositions, AcceptedAndRejectedNotations) {
  struct Case {
    const char* text;
    std::vector<LatLon> want;
  };
  const Case cases[] = {
      {"42 50.93 N - 031 15.60 E", {{42.848833, 31.26}}},
      {"44-02.85N 030-35.25E", {{44.0475, 30.5875}}},
      {"36-55.25S 000-06.05W", {{-36.920833, -0.100833}}},
      {"41-00n 029-00e", {{41.0, 29.0}}},
      {"42 50.93N\n031 15.60E", {{42.848833, 31.26}}},
      {"44-02.85N 030-35.25E AND AGAIN 44-02.85N 030-35.25E", {{44.0475, 30.5875}}},
      {"45-59.99N 180-00E", {{45.999833, 180.0}}},
      {"91-00N 010-00E", {}},
      {"45-60.00N 010-00E", {}},
      {"90-30N 010-00E", {}},       // degrees and minutes beyond the pole
      {"45-00N 180-30E", {}},
      {"1042-30N 010-00E", {}},     // no candidate inside a digit run
      {"4250.93N 03115.60E", {}},
      {"42.5N 031.2E", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto got = ExtractPositions(c.text);
    ASSERT_EQ(got.size(), c.want.size());
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].first, c.want[i].first, 1e-5);
      EXPECT_NEAR(got[i].second, c.want[i].second, 1e-5);
    }
  }
}

TEST(ReadRadius, OnlyADistanceStatedAroundSomething) {
  struct Case {
    const char* upper;
    double nm;
  };
  const Case cases[] = {
      {"WITHIN 2 NM OF 41-00N 029-00E", 2},
      {"SAFE DISTANCE 500 METERS", 500 / 1852.0},
      {"WITHIN 0.5 NM OF 41-00N 029-00E", 0.5},  // a fraction belongs to its number
      {"030-35.25E, 2 NM", 0},                   // a bare distance surrounds nothing
      {"WITHIN 20 MILES OF 12-44.00N", 20},
      {"WITHIN 3 KM OF", 3000 / 1852.0},
      {"RADIUS 2 KILOMETRES", 2000 / 1852.0},
      {"WITHIN 600 NM OF", 0},
      {"WITHIN 2000000 METERS OF", 500},
      {"10 NM. WIDE BERTH, 1 NM", 0},
      {"NO DISTANCE 12", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    EXPECT_NEAR(ReadRadius(c.upper), c.nm, 1e-9);
  }
}

TEST(BuildGeometries, KindsFromPositionCountAndWording) {
  struct Case {
    const char* text;
    std::vector<GeomKind> kinds;
    double radius;  // of the last geometry
  };
  const Case cases[] = {
      {"WITHIN 2 NM OF 41-00N 029-00E", {GEOM_CIRCLE}, 2},
      {"RADIUS 41-00N 029-00E", {GEOM_POINT}, 0},  // the word without a distance
      {"BUOY 41-00N 029-00E", {GEOM_POINT}, 0},
      {"41-00N 029-00E 41-10N 029-10E 2 NM", {GEOM_POINT, GEOM_POINT}, 0},
      {"41-00N 029-00E 41-10N 029-10E", {GEOM_POINT, GEOM_POINT}, 0},
      {"CABLE BETWEEN 41-00N 029-00E AND 41-10N 029-10E", {GEOM_POLYLINE}, 0},
      {"41-00N 029-00E 41-10N 029-10E 41-10N 029-00E 5 NM", {GEOM_POLYGON}, 0},
      {"NOTHING HERE", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto g = BuildGeometries(c.text, UpperAscii(c.text));
    ASSERT_EQ(g.size(), c.kinds.size());
    for (size_t i = 0; i < g.size(); ++i) EXPECT_EQ(g[i].kind, c.kinds[i]);
    if (!g.empty()) {
      EXPECT_DOUBLE_EQ(g.back().radius_nm, c.radius);
    }
  }
}

TEST(OrderAroundCentre, AntimeridianAreasKeepTheirShape) {
  // An area from 178-45E to 178-32W, and the same area moved to 0 degrees.
  const std::vector<LatLon> across = {{10, 178.75}, {11, -178.5333}, {10, -178.5333}, {11, 178.75}};
  const std::vector<LatLon> shifted = {{10, -1.25}, {11, 1.4667}, {10, 1.4667}, {11, -1.25}};
  const auto a = OrderAroundCentre(across), b = OrderAroundCentre(shifted);
  ASSERT_EQ(a.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(a[i].first, b[i].first);
    EXPECT_EQ(a[i].second > 0, b[i].second < 0) << i;  // east of 180 is west of 0 here
    EXPECT_GE(a[i].second, -180.0);
    EXPECT_LE(a[i].second, 180.0);
  }
  // Both rings cross themselves as written, so both are put in order.
  EXPECT_TRUE(RingCrossesItself(across));
  EXPECT_TRUE(RingCrossesItself(shifted));
  EXPECT_FALSE(RingCrossesItself(a));
  // A corridor across 180 keeps its vertices where the text puts them.
  const std::string text = "WITHIN 1 NM OF TRACKLINE JOINING 10-00N 179-00E, 10-00N 179-00W";
  const auto g = BuildGeometries(text, text);
  ASSERT_EQ(g.size(), 1u);
  EXPECT_EQ(g[0].kind, GEOM_POLYLINE);
  EXPECT_EQ(g[0].radius_nm, 1.0);
  EXPECT_EQ(g[0].points, (std::vector<LatLon>{{10, 179}, {10, -179}}));
}

TEST(Classify, BuiltInRulesExceptionsAndFallbacks) {
  struct Case {
    const char* upper;
    MsgType want;
  };
  const Case cases[] = {
      {"DRILLING OPERATIONS BY YILDIRIM RIG", DRILLING},
      {"SHOOTING EXERCISE NAVIGATION EXCLUSION AREA", MILITARY},
      {"RESTRICTED AREA. WEAPONS", OTHER},
      {"RESTRICTED AREA", RESTRICT},
      {"MAN OVERBOARD IN GALE", SAR_OPS},
      {"RIG ALONGSIDE, WIDE BERTH", DRILLING},
      {"PLATFORM 44-02.85N", OTHER},
      {"NAVAL EXERCISE", MILITARY},
      {"EXERCISE WITH FIRE", MILITARY},
      {"MINE REPORTED, POSITION TO DETERMINE", OTHER},
      {"MINE REPORTED", MINE},
      {"POSSIBLE DRIFTING MINES", DRIFT},
      {"NIGHTINGALES", OTHER},  // keywords are whole words: GALE is not found inside a word
      {"SAR OPERATION", SAR_OPS},
      {"SARDINES", OTHER},
      {"PERFORACI\xC3\x93N", DRILLING},
      {"PERFORACI\xC3\xB3N", OTHER},  // lower-case accented letter stays lower case
      {"BOYA APAGADA", AIDS},
      {"DEN\xC4\xB0ZE D\xC3\x9C\xC5\x9ET\xC3\x9C", SAR_OPS},
      {"", OTHER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    EXPECT_EQ(ClassifyBuiltIn(c.upper), c.want);
  }
}

// A keywords.json in a temporary folder, installed as the lexicon.
class LexiconTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLexicon(); }
  void TearDown() override {
    unsetenv("ORVANE_LEXICON_PATH");
    ResetLexicon();
  }
  std::string Write(const std::string& name, const std::string& json) {
    const std::string path = root_.dir() + "/" + name;
    std::ofstream(path, std::ios::binary) << json;
    return path;
  }
  std::string DataFile(const std::string& json) {
    const std::string dir = root_.dir() + "/local/opencpn/plugins/orvane_pi/data/lexicon";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/keywords.json", std::ios::binary) << json;
    return dir + "/keywords.json";
  }
  test::TempDataRoot root_;
};

TEST_F(LexiconTest, FilesMakeRulesInPriorityOrKeyOrder) {
  struct Case {
    const char* json;
    bool ok;
    std::vector<std::pair<MsgType, std::vector<std::string>>> rules;
  };
  const Case cases[] = {
      {R"({"priority":["WRECK",7],"rules":{"WRECK":["DRILLING"],"MINE":["X"]}})", true, {{WRECK, {"DRILLING"}}}},
      {R"({"rules":{"WRECK":["HULK"],"AIDS":["LAMP"]}})", true, {{AIDS, {"LAMP"}}, {WRECK, {"HULK"}}}},
      {R"({"rules":{"cable_pipe":["a"],"CABLE_PIPE":["duct"],"OTHER":["x"]}})", true,
       {{CABLE, {"DUCT"}}, {OTHER, {"X"}}}},
      {R"({"rules":{"AIDS":["buoy","",3]}})", true, {{AIDS, {"BUOY"}}}},
      {R"({"priority":["AIDS","AIDS"],"rules":{"AIDS":["lamp"]}})", true, {{AIDS, {"LAMP"}}, {AIDS, {"LAMP"}}}},
      {R"({"rules":[["AIDS","lamp"]]})", false, {}},
      {R"({"rules":{"AIDS":[]}})", false, {}},
      {R"({"rules":{}})", false, {}},
      {R"([1,2])", false, {}},
      {R"({"rules":{"AIDS":["lamp"])", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    const LexiconFile f = LoadLexiconFile(Write("k.json", c.json));
    EXPECT_EQ(f.ok, c.ok) << f.reason;
    ASSERT_EQ(f.rules.size(), c.rules.size());
    for (size_t i = 0; i < f.rules.size(); ++i) {
      EXPECT_EQ(f.rules[i].type, c.rules[i].first);
      EXPECT_EQ(f.rules[i].keywords, c.rules[i].second);
    }
  }
  EXPECT_FALSE(LoadLexiconFile(root_.dir() + "/missing.json").ok);
}

TEST_F(LexiconTest, AskedFirstExceptRestrictBesideFiring) {
  setenv("ORVANE_LEXICON_PATH", Write("k.json", R"({"rules":{"WRECK":["HULK"],"RESTRICT":["ZONE X"]}})").c_str(), 1);
  EXPECT_EQ(Classify("HULK SEEN NEAR BUOY"), WRECK);   // the lexicon wins over AIDS
  EXPECT_EQ(Classify("ZONE X CLOSED"), RESTRICT);
  EXPECT_EQ(Classify("ZONE X, WEAPONS TRIALS"), OTHER);  // built-in rules decide
  EXPECT_EQ(Classify("ZONE X GUNNERY"), MILITARY);
  EXPECT_EQ(Classify("BUOY UNLIT"), AIDS);
}

TEST_F(LexiconTest, ABadFirstCandidateFallsBackAndTheFileIsReadOnce) {
  setenv("ORVANE_LEXICON_PATH", Write("bad.json", R"({"rules":{"AIDS":[]}})").c_str(), 1);
  const std::string data = DataFile(R"({"rules":{"WRECK":["HULK"]}})");
  EXPECT_EQ(Classify("HULK"), WRECK);
  std::ofstream(data, std::ios::binary) << R"({"rules":{"MINE":["HULK"]}})";
  EXPECT_EQ(Classify("HULK"), WRECK);  // not read again
  ResetLexicon();
  unsetenv("ORVANE_LEXICON_PATH");
  std::filesystem::remove(data);
  EXPECT_FALSE(LexiconLoaded());
  EXPECT_EQ(Classify("HULK"), OTHER);
}

TEST(MessageFingerprint, IgnoresCaseBlanksAndFrameLines) {
  EXPECT_EQ(MessageFingerprint("ZCZC IA01\nfoo   bar\nNNNN"), MessageFingerprint("FOO BAR"));
  EXPECT_EQ(MessageFingerprint(""), "fnv1a64:cbf29ce484222325");
  EXPECT_EQ(MessageFingerprint("  a\tb \n"), MessageFingerprint("A B"));
  EXPECT_NE(MessageFingerprint("A B"), MessageFingerprint("AB"));
  EXPECT_EQ(MessageFingerprint("a"), "fnv1a64:af63fc4c860222ec");  // FNV-1a 64 of "A"
  EXPECT_EQ(MakeMessageId(WRECK, "x", "TA05", 5), "WRECK_" + MessageFingerprint("x") + "_TA05");
  EXPECT_EQ(MakeMessageId(WRECK, "x", "", 139), "WRECK_" + MessageFingerprint("x") + "_139");
  EXPECT_EQ(MakeMessageId(OTHER, "x", "", 0), "OTHER_" + MessageFingerprint("x"));
}

TEST(ReadCancelTarget, OwnEndsSeriesWordsAndLists) {
  struct Case {
    const char* upper;
    const char* target;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      {"CANCEL 0120/26", "0120/26", {"0120/26"}},
      {"CANCELLED : TA05", "TA05", {"TA05"}},
      {"CANCELLED: TA05", "", {}},
      {"CANCEL NAVAREA III 0120/26", "0120/26", {"0120/26"}},
      {"2. CANCEL HYDROLANT 1783/26.", "1783/26", {"1783/26"}},
      {"CANCEL NAVAREA IV 1170/25, 836/26.", "1170/25", {"1170/25", "836/26"}},
      {"CANCEL HYDROLANT 1/26,2/26 AND 3/26.", "1/26", {"1/26", "2/26", "3/26"}},
      {"CANCEL THIS MSG 151200Z MAR 26.", "", {}},
      {"CANCEL THIS MSG 151200Z MAR 26.\n2. CANCEL NAVAREA XII 614/26", "614/26", {"614/26"}},
      {"CANCEL THIS WARNING.", "", {}},
      {"CANCEL 012200 UTC MAR", "", {}},
      {"CANCEL NAVAREA IV 1234/26(15).", "1234/26", {"1234/26"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    EXPECT_EQ(ReadCancelTarget(c.upper), c.target);
    std::vector<std::string> keys;
    for (const CancelKey& k : ReadCancelKeys(c.upper)) keys.push_back(k.key);
    EXPECT_EQ(keys, c.keys);
  }
  const auto k = ReadCancelKeys("CANCEL NAVAREA XII 614/26");
  ASSERT_EQ(k.size(), 1u);
  EXPECT_EQ(k[0].series, Series::NAVAREA);
  EXPECT_EQ(k[0].navarea, 12);
}

TEST(ReadExpiry, MarkersOnTheirLineAndOwnCancelTimes) {
  ManualClock clock(Utc(2026, 3, 1));
  SetClock(&clock);
  struct Case {
    const char* upper;
    const char* want;
  };
  const Case cases[] = {
      {"VALID UNTIL 151200 UTC MAR", "2026-03-15T12:00Z"},  // a stated time always expires
      {"EXPIRES 2026-03-15 23:59", "2026-03-1523"},
      {"VALID UNTIL 15/03/2026", "2026-03-15T23:59Z"},  // day first, to the end of that day
      {"CLOSED UNTIL FURTHER NOTICE IN 41-00N 029-00E 2026-04-01", ""},
      {"VALID UNTIL\n2026-03-15 ELSEWHERE", ""},  // a date on a later line is not the end
      {"CANCEL THIS MSG 151200Z MAR 26.", "2026-03-15T12:00Z"},
      {"CANCEL THIS MESSAGE 021300UTC JANUARY 2027.", "2027-01-02T13:00Z"},
      {"CANCEL THIS MSGE : 311200 UTC MAR 26", "2026-03-31T12:00Z"},
      {"CANCEL THIS MSG AT 051200Z DEC", "2025-12-05T12:00Z"},  // nearest to 1 March 2026
      {"CANCEL THIS MSG 301200Z FEB 26", ""},                     // no such day
      {"VALID UNTIL 151200 UTC MAR. CANCEL THIS MSG 151200Z MAR 26", "2026-03-15T12:00Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    EXPECT_EQ(ReadExpiry(c.upper), c.want);
  }
  SetClock(nullptr);
}

TEST(IsExpired, OwnEndsToTheMinuteAndDatesAtTheEndOfTheDay) {
  setenv("TZ", "UTC", 1);
  tzset();
  ManualClock clock(Utc(2026, 3, 15, 11, 59));
  SetClock(&clock);
  struct Case {
    const char* expires;
    bool before, after;  // at 11:59 and at 12:00 on 15 March 2026 UTC
  };
  const Case cases[] = {
      {"2026-03-15T12:00Z", false, true}, {"2026-03-15T11:00Z", true, true}, {"151200", false, false},
      {"15/03/2026", false, false},       {"2026-03-1423", true, true},      {"2026-03-1523", false, false},
      {"", false, false},                 {"1999-01-0100", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expires);
    MsiMessage m;
    m.expires = c.expires;
    clock.SetUtcMs(Utc(2026, 3, 15, 11, 59));
    EXPECT_EQ(IsExpired(m), c.before);
    clock.SetUtcMs(Utc(2026, 3, 15, 12, 0));
    EXPECT_EQ(IsExpired(m), c.after);
  }
  clock.SetUtcMs(Utc(2026, 3, 16, 0, 0));
  MsiMessage day;
  day.expires = "2026-03-1523";
  EXPECT_TRUE(IsExpired(day));
  SetClock(nullptr);
}

// Bulletins whose messages cancel each other: which stay active.
TEST(NormaliseMessages, CancellationsMatchWholeSerialsInTheirSeries) {
  ManualClock clock(Utc(2026, 3, 1));
  SetClock(&clock);
  struct Case {
    const char* name;
    std::string bulletin;
    std::vector<bool> active;
  };
  const std::string w1 = "NAVAREA III - 0001/26 BLACK SEA\nBUOY 41-00N 029-00E UNLIT.\n";
  const std::string w2 = "NAVAREA III - 0002/26 BLACK SEA\nBUOY 42-00N 029-00E UNLIT.\n";
  const std::string w120 = "NAVAREA III - 0120/26 BLACK SEA\nWRECK 43-00N 030-00E.\n";
  const std::string w120iv = "NAVAREA IV - 0120/26 CARIBBEAN\nWRECK 13-00N 070-00W.\n";
  const std::string w120y25 = "NAVAREA III - 0120/25 BLACK SEA\nWRECK 43-10N 030-00E.\n";
  const Case cases[] = {
      {"no substring matches", w1 + w2 + w120 + "NAVAREA III - 0130/26 BLACK SEA\n1. NEW WRECK.\n2. CANCEL 0120/26.\n",
       {true, true, false, true}},
      {"named NAVAREA must agree", w120 + w120iv + "NAVAREA III - 0131/26 BLACK SEA\nCANCEL NAVAREA III 0120/26.\n",
       {false, true, true}},
      {"years must agree", w120 + w120y25 + "NAVAREA III - 0132/26 BLACK SEA\nCANCEL NAVAREA III 120/25.\n",
       {true, false, true}},
      {"lists cancel each", w1 + w2 + w120 + "NAVAREA III - 0133/26 BLACK SEA\nCANCEL NAVAREA III 1/26, 120/26.\n",
       {false, true, false, true}},
      {"own end cancels nothing", w1 + "NAVAREA III - 0134/26 BLACK SEA\nGALE.\nCANCEL THIS MSG 151200Z MAR 26.\n",
       {true, true}},
      {"category name or letter hides nothing", w1 + w2 + "NAVAREA III - 0135/26 BLACK SEA\nCANCEL A. CANCEL AIDS.\n",
       {true, true, true}},
      {"a message never cancels itself", "NAVAREA III - 0136/26 BLACK SEA\nCANCEL NAVAREA III 136/26.\n", {true}},
      {"station ids", "ZCZC TA05\nWRECK 41-00N 029-00E\nNNNN\nZCZC TA06\nCANCELLED : TA05\nNNNN\n", {false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto msgs = ParseBulletin(c.bulletin);
    ASSERT_EQ(msgs.size(), c.active.size());
    for (size_t i = 0; i < msgs.size(); ++i) EXPECT_EQ(msgs[i].active, c.active[i]) << msgs[i].title;
  }
  // An own cancel time in the past makes the warning inactive.
  clock.SetUtcMs(Utc(2026, 3, 16));
  const auto past = ParseBulletin("NAVAREA III - 0134/26 BLACK SEA\nGALE.\nCANCEL THIS MSG 151200Z MAR 26.\n");
  ASSERT_EQ(past.size(), 1u);
  EXPECT_FALSE(past[0].active);
  SetClock(nullptr);
}

TEST(NormaliseMessages, TheLastCopyOfAnIdSurvives) {
  MsiMessage a, b, c, e1, e2;
  a.id = b.id = "WRECK_X_1";
  c.id = "wreck_x_1";
  a.title = "first";
  c.title = "third";
  std::vector<MsiMessage> list = {a, e1, b, e2, c};
  NormaliseMessages(&list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].title, "third");
  // The same warning through two transmitters: one fingerprint, two ids.
  const auto two = ParseBulletin("ZCZC TA05\nWRECK 41-00N 029-00E\nNNNN\nZCZC IA05\nWRECK 41-00N 029-00E\nNNNN\n");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_NE(two[0].id, two[1].id);
  EXPECT_EQ(MessageFingerprint(two[0].raw_text), MessageFingerprint(two[1].raw_text));
}

TEST(ParseBulletin, SampleGivesItsFourWarnings) {
  const auto msgs = ParseBulletin(std::string(kSampleBulletin, kSampleBulletinSize));
  ASSERT_EQ(msgs.size(), 4u);
  const MsgType types[] = {DRIFT, DRILLING, OTHER, MILITARY};
  const char* suffix[] = {"_IA01", "_139", "_137", "_100"};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(msgs[i].type, types[i]);
    const std::string prefix = std::string(TypeName(types[i])) + "_fnv1a64:";
    ASSERT_EQ(msgs[i].id.size(), prefix.size() + 16 + std::strlen(suffix[i]));
    EXPECT_EQ(msgs[i].id.rfind(prefix, 0), 0u);
    EXPECT_EQ(msgs[i].id.substr(prefix.size() + 16), suffix[i]);
    EXPECT_TRUE(msgs[i].active);
    ASSERT_EQ(msgs[i].geoms.size(), 1u);
  }
  EXPECT_EQ(msgs[0].geoms[0].kind, GEOM_POINT);
  EXPECT_NEAR(msgs[0].geoms[0].points[0].first, 45.0833, 1e-4);
  EXPECT_NEAR(msgs[0].geoms[0].points[0].second, 30.05, 1e-9);
  // 0139/26 keeps text order: south-west, south-east, north-east, north-west.
  const auto& p139 = msgs[1].geoms[0];
  EXPECT_EQ(p139.kind, GEOM_POLYGON);
  EXPECT_EQ(p139.radius_nm, 0.0);
  EXPECT_EQ(p139.points, ExtractPositions(msgs[1].raw_text));
  EXPECT_EQ(msgs[2].geoms[0].kind, GEOM_CIRCLE);
  EXPECT_NEAR(msgs[2].geoms[0].radius_nm, 0.26998, 1e-5);
  // 0100/26 keeps the order of its text too, starting at 38-30.60N 000-30.80E.
  const auto p100 = ExtractPositions(msgs[3].raw_text);
  EXPECT_EQ(msgs[3].geoms[0].points, p100);
  EXPECT_NEAR(p100[0].first, 38.51, 1e-5);
}

}  // namespace
}  // namespace orvane
