// One identity per warning, cancellations within their series, and the end
// times warnings state, each quoting the real input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "common/clock.h"
#include "common/text.h"
#include "corpus_chunks.h"
#include "parse/bulletin.h"
#include "common/paths.h"
#include "exchange/arrival_log.h"
#include "parse/identity.h"
#include "parse/ingest.h"
#include "test_support.h"

namespace orvane {
namespace {

int64_t Utc(int y, int mo, int d, int h = 0, int mi = 0) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  return static_cast<int64_t>(timegm(&tm)) * 1000;
}

// The same warning received in two shapes has one fingerprint; a different
// warning does not.
TEST(MessageFingerprint, OneWarningOneFingerprint) {
  struct Case {
    const char* name;
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"with and without its date-time line", "031741Z JUN 26\nHYDROLANT 1780/26.\nNORTH ATLANTIC.\nWRECK.",
       "HYDROLANT 1780/26.\nNORTH ATLANTIC.\nWRECK.", true},
      {"re-broadcast with a new date-time group",
       "ZCZC UA12\n102320 UTC JUL 23\nMONDOLFO RADIO\nCOASTAL WARNING 187/23 APR 25 (19 REPETITION)\nLIGHTHOUSE.\nNNNN",
       "ZCZC UA12\n112320 UTC JUL 23\nMONDOLFO RADIO\nCOASTAL WARNING 187/23 APR 25 (20 REPETITION)\nLIGHTHOUSE.\nNNNN",
       true},
      {"a misspelt repetition count", "COASTAL WARNING 177/22 NOV 25 (9 REPETATION)\nX",
       "COASTAL WARNING 177/22 NOV 25 (10 REPETATION)\nX", true},
      {"a preamble", "MSGID/GENADMIN/NGA NAVSAFETY WASHINGTON DC//\nRMKS/\nNAVAREA IV 141/22(28).\nLIGHT UNLIT.",
       "NAVAREA IV 141/22(28).\nLIGHT UNLIT.", true},
      {"portal and NAVTEX hub", "ZCZC JA24\n011006 UTC MAR\nPOLISH NAV WARN 042/19\nMILITARY EXERCISES.\nNNNN",
       "POLISH NAV WARN 042/19\nMILITARY EXERCISES.", true},
      {"two one-line frames of one station",
       "ZCZC NA22110905 UTC MAR 19NORWEGIAN NAV. WARNING 184/2019 RACON 63-12.0N 007-43.8E INOPERATIVENNNN",
       "ZCZC NA23110905 UTC MAR 19NORWEGIAN NAV. WARNING 185/2019 LIGHT 63-12.0N 007-43.8E UNLITNNNN", false},
      {"a one-line frame is not the empty text", "ZCZC NA22110905 UTC MAR 19 RACON INOPERATIVENNNN", "", false},
      {"a time inside a sentence counts", "SHIPS EXERCISES 242100 UTC FEB", "SHIPS EXERCISES 252100 UTC FEB", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MessageFingerprint(c.a) == MessageFingerprint(c.b), c.same);
  }
  // The basis and the frame rules of before still hold.
  EXPECT_EQ(MessageFingerprint(""), "fnv1a64:cbf29ce484222325");
  EXPECT_EQ(MessageFingerprint("ZCZC IA01\nfoo   bar\nNNNN"), MessageFingerprint("FOO BAR"));
}

// Parsed, the same warning with or without its date-time line has one id
// and is kept once.
TEST(ParseBulletin, AWarningWithAndWithoutItsDateTimeLineIsKeptOnce) {
  const std::string bare = "HYDROLANT 1780/26.\nNORTH ATLANTIC.\nDANGEROUS WRECK 40-00N 050-00W.\n";
  const auto a = ParseBulletin("031741Z JUN 26\n" + bare);
  const auto b = ParseBulletin(bare);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(a[0].id, b[0].id);
  std::vector<MsiMessage> both = {a[0], b[0]};
  NormaliseMessages(&both);
  EXPECT_EQ(both.size(), 1u);
}

struct ScopeCase {
  const char* name;
  std::string bulletin;
  std::vector<bool> active;
};

void CheckActive(const ScopeCase& c) {
  SCOPED_TRACE(c.name);
  const auto msgs = ParseBulletin(c.bulletin);
  ASSERT_EQ(msgs.size(), c.active.size());
  for (size_t i = 0; i < msgs.size(); ++i) EXPECT_EQ(msgs[i].active, c.active[i]) << msgs[i].raw_text;
}

// Which messages a cancellation reaches.
TEST(NormaliseMessages, CancelKeysStayWithinTheirSeries) {
  ManualClock clock(Utc(2026, 3, 1));
  SetClock(&clock);
  const std::string frame_ba47 = "ZCZC BA47\nBUOY 58-00N 010-00E UNLIT.\nNNNN\n";
  const std::string hydro47 = "HYDROLANT 47/18.\nNORTH ATLANTIC.\nWRECK 40-00N 050-00W.\n";
  const std::string iv47 = "NAVAREA IV 47/18.\nCARIBBEAN.\nWRECK 13-00N 070-00W.\n";
  const std::string iv47_26 = "NAVAREA IV 47/26.\nCARIBBEAN.\nWRECK 13-10N 070-00W.\n";
  const ScopeCase cases[] = {
      // "CANCEL 47/18 AND THIS PARA" in a NAVAREA IV warning: only NAVAREA IV 47/18.
      {"series-less serial", frame_ba47 + hydro47 + iv47 + iv47_26 +
                                 "NAVAREA IV 50/18.\nCARIBBEAN.\n1. CANCEL 47/18 AND THIS PARA.\n",
       {true, true, false, true, true}},
      // The same from a HYDROLANT warning reaches only HYDROLANT 47/18.
      {"series-less serial, NGA", frame_ba47 + hydro47 + iv47 + "HYDROLANT 50/18.\nNORTH ATLANTIC.\nCANCEL 47/18.\n",
       {true, false, true, true}},
      // NAVTEX GA83: "CANCEL WZ 1160 (GA87)(OA60)" cancels the UK coastal
      // warning WZ 1160 and the frames GA87 and OA60, no other number 1160 or 87.
      {"UK coastal and frames",
       "ZCZC GA87\nWZ 1160\nSCOTLAND. BUOY UNLIT.\nNNNN\nZCZC OA60\nWZ 1160\nSCOTLAND. BUOY UNLIT.\nNNNN\n"
       "ZCZC GA83\nWZ 1307\nGMDSS. MRCC SHETLAND.\n2. CANCEL WZ 1160 (GA87)(OA60).\nNNNN\n"
       "ZCZC GA88\nWZ 1161\nENGLAND. BUOY UNLIT.\nNNNN\n"
       "NAVAREA I 1160/26\nNORTH SEA. WRECK 55-00N 003-00E.\n"
       "WZ 1160\nSCOTLAND. BUOY 58-00N 003-00W UNLIT.\n",
       {false, false, true, true, true, false}},
      // NAVTEX JA63: "CANCEL GERMAN NAV WARN 200/19"; Lithuanian and NAVAREA 200/19 stay.
      {"national",
       "GERMAN NAV WARN 200/19\nWESTERN BALTIC. BUOY 54-30N 010-20E OFF STATION.\n"
       "LITHUANIAN NAV WARN 200/19\nSE BALTIC. BUOY 55-30N 020-50E ADRIFT.\n"
       "NAVAREA I 200/19\nNORTH SEA. WRECK 55-00N 003-00E.\n"
       "ZCZC JA63\n131615 UTC MAR\nCANCEL GERMAN NAV WARN 200/19\nNNNN\n",
       {true, false, true, true}},  // the frame comes first
      // NAVTEX SA47: "NAV. WARN. NO. 165 CANCELLED." within the station's own numbering.
      {"cancelled notice",
       "ZCZC SA12\nNCC-HAMBURG\n021600 UTC MAR 19\nNAV. WARN. NO. 165\nGERMAN BIGHT. BUOY UNLIT.\nNNNN\n"
       "ZCZC TA12\nNCC-OTHER\n021600 UTC MAR 19\nNAV. WARN. NO. 165\nELSEWHERE. BUOY UNLIT.\nNNNN\n"
       "ZCZC SA65\nNCC-HAMBURG\n021700 UTC MAR 19\nNAV. WARN. NO. 170\nGERMAN BIGHT. WRECK.\nNNNN\n"
       "ZCZC SA47\nNCC-HAMBURG\n031600 UTC MAR 19\nNAV. WARN. NO. 182\nNAV. WARN. NO. 165 CANCELLED.\nNNNN\n",
       {false, true, true, true}},
      // NAVTEX PA68: "CANCEL NAVIGATIONAL WARNING NR. 49 212032 UTC FEB".
      {"station's own numbering",
       "ZCZC PA49\nNETHERLANDS COASTGUARD\nNAVIGATIONAL WARNING NR. 49 212032 UTC FEB\nWRECK.\nNNNN\n"
       "ZCZC PA68\nNETHERLANDS COASTGUARD\nNAVIGATIONAL WARNING NR. 68 021952 UTC MAR\n"
       "CANCEL NAVIGATIONAL WARNING NR. 49 212032 UTC FEB\nNNNN\n",
       {false, true}},
      // A frame's B3B4 is never a serial: "CANCEL 47/18" misses frame BA47.
      {"frame numbers are not serials", frame_ba47 + "ZCZC BA50\nCANCEL 47/18.\nNNNN\n", {true, true}},
      // NAVTEX OA09 and GA66: "SELF CANCELLING." cancels nothing else; the
      // WZ it names is cancelled.
      {"self cancelling",
       "ZCZC OA79\nWZ 876\nRATHLIN ISLAND WEST LIGHTHOUSE UNLIT.\nNNNN\n"
       "ZCZC OA09\nWZ 944\nSELF CANCELLING.\nCANCEL WZ 876 (OA79).\nRATHLIN ISLAND WEST LIGHTHOUSE NORMAL.\nNNNN\n"
       "ZCZC OA10\nWZ 945\nTURBINE T25 UNLIT.\nNNNN\n",
       {false, true, true}},
      // NAVTEX MA50: "CANCEL ALL NAV.WARNINGS NOT LISTED" is an in-force list.
      {"in-force list",
       "ZCZC MA49\n010700 UTC MAR 19\nNORWEGIAN NAV. WARNING 161/2019\nLIGHT UNLIT.\nNNNN\n"
       "ZCZC MA50\n010800 UTC MAR 19\nNORWEGIAN NAV. WARNING 162/2019\n"
       "1.NAV.WARNINGS IN FORCE 49 54.\n2.CANCEL ALL NAV.WARNINGS NOT LISTED IN THIS MEASSAGE.\nNNNN\n",
       {true, true}},
  };
  for (const ScopeCase& c : cases) CheckActive(c);
  SetClock(nullptr);
}

// The end times warnings state of themselves, with the clock at 1 March 2026.
TEST(ReadExpiry, EveryOwnEndForm) {
  ManualClock clock(Utc(2026, 3, 1));
  SetClock(&clock);
  struct Case {
    const char* upper;
    const char* want;
  };
  const Case cases[] = {
      {"2. CANCEL THIS MESSAGE 01 JAN 2020", "2020-01-01T23:59Z"},  // a date alone: the end of that day
      {"2. CANCEL THIS MESSAGE 02 MAR=", "2026-03-02T23:59Z"},      // NAVTEX WA08, no year: the nearest
      {"CAN THIS MSG 312200 UTC MAR", "2026-03-31T22:00Z"},
      {"\xD0\x9E\xD0\xA2\xD0\x9C \xD0\xAD\xD0\xA2\xD0\x9E\xD0\xA2 \xD0\x9D\xD0\xA0 301430 "
       "\xD0\xA1\xD0\x95\xD0\x9D\xD0\xA2",
       "2025-09-30T14:30Z"},  // ОТМ ЭТОТ НР 301430 СЕНТ
      {"\xD0\x9E\xD0\xA2\xD0\x9C \xD0\xAD\xD0\xA2\xD0\x9E\xD0\xA2 \xD0\x9D\xD0\xA0 051200 "
       "\xD0\x9C\xD0\x90\xD0\xA0",
       "2026-03-05T12:00Z"},  // ОТМ ЭТОТ НР 051200 МАР
      {"3. FORECAST FOR THE NEXT 24 HOURS VALID UNTIL 03/03/2019 AT 0000 UTC", "2019-03-03T00:00Z"},  // QE13
      {"VALID UNTIL 15/03/2026", "2026-03-15T23:59Z"},
      {"WEATHERFORECAST FOR GERMAN BIGHT UNTIL 01.03.2019 18 UTC:", "2019-03-01T18:00Z"},  // SE62
      {"FROM 15 FEB 2019 UNTIL 02 MAR 2019 O/S DALLA PORTA", "2019-03-02T23:59Z"},        // UA01
      {"1. LIGHT UNLIT UNTIL 01 MAR 27.", "2027-03-01T23:59Z"},                           // HYDROLANT 1739/26
      {"VALID UNTIL 151200 UTC MAR", "2026-03-15T12:00Z"},
      {"CANCEL THIS MSGE : 152259 UTC MAR 19", "2019-03-15T22:59Z"},  // NAVTEX TF44
      {"UNTIL FURTHER NOTICE", ""},
      {"VALID UNTIL 1512", ""},  // not a moment: nothing rather than a value that never expires
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    EXPECT_EQ(ReadExpiry(c.upper), c.want);
  }
  SetClock(nullptr);
}

// Every expires value the corpus gives is empty or a moment IsExpired judges:
// set a day after it, the warning has expired.
TEST(ReadExpiry, EveryCorpusValueIsEmptyOrJudged) {
  if (test::CorpusChunks().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  setenv("TZ", "UTC", 1);
  tzset();
  ManualClock clock(Utc(2026, 9, 10));
  SetClock(&clock);
  int with_end = 0;
  for (const test::CorpusChunk& c : test::CorpusChunks()) {
    clock.SetUtcMs(Utc(2026, 9, 10));
    const MsiMessage m = ParseMessage(c.text);
    if (m.expires.empty()) continue;
    SCOPED_TRACE(c.file + " " + m.title + ": " + m.expires);
    ++with_end;
    clock.SetUtcMs(Utc(9999, 12, 30));
    EXPECT_TRUE(IsExpired(m));
    clock.SetUtcMs(Utc(2000, 1, 1));
    EXPECT_FALSE(IsExpired(m));
  }
  EXPECT_GT(with_end, 100);
  SetClock(nullptr);
}

// A warning already logged is not logged again, nor does it ring the SAR
// alarm, when the next fetch brings it back with a new date-time line or a
// new repetition count.
TEST(ArrivalLogIdentity, ARebroadcastIsNotNew) {
  test::TempDataRoot root;
  ManualClock clock(Utc(2026, 3, 1));
  SetClock(&clock);
  const std::string first =
      "===== NAVAREA 3 =====\n"
      "ZCZC ID12\n101420 UTC MAR 26\nMRCC ISTANBUL\nSEARCH AND RESCUE. MISSING VESSEL 41-00N 029-00E.\nNNNN\n"
      "031741Z MAR 26\nNAVAREA III - 0139/26 BLACK SEA\nWRECK 43-00N 030-00E.\n"
      "COASTAL WARNING 187/26 APR 25 (19 REPETITION)\nSANTA EUFEMIA ISLAND LIGHTHOUSE 41-53.4N 016-11.1E REDUCED.\n";
  const std::string again =
      "===== NAVAREA 3 =====\n"
      "ZCZC ID12\n111420 UTC MAR 26\nMRCC ISTANBUL\nSEARCH AND RESCUE. MISSING VESSEL 41-00N 029-00E.\nNNNN\n"
      "NAVAREA III - 0139/26 BLACK SEA\nWRECK 43-00N 030-00E.\n"
      "COASTAL WARNING 187/26 APR 25 (20 REPETITION)\nSANTA EUFEMIA ISLAND LIGHTHOUSE 41-53.4N 016-11.1E REDUCED.\n";
  const MergeResult a = MergeFetchResult({}, first, 3);
  ASSERT_EQ(a.store.size(), 3u);
  ASSERT_TRUE(WriteArrivalLog({}, a.store));
  EXPECT_EQ(CountNewSarMessages({}, a.store), 1);
  const MergeResult b = MergeFetchResult(a.store, again, 3);
  ASSERT_EQ(b.store.size(), 3u);
  EXPECT_TRUE(NewMessages(a.store, b.store).empty());
  EXPECT_EQ(CountNewSarMessages(a.store, b.store), 0);
  ASSERT_TRUE(WriteArrivalLog(a.store, b.store));
  const std::string log = test::ReadFile(ArrivalLogFile());
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
  SetClock(nullptr);
}

}  // namespace
}  // namespace orvane
