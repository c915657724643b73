// Real pages hold many warnings: each header form opens its own message,
// titles are the header or subject line, and a page of corpus warnings
// splits into exactly its warnings with the ids they have alone.
#include <gtest/gtest.h>

#include <map>

#include "common/text.h"
#include "corpus_chunks.h"
#include "parse/bulletin.h"
#include "parse/header.h"

namespace orvane {
namespace {

// Every header form a real page uses, each beside a neighbour warning: the
// page must come out as two messages, the second opened by the form.
TEST(ParseBulletin, EveryHeaderFormOpensAMessage) {
  const std::string first = "NAVAREA III - 0139/26 BLACK SEA\nWRECK 43-00N 030-00E.\n";
  struct Case {
    const char* header;  // the real header line
    int32_t number;
    Series series;
    const char* issuer;
  };
  const Case cases[] = {
      {"HYDROLANT 1780/26.", 1780, Series::HYDROLANT, ""},
      {"HYDROPAC 1782/26.", 1782, Series::HYDROPAC, ""},
      {"  HYDROARC 81/26(15).", 81, Series::HYDROARC, ""},
      {"TURNHOS N/W 1024/20", 1024, Series::NATIONAL, "TURNHOS"},
      {"GERMAN NAV WARN 403/26", 403, Series::NATIONAL, "GERMAN"},
      {"[Baltic] GERMAN NAV WARN 403/26", 403, Series::NATIONAL, "GERMAN"},
      {"POLISH NAV WARN 042/19", 42, Series::NATIONAL, "POLISH"},
      {"NORWEGIAN NAV. WARNING 159/2019", 159, Series::NATIONAL, "NORWEGIAN"},
      {"KALININGRAD NAV WARN 55/26", 55, Series::NATIONAL, "KALININGRAD"},
      {"KAL NAV WARN 043/19", 43, Series::NATIONAL, "KALININGRAD"},
      {"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x9F \xD0\x9C\xD0\xA3\xD0\xA0\xD0\x9C\xD0\x90\xD0\x9D\xD0\xA1\xD0\x9A 123/26", 123,
       Series::NATIONAL, "PRIP"},  // ПРИП МУРМАНСК 123/26
      {"--- NAVAREA I 223/26 ---", 223, Series::NAVAREA, ""},
      {"COASTAL WARNING NR. 143/19 FEB 27", 143, Series::NATIONAL, "COASTAL"},
      {"COASTAL WARNING NR.119/19 FEB 13", 119, Series::NATIONAL, "COASTAL"},
      {"NAV WARNING NO. 031/2019.", 31, Series::NATIONAL, "NAV"},
      {"WZ 1298", 1298, Series::NATIONAL, "WZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    HeaderLine h;
    ASSERT_TRUE(ReadHeaderLine(UpperAscii(TrimView(c.header)), &h));
    EXPECT_EQ(h.series, c.series);
    EXPECT_EQ(h.issuer, c.issuer);
    EXPECT_EQ(h.serial, c.number);
    const auto msgs = ParseBulletin(first + c.header + "\nNORTH SEA. BUOY 55-00N 003-00E UNLIT.\n");
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].number, 139);
    EXPECT_EQ(msgs[0].raw_text, CleanText(first));
    EXPECT_EQ(msgs[1].number, c.number);
    EXPECT_EQ(msgs[1].title, Trim(c.header));
  }
}

// Lines that name a series but open nothing stay in their message.
TEST(ParseBulletin, LinesThatOnlyNameASeriesStayInTheirMessage) {
  const char* lines[] = {
      "CANCEL GERMAN NAV WARN 200/19",           // a cancellation (NAVTEX JA63)
      "CANCEL WZ 1160 (GA87)(OA60).",            // NAVTEX GA83
      "NAVTEX STATION SAN JUAN (R) OFF AIR.",    // a transmitter in a body
      "GERMAN NAV WARN 403/26 CANCELLED.",       // a cancelled-notice
      "TURNHOS STATION REPORTS.",                // the word without its serial
      "WZ STANDS FOR UK COASTAL WARNINGS.",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    const auto msgs = ParseBulletin(std::string("NAVAREA III - 0139/26 BLACK SEA\nWRECK 43-00N 030-00E.\n") + line +
                                    "\nSECOND LINE OF THE SAME WARNING.\n");
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_NE(msgs[0].raw_text.find(line), std::string::npos);
  }
}

// "MSGID/GENADMIN/...// RMKS/" belongs to the warning after it, and a date-
// time group line before a header to that header's warning.
TEST(ParseBulletin, PreamblesAndDateTimeGroupsGoWithTheWarningAfterThem) {
  const std::string a = "052223Z SEP 26\nNAVAREA IV 862/26.\nNORTH ATLANTIC.\nWRECK 10-00N 050-00W.\n";
  const std::string b =
      "MSGID/GENADMIN/NGA NAVSAFETY WASHINGTON DC//\nRMKS/\nNAVAREA IV 141/22(28).\nGULF OF HONDURAS.\n"
      "HUNTING CAY LIGHT 16-06.5N 088-16.0W UNLIT.\n";
  const std::string c = "071912Z SEP 26\nMSGID/GENADMIN/NGA NAVSAFETY WASHINGTON DC//\nRMKS/\n"
                        "NAVAREA IV 144/21(28).\nPUERTO MORELOS LIGHT 20-50.2N 086-55.0W UNRELIABLE.\n";
  const auto msgs = ParseBulletin(a + b + c);
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(msgs[0].raw_text, CleanText(a));
  EXPECT_EQ(msgs[1].raw_text, CleanText(b));
  EXPECT_EQ(msgs[2].raw_text, CleanText(c));
  EXPECT_EQ(msgs[1].number, 141);
  EXPECT_EQ(msgs[1].title, "NAVAREA IV 141/22(28).");
  EXPECT_EQ(msgs[2].title, "NAVAREA IV 144/21(28).");
  // A frame stays one message whatever it holds.
  const auto frame = ParseBulletin("ZCZC BA31\nNAVAREA IX\nNAV WARNING NO. 031/2019.\nWZ 12\nNNNN\n");
  ASSERT_EQ(frame.size(), 1u);
}

// Titles: the header line, or the first subject line; never a date-time
// group, a frame code or a bare station line (real NAVTEX frames).
TEST(ParseMessage, TitlesSkipTimesFrameCodesAndStations) {
  struct Case {
    const char* text;
    const char* title;
  };
  const Case cases[] = {
      {"ZCZC NA01\n291433 UTC DES 12\nNORWEGIAN NAV.WARNING 581 / 2012\nCHART 43\nNNNN",
       "NORWEGIAN NAV.WARNING 581 / 2012"},
      {"ZCZC SA47\nNCC-HAMBURG\n031600 UTC MAR 19\nNAV. WARN. NO. 182\nNAV. WARN. NO. 165 CANCELLED.\nNNNN",
       "NAV. WARN. NO. 182"},
      {"ZCZC PA68\nNETHERLANDS COASTGUARD\nNAVIGATIONAL WARNING NR. 68 021952 UTC MAR\nNNNN",
       "NAVIGATIONAL WARNING NR. 68 021952 UTC MAR"},
      {"ZCZC BA31\n160546 UTC FEB 2019\nHAMALA\nBAHRAINRADIO/A9M\n0525 UTC 16TH FEBRUARY 2019\n"
       "NAVAREA IX(ARABIAN GULF AND APPR\nOACHES)\nNNNN",
       "NAVAREA IX(ARABIAN GULF AND APPR"},
      {"ZCZC PA30\n02 MAR 2019 22.30 UTC\nRCC-HAIFA\nNAVAREA III 000329\nNX 1\nNNNN", "NAVAREA III 000329"},
      {"ZCZC UA01\n012320 UTC MAR 19\nMONDOLFO RADIO\nCOASTAL WARNING NR.119/19 FEB 13\nNNNN",
       "COASTAL WARNING NR.119/19 FEB 13"},
      {"ZCZC SE62\n010300 NAVTEX-HAMBURG (NCC)\nWEATHERFORECAST FOR GERMAN BIGHT UNTIL 01.03.2019 18 UTC:\nNNNN",
       "WEATHERFORECAST FOR GERMAN BIGHT UNTIL 01.03.2019 18 UTC:"},
      {"ZCZC WB15\n01 1630 UTC MAR19\nMAKHACHKALA WEATHER 01.03.19\nNNNN", "MAKHACHKALA WEATHER 01.03.19"},
      {"PA16\nNETHERLANDS COASTGUAD\nNVIGATIONAL WARNING NR. 16 140201 UTC DEC\nNORTH HINDER JUNCTION",
       "NVIGATIONAL WARNING NR. 16 140201 UTC DEC"},
      {"ZCZC FB93\n282349 UTC FEB\nBALTIC SEA MET WARN\nGALE WARNING\nNNNN", "BALTIC SEA MET WARN"},
      // Nothing but a time: the time stays the title.
      {"ZCZC IA01\n291433 UTC DES 12\nNNNN", "291433 UTC DES 12"},
      // A station line with nothing after it is the title.
      {"NCC-HAMBURG", "NCC-HAMBURG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseMessage(c.text).title, c.title);
  }
}

// Every corpus file, its chunks joined with blank lines into one page,
// splits into exactly its chunks, each with the id it has alone.
TEST(SplitCorpus, JoinedFilesSplitIntoTheirChunksWithTheSameIds) {
  if (test::CorpusChunks().empty()) GTEST_SKIP() << "no corpus at " << ORVANE_CORPUS_DIR;
  std::map<std::string, std::vector<const test::CorpusChunk*>> files;
  for (const test::CorpusChunk& c : test::CorpusChunks()) files[c.file].push_back(&c);
  size_t total = 0;
  for (const auto& [file, chunks] : files) {
    SCOPED_TRACE(file);
    std::string page;
    std::vector<std::string> alone;
    for (const test::CorpusChunk* c : chunks) {
      if (!page.empty()) page += "\n";
      page += c->text;
      const auto msgs = ParseBulletin(c->text);
      ASSERT_EQ(msgs.size(), 1u) << c->text;
      alone.push_back(msgs[0].id);
    }
    const auto joined = ParseBulletin(page);
    ASSERT_EQ(joined.size(), chunks.size());
    // Frames come first, then header messages: each file is of one kind,
    // so the order is the chunks' order.
    for (size_t i = 0; i < joined.size(); ++i) EXPECT_EQ(joined[i].id, alone[i]) << chunks[i]->text;
    total += joined.size();
  }
  EXPECT_EQ(total, 284u);
}

}  // namespace
}  // namespace orvane
