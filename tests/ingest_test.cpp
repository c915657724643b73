// Merging fetch results into the store, and the arrival log beside it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "common/clock.h"
#include "common/paths.h"
#include "exchange/arrival_log.h"
#include "parse/bulletin.h"
#include "parse/ingest.h"
#include "test_support.h"

namespace orvane {
namespace {

// Distinct warnings, each a NAVAREA serial with a position.
std::string Warning(const char* area, int serial, const char* body) {
  return std::string("NAVAREA ") + area + " - " + std::to_string(serial) + "/26 TEST AREA\n" + body + "\n";
}
const std::string kM1 = Warning("III", 1, "WRECK REPORTED 41-10.0N 030-10.0E.");
const std::string kM2 = Warning("III", 2, "DRILLING RIG 42-10.0N 031-10.0E.");
const std::string kM3 = Warning("IV", 3, "BUOY UNLIT 30-10.0N 070-10.0W.");
const std::string kM4 = Warning("III", 4, "GUNNERY EXERCISES 40-10.0N 029-10.0E.");
const std::string kM5 = Warning("IV", 5, "SURVEY OPERATIONS 31-10.0N 071-10.0W.");

MessageStore Store(const std::string& m1_m2_section, const std::string& m3_section) {
  MergeResult r = MergeFetchResult({}, "===== NAVAREA 3 =====\n" + m1_m2_section + "===== NAVAREA 4 =====\n" +
                                           m3_section, 3);
  return r.store;
}

std::vector<int> Numbers(const MessageStore& s) {
  std::vector<int> out;
  for (const MsiMessage& m : s) out.push_back(m.number);
  return out;
}

TEST(Merge, RefetchedAreaReplacesItsMessagesOthersStay) {
  const MessageStore before = Store(kM1 + kM2, kM3);
  ASSERT_EQ(Numbers(before), (std::vector<int>{1, 2, 3}));
  const MergeResult r = MergeFetchResult(before, "===== NAVAREA 3 =====\n" + kM1 + kM4, 3);
  EXPECT_EQ(Numbers(r.store), (std::vector<int>{3, 1, 4}));
  EXPECT_EQ(r.new_count, 2u);
  EXPECT_EQ(r.kept, 1u);
  EXPECT_EQ(r.areas, (std::vector<int>{3}));
  EXPECT_TRUE(r.sources.empty());
  EXPECT_EQ(r.store[0].navarea, 4);
  EXPECT_EQ(r.store[2].navarea, 3);
}

TEST(Merge, AnAreaThatYieldsNothingKeepsItsMessages) {
  const MessageStore before = Store(kM1 + kM2, kM3);
  const MergeResult r =
      MergeFetchResult(before, "===== NAVAREA 3 =====\n\n===== NAVAREA 4 =====\n" + kM5, 3);
  EXPECT_EQ(Numbers(r.store), (std::vector<int>{1, 2, 5}));
  EXPECT_EQ(r.areas, (std::vector<int>{4}));
}

TEST(Merge, EmptyTextCountsTheFirstIdAsRefetched) {
  const MessageStore before = Store(kM1 + kM2, kM3);
  const MergeResult r = MergeFetchResult(before, "", 3);
  EXPECT_EQ(Numbers(r.store), (std::vector<int>{3}));
  EXPECT_EQ(r.new_count, 0u);
  EXPECT_EQ(r.areas, (std::vector<int>{3}));
}

TEST(Merge, CoastalSectionsTakeTheirSourceAndPrefixedIds) {
  const std::string hub = "===== COASTAL navtex =====\nZCZC IA05\nGALE WARNING BLACK SEA 42-00N 030-00E\nNNNN\n";
  const std::string other = "===== COASTAL coastal =====\nZCZC DA07\nBUOY ADRIFT 43-00N 029-00E\nNNNN\n";
  const MessageStore before = MergeFetchResult({}, hub + other, 3).store;
  ASSERT_EQ(before.size(), 2u);
  EXPECT_EQ(before[0].source, "coastal:navtex");
  EXPECT_EQ(before[0].navarea, 0);
  EXPECT_EQ(before[0].id.rfind("COASTAL:", 0), 0u) << before[0].id;

  const std::string hub2 = "===== COASTAL navtex =====\nZCZC IA06\nFOG BANK 41-30N 029-30E\nNNNN\n";
  const MergeResult r = MergeFetchResult(before, hub2, 3);
  ASSERT_EQ(r.store.size(), 2u);
  EXPECT_EQ(r.store[0].source, "coastal:coastal");  // the other hub stays
  EXPECT_EQ(r.store[1].station_id, "IA06");
  EXPECT_EQ(r.sources, (std::vector<std::string>{"coastal:navtex"}));
  EXPECT_TRUE(r.areas.empty());
}

TEST(Merge, NamedNavareaIsAWholeNumeral) {
  MsiMessage m;
  m.title = "REPEAT OF NAVAREA IV 123/26";
  EXPECT_FALSE(NamesNavarea(m, 1));
  EXPECT_TRUE(NamesNavarea(m, 4));
  AssignNavarea(&m, {3, 5}, 3);
  EXPECT_EQ(m.navarea, 4);

  MsiMessage plain;
  plain.raw_text = "NO AREA NAMED";
  AssignNavarea(&plain, {5}, 3);
  EXPECT_EQ(plain.navarea, 5);  // the only refetched area
  MsiMessage plain2 = MsiMessage();
  AssignNavarea(&plain2, {3, 5}, 7);
  EXPECT_EQ(plain2.navarea, 7);  // first id
  MsiMessage sourced;
  sourced.source = "coastal:navtex";
  AssignNavarea(&sourced, {5}, 3);
  EXPECT_EQ(sourced.navarea, 0);
}

TEST(Merge, AWarningOfItsOwnAreaThatNamesARefetchedOneStays) {
  // A NAVAREA IV warning that refers to NAVAREA III is not III's to replace.
  const std::string refers = Warning("IV", 9, "SEE ALSO NAVAREA III 1/26. BUOY 30-00N 070-00W.");
  const MessageStore before = MergeFetchResult({}, "===== NAVAREA 4 =====\n" + refers, 4).store;
  ASSERT_EQ(before.size(), 1u);
  const MergeResult r = MergeFetchResult(before, "===== NAVAREA 3 =====\n" + kM1, 3);
  EXPECT_EQ(Numbers(r.store), (std::vector<int>{9, 1}));
  // A pasted message without a NAVAREA of its own is assigned first, then replaced.
  MessageStore pasted = ParseBulletin("PASTED TEXT ABOUT NAVAREA III WATERS 41-00N 030-00E");
  ASSERT_EQ(pasted.size(), 1u);
  EXPECT_EQ(pasted[0].navarea, 0);
  const MergeResult r2 = MergeFetchResult(pasted, "===== NAVAREA 3 =====\n" + kM1, 3);
  EXPECT_EQ(Numbers(r2.store), (std::vector<int>{1}));
}

TEST(Merge, TheSameIdInTwoSectionsKeepsTheLater) {
  const MergeResult r =
      MergeFetchResult({}, "===== NAVAREA 3 =====\n" + kM1 + "===== NAVAREA 3 (cache) =====\n" + kM1, 3);
  ASSERT_EQ(r.store.size(), 1u);
  EXPECT_EQ(r.drawable, r.store[0].geoms.empty() ? 0u : 1u);
}

class ArrivalLog : public testing::Test {
 protected:
  void SetUp() override { SetClock(&clock_); }
  void TearDown() override { SetClock(nullptr); }
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    std::istringstream in(test::ReadFile(ArrivalLogFile()));
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  test::TempDataRoot root_;
  ManualClock clock_;
};

TEST_F(ArrivalLog, OneValidLineperNewMessageWithOneTimestamp) {
  const MessageStore before = ParseBulletin(kM1);
  MessageStore after = ParseBulletin(kM1 + kM2);
  MsiMessage sar;
  sar.id = "SAR_OPS_x";
  sar.b2 = 'D';
  sar.type = SAR_OPS;
  sar.title = "back\\slash \"quoted\"\nline \x01 ctl \xC3\x28 bad";
  after.push_back(sar);
  ASSERT_TRUE(WriteArrivalLog(before, after));
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  const auto a = nlohmann::json::parse(lines[0]);
  const auto b = nlohmann::json::parse(lines[1]);
  EXPECT_EQ(a["ts"], b["ts"]);
  EXPECT_EQ(a["id"], after[1].id);
  EXPECT_EQ(b["type"], "SAR_OPS");
  EXPECT_EQ(b["title"], "back\\slash \"quoted\" line \x01 ctl \xEF\xBF\xBD( bad");
  EXPECT_NE(lines[1].find("back\\\\slash \\\"quoted\\\" line \\u0001"), std::string::npos) << lines[1];
  EXPECT_EQ(CountNewSarMessages(before, after), 1);

  // The same messages again: no line, no alarm.
  ASSERT_TRUE(WriteArrivalLog(after, after));
  EXPECT_EQ(Lines().size(), 2u);
  EXPECT_EQ(CountNewSarMessages(after, after), 0);
}

TEST_F(ArrivalLog, EmptyIdsAreAlwaysNew) {
  MsiMessage m;
  m.b2 = 'd';
  const MessageStore s{m};
  EXPECT_EQ(NewMessages(s, s).size(), 1u);
  EXPECT_EQ(CountNewSarMessages(s, s), 1);
}

TEST_F(ArrivalLog, AnUnwritableLogIsSkipped) {
  std::filesystem::create_directories(ArrivalLogFile());  // a folder where the file should be
  EXPECT_FALSE(WriteArrivalLog({}, ParseBulletin(kM1)));
}

}  // namespace
}  // namespace orvane
