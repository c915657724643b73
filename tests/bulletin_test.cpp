#include <gtest/gtest.h>

#include "common/sample_bulletin.h"
#include "common/text.h"
#include "parse/bulletin.h"

namespace orvane {
namespace {

TEST(SampleBulletin, IsThe643ByteText) {
  EXPECT_EQ(kSampleBulletinSize, 643u);
  const std::string s(kSampleBulletin, kSampleBulletinSize);
  EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 21);
  EXPECT_EQ(s.back(), '\n');
}

TEST(ParseBulletin, SampleGivesFramesFirstThenHeadersInTextOrder) {
  const auto msgs = ParseBulletin(std::string(kSampleBulletin, kSampleBulletinSize));
  ASSERT_EQ(msgs.size(), 4u);
  struct Expect {
    char b1, b2;
    int number;
    const char *station_id, *title;
  };
  const Expect want[] = {
      {'I', 'A', 1, "IA01", "POSSIBLE DRIFTING MINES. CAUTION. 45-05.00N 030-03.00E"},
      {'?', '?', 139, "", "NAVAREA III - 0139/26 BLACK SEA"},
      {'?', '?', 137, "", "NAVAREA III - 0137/26 BLACK SEA"},
      {'?', '?', 100, "", "NAVAREA III - 0100/26 WESTERN MEDITERRANEAN SEA"},
  };
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(msgs[i].b1, want[i].b1);
    EXPECT_EQ(msgs[i].b2, want[i].b2);
    EXPECT_EQ(msgs[i].number, want[i].number);
    EXPECT_EQ(msgs[i].station_id, want[i].station_id);
    EXPECT_EQ(msgs[i].title, want[i].title);
    EXPECT_TRUE(msgs[i].active);
  }
  EXPECT_EQ(msgs[0].b2_index, 0);
  EXPECT_EQ(msgs[0].raw_text, "ZCZC IA01\nPOSSIBLE DRIFTING MINES. CAUTION. 45-05.00N 030-03.00E\nNNNN");
  EXPECT_EQ(msgs[2].raw_text,
            "NAVAREA III - 0137/26 BLACK SEA\nNEPTUN ALPHA PLATFORM 44-02.85N 030-35.25E SAFE DISTANCE 500 METERS.");
}

TEST(SplitFrames, LoneOpeningAtTheEndCountsEmptyFrameDoesNot) {
  EXPECT_EQ(SplitFrames("xx ZCZCNNNN yy ZCZC IA01\nTEXT\nNNNN tail ZCZC"),
            (std::vector<std::string>{"ZCZC IA01\nTEXT\nNNNN", "ZCZC"}));
  EXPECT_EQ(SplitFrames("zczc ta05 lower nnnn"), (std::vector<std::string>{"zczc ta05 lower nnnn"}));
  EXPECT_TRUE(SplitFrames("ZCZ").empty());

  const auto msgs = ParseBulletin("some words before ZCZC");
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].title, "");
  EXPECT_EQ(msgs[0].type, OTHER);
}

TEST(ParseMessage, FrameCodesAndSerials) {
  struct Case {
    const char* text;
    char b1, b2;
    int number;
    const char* station_id;
  };
  const Case cases[] = {
      {"NAVAREA III - 0139/26 BLACK SEA\nTEXT", '?', '?', 139, ""},
      {"NAVAREA III 0139/26 BLACK SEA\nTEXT", '?', '?', 139, ""},  // second pattern
      {"ZCZC TA05\nNAVAREA III 0120/26 REFERS", 'T', 'A', 5, "TA05"},  // first digits have no slash
      {"ZCZC TA05\nGALE WARNING 3 NORTH", 'T', 'A', 5, "TA05"},
      {"zczc ta05\nlower case frame", 'T', 'A', 5, "TA05"},
      {"ZCZC TA\nNO DIGITS", 'T', 'A', 0, "TA00"},
      {"ZCZC 1A05\nNO B1 LETTER", '?', 'A', 5, ""},
      {"ZCZC", '?', '?', 0, ""},
      {"NAVAREA IV - -12/26 NEGATIVE SERIAL", '?', '?', 0, ""},
      {"HYDROLANT 1783/26.\nNORTH ATLANTIC.", '?', '?', 1783, ""},
      {"WARNING 99999999999999999999/26", '?', '?', 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const MsiMessage m = ParseMessage(c.text);
    EXPECT_EQ(m.b1, c.b1);
    EXPECT_EQ(m.b2, c.b2);
    EXPECT_EQ(m.number, c.number);
    EXPECT_EQ(m.station_id, c.station_id);
  }
}

TEST(ParseMessage, HiddenSubjectIsInactiveAndSubjectFallbackApplies) {
  const MsiMessage z = ParseMessage("ZCZC IZ01\nQRU NO MESSAGE ON HAND\nNNNN");
  EXPECT_FALSE(z.active);
  EXPECT_EQ(z.b2_index, 12);
  EXPECT_EQ(z.type, OTHER);
  const MsiMessage d = ParseMessage("ZCZC ID02\nNOTHING TO RECOGNISE HERE\nNNNN");
  EXPECT_EQ(d.type, SAR_OPS);
  EXPECT_TRUE(d.active);
}

TEST(ParseMessage, TitleSkipsFrameLinesAndIsCutAtACharacterBoundary) {
  EXPECT_EQ(ParseMessage("\n  ZCZC IA01\nnnnn\n  FIRST LINE  \nSECOND").title, "FIRST LINE");
  const std::string long_line(100, 'X');
  EXPECT_EQ(ParseMessage(long_line).title, std::string(80, 'X'));
  // 79 ASCII bytes and a two-byte letter: the letter would straddle byte 80.
  const std::string text = std::string(79, 'A') + "\xC5\x9F" + "TAIL";
  const std::string title = ParseMessage(text).title;
  EXPECT_EQ(title, std::string(79, 'A'));
  EXPECT_TRUE(IsValidUtf8(title));
}

TEST(CleanText, DropsEmptyAndRulerLines) {
  EXPECT_EQ(CleanText("  A \n---\n\n B\r"), "A\nB");
  EXPECT_EQ(CleanText("====\n*+.-=\nX\n"), "X");
  EXPECT_EQ(CleanText(""), "");
}

TEST(ParseBulletin, HeaderSegmentsOfTwentyBytesOrLessAreDropped) {
  // "NAVAREA III 0001/26 " cleans to 19 bytes; the second one is kept.
  const auto msgs = ParseBulletin("NAVAREA III 0001/26\nNAVAREA III 0002/26 LONGER TEXT\n");
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].number, 2);
}

TEST(ParseBulletin, NamesOfOtherWarningsInABodyStayInTheirMessage) {
  // A warning that cancels another names it in its body; the reference
  // must not cut the warning in two.
  const char* text =
      "NAVAREA IV 857/26.\n"
      "WESTERN NORTH ATLANTIC.\n"
      "1. NAVTEX STATION MIAMI (A) 25-30.00N 080-23.00W\n"
      "   INOPERATIVE.\n"
      "2. CANCEL NAVAREA IV 802/26.\n"
      "NAVAREA IV 855/26.\n"
      "CARIBBEAN SEA.\n"
      "NAVTEX STATION SAN JUAN (R)\n"
      "18-27.00N 066-06.00W OFF AIR.\n";
  const auto msgs = ParseBulletin(text);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].number, 857);
  EXPECT_NE(msgs[0].raw_text.find("2. CANCEL NAVAREA IV 802/26."), std::string::npos);
  EXPECT_EQ(msgs[1].number, 855);
  EXPECT_NE(msgs[1].raw_text.find("OFF AIR."), std::string::npos);
}

TEST(ParseBulletin, NgaHeadersStartMessagesAndTakeTheirDateTimeGroup) {
  const char* text =
      "052223Z SEP 26\n"
      "HYDROLANT 1783/26.\n"
      "NORTH ATLANTIC.\n"
      "1. HAZARDOUS OPERATIONS, SPACE DEBRIS\n"
      "080536Z SEP 26\n"
      "HYDROPAC 1782/26.\n"
      "SOUTH PACIFIC.\n"
      "1. ICEBERGS REPORTED.\n"
      "071441Z SEP 26\n"
      "  HYDROARC 81/26(15).\n"
      "ARCTIC OCEAN.\n";
  const auto msgs = ParseBulletin(text);
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(msgs[0].number, 1783);
  EXPECT_EQ(msgs[0].title, "HYDROLANT 1783/26.");
  EXPECT_EQ(msgs[0].raw_text.rfind("052223Z SEP 26\n", 0), 0u);
  EXPECT_EQ(msgs[0].raw_text.find("080536Z"), std::string::npos);
  EXPECT_EQ(msgs[1].number, 1782);
  EXPECT_EQ(msgs[1].raw_text.find("071441Z"), std::string::npos);
  EXPECT_EQ(msgs[2].number, 81);
  EXPECT_EQ(msgs[2].title, "HYDROARC 81/26(15).");

  // The neighbour's date-time group does not change the first message.
  const auto alone = ParseBulletin(
      "052223Z SEP 26\nHYDROLANT 1783/26.\nNORTH ATLANTIC.\n1. HAZARDOUS OPERATIONS, SPACE DEBRIS\n");
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].raw_text, msgs[0].raw_text);
}

TEST(ParseBulletin, UnstructuredTextIsOneMessageAndEmptyTextNone) {
  const auto one = ParseBulletin("some text without any header at all");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].title, "some text without any header at all");
  EXPECT_TRUE(ParseBulletin("  \n---\n").empty());
  // Rest text beside frames is dropped.
  EXPECT_EQ(ParseBulletin("noise before\nZCZC IA01\nTEXT\nNNNN\nnoise after").size(), 1u);
}

TEST(SplitSections, HeadersKindsAndLabels) {
  const std::string t =
      "lead text\n"
      "===== NAVAREA 3 (cache) =====\nnav three\n"
      "===== COASTAL navtex hub =====\ncoastal text\n"
      "===== EXTRA FEED UKHO =====\nukho text\n"
      "===== EXTRA https://example.org/feed =====\nextra text\n"
      "===== NAVAREA 12 =====\n"
      "===== SOMETHING =====\nplain body\n";
  const auto s = SplitSections(t);
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(s[0].kind, SECTION_PLAIN);
  EXPECT_EQ(s[0].text, "lead text\n");
  EXPECT_EQ(s[1].kind, SECTION_NAVAREA);
  EXPECT_EQ(s[1].navarea, 3);
  EXPECT_EQ(s[1].text, "nav three\n");
  EXPECT_EQ(s[2].kind, SECTION_COASTAL);
  EXPECT_EQ(s[2].label, "coastal:navtex");
  EXPECT_EQ(s[3].kind, SECTION_EXTRA);
  EXPECT_EQ(s[3].label, "FEED UKHO");
  EXPECT_EQ(s[4].label, "https://example.org/feed");
  EXPECT_EQ(s[4].text, "extra text\n");
  // The empty NAVAREA 12 section is left out.
  EXPECT_EQ(s[5].kind, SECTION_PLAIN);
  EXPECT_EQ(s[5].text, "plain body\n");
}

TEST(SplitSections, RulersInsidePageTextDoNotCut) {
  const std::string t = "===== NAVAREA 4 =====\nline one\n=====================\nline two ===== inside\n";
  const auto s = SplitSections(t);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].navarea, 4);
  EXPECT_EQ(s[0].text, "line one\n=====================\nline two ===== inside\n");

  const auto plain = SplitSections("no headers at all");
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].kind, SECTION_PLAIN);
  EXPECT_TRUE(SplitSections("").empty());
  // A lone header line has no body: the whole text comes back as plain.
  const auto lone = SplitSections("===== NAVAREA 3 =====");
  ASSERT_EQ(lone.size(), 1u);
  EXPECT_EQ(lone[0].kind, SECTION_PLAIN);
  EXPECT_EQ(lone[0].text, "===== NAVAREA 3 =====");
}

}  // namespace
}  // namespace orvane
