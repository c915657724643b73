// The receiver's reassembler: NRX sentences of both forms and raw teleprinter
// text into NAVTEX frames, with its checks, time-out, repeats and bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "parse/bulletin.h"
#include "parse/identity.h"
#include "receiver/nrx.h"
#include "test_support.h"

namespace orvane {
namespace {

// A sentence with its checksum, from everything between '$' and '*'.
std::string S(const std::string& body) { return NrxSentence(body); }

struct Fed {
  std::vector<ReceivedFrame> frames;
  NrxCounters counters;
};

// Lines fed a second apart, then the end of input.
Fed Feed(const std::vector<std::string>& lines) {
  NrxReassembler r;
  Fed run;
  int64_t now = 0;
  for (const std::string& l : lines) r.Feed(l, now += 1000, &run.frames);
  r.Finish();
  run.counters = r.counters();
  return run;
}

TEST(NrxSentences, BothFormsAndRawTextBecomeFrames) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::vector<std::string> frames;  // texts, in order of completion
  };
  const Case cases[] = {
      {"the IEC form, two sentences",
       {S("CRNRX,2,1,3,IA21,2,110900.00,11,12,2026,80,1,A,NAVAREA III 0412/26^0D^0ABLACK SEA^0D^0A"),
        S("CRNRX,2,2,3,,,,,,,,,,MINE IN 41-32.4N 029-11.6E^0D^0A")},
       {"ZCZC IA21\nNAVAREA III 0412/26\r\nBLACK SEA\r\nMINE IN 41-32.4N 029-11.6E\nNNNN"}},
      {"the receivers' manual form, one sentence a line, any talker",
       {S("NXNRX,TA21,1,4,518,10,01,2005,102000,2.2,291600 UTC JAN ="),
        S("NXNRX,TA21,2,4,,,,,,,OOSTENDERADIO MSI 001/05"), S("NXNRX,TA21,3,4,,,,,,,WESTHINDER"),
        S("NXNRX,TA21,4,4,,,,,,,POSITION 51-24.94N 002-40.02E.+")},
       {"ZCZC TA21\n291600 UTC JAN =\nOOSTENDERADIO MSI 001/05\nWESTHINDER\nPOSITION 51-24.94N 002-40.02E.+\nNNNN"}},
      {"every escape",
       {S("INNRX,1,1,0,GA01,2,,,,,,,,A^0DB^0AC^24D^2AE^2CF^21G^5CH^5EI^7EJ")},
       {"ZCZC GA01\nA\rB\nC$D*E,F!G\\H^I~J\nNNNN"}},
      {"sentences out of order, and a body the receiver framed itself",
       {S("CRNRX,2,2,5,,,,,,,,,,LINE TWO^0D^0ANNNN"), S("CRNRX,2,1,5,LA01,1,,,,,,,,ZCZC LA01^0D^0ALINE ONE^0D^0A")},
       {"ZCZC LA01\nLINE ONE\r\nLINE TWO\nNNNN"}},
      {"interleaved messages; one code, two sequential ids",
       {S("CRNRX,2,1,3,JD05,2,,,,,,,,FIRST A "), S("CRNRX,2,1,4,JD05,1,,,,,,,,SECOND A "),
        S("CRNRX,2,2,3,,,,,,,,,,FIRST B"), S("CRNRX,2,2,4,,,,,,,,,,SECOND B")},
       {"ZCZC JD05\nFIRST A FIRST B\nNNNN", "ZCZC JD05\nSECOND A SECOND B\nNNNN"}},
      {"raw teleprinter text, other talkers' sentences and stray lines between",
       {"NOISE BEFORE", "ZCZC GA33", S("GPRMC,110901.00,A,4130.000,N,02910.000,E,5.0,45.0,111226,,,A"), "WZ 1421",
        "BUOY 56-31.2N 005-58.7W OFF STATION.", "NNNN", "NOISE AFTER"},
       {"ZCZC GA33\nWZ 1421\nBUOY 56-31.2N 005-58.7W OFF STATION.\nNNNN"}},
      {"a frame stored without line breaks",
       {"ZCZC NA22110905 UTC MAR 19NORWEGIAN NAV. WARNING 184/2019 RACON 63-12.0N 007-43.8E IS INOPERATIVENNNN"},
       {"ZCZC NA22\n110905 UTC MAR 19NORWEGIAN NAV. WARNING 184/2019 RACON 63-12.0N 007-43.8E IS INOPERATIVE\nNNNN"}},
      {"a code the receiver could not read",
       {S("CRNRX,1,1,9,,2,,,,,,,,TEXT")}, {"ZCZC ????\nTEXT\nNNNN"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Fed run = Feed(c.lines);
    ASSERT_EQ(run.frames.size(), c.frames.size());
    for (size_t i = 0; i < c.frames.size(); ++i) EXPECT_EQ(run.frames[i].text, c.frames[i]);
    EXPECT_EQ(run.counters.bad_checksum, 0);
    EXPECT_EQ(run.counters.incomplete, 0);
  }
}

TEST(NrxSentences, ReceiverFiguresAreKept) {
  const Fed iec = Feed({S("CRNRX,1,1,3,IA21,3,110900.50,11,12,26,200,15,V,TEXT")});
  ASSERT_EQ(iec.frames.size(), 1u);
  const ReceivedFrame& f = iec.frames[0];
  EXPECT_EQ(f.form, ReceivedFrame::Form::kIec);
  EXPECT_EQ(f.code, "IA21");
  EXPECT_EQ(f.received_utc, "2026-12-11T11:09:00Z");
  EXPECT_EQ(f.frequency_khz, 4209.5);
  EXPECT_EQ(f.total_chars, 200);
  EXPECT_EQ(f.bad_chars, 15);
  EXPECT_DOUBLE_EQ(f.error_rate, 7.5);
  EXPECT_FALSE(f.status_valid);
  EXPECT_TRUE(IsGarbled(f, 4.0));
  // Frequency indexes: 0 is not over the air; anything else unknown.
  for (const auto& [index, khz] : std::vector<std::pair<std::string, double>>{{"0", 0}, {"1", 490}, {"2", 518}, {"7", -1}})
    EXPECT_EQ(Feed({S("CRNRX,1,1,3,IA21," + index + ",,,,,,,A,T")}).frames.at(0).frequency_khz, khz) << index;
  const Fed lines = Feed({S("NXNRX,TA21,1,1,490,10,01,2005,102000,2.2,TEXT")});
  ASSERT_EQ(lines.frames.size(), 1u);
  EXPECT_EQ(lines.frames[0].received_utc, "2005-01-10T10:20:00Z");
  EXPECT_EQ(lines.frames[0].frequency_khz, 490);
  EXPECT_DOUBLE_EQ(lines.frames[0].error_rate, 2.2);
  EXPECT_FALSE(IsGarbled(lines.frames[0], 4.0));
  // Raw text: the share of reception-error marks.
  const Fed raw = Feed({"ZCZC KA18", "AB*D", "NNNN"});
  ASSERT_EQ(raw.frames.size(), 1u);
  EXPECT_DOUBLE_EQ(raw.frames[0].error_rate, 25.0);
}

TEST(NrxSentences, BadSentencesAreCountedAndNeverHalfUsed) {
  const std::string good = S("CRNRX,2,1,3,IA21,2,,,,,,,,PART ONE ");
  std::string wrong = S("CRNRX,2,2,3,,,,,,,,,,PART TWO");
  wrong.back() = wrong.back() == '0' ? '1' : '0';
  const Fed run = Feed({good, wrong, "$CRNRX,2,2,3,,,,,,,,,,PART TWO", S("CRNRX,X,1,3,IA21,2,,,,,,,,T"),
                        S("CRNRX,2,3,3,IA21,2,,,,,,,,T"), S("NXNRX,TA21,0,4,,,,,,,T")});
  EXPECT_TRUE(run.frames.empty());
  EXPECT_EQ(run.counters.sentences, 6);
  EXPECT_EQ(run.counters.bad_checksum, 2);  // wrong, and missing
  EXPECT_EQ(run.counters.malformed, 3);     // no count, number beyond count, line 0
  EXPECT_EQ(run.counters.incomplete, 1);    // the first part, never completed
}

TEST(NrxSentences, MissingPiecesTimeOutAndARebroadcastOvertakes) {
  NrxReassembler r;
  std::vector<ReceivedFrame> out;
  r.Feed(S("CRNRX,3,1,3,IA21,2,,,,,,,,ONE "), 0, &out);
  r.Feed(S("CRNRX,3,3,3,,,,,,,,,,THREE"), 1000, &out);  // the middle one never comes
  EXPECT_EQ(r.assembling(), 1u);
  r.Expire(1000 + NrxReassembler::kTimeoutMs);
  EXPECT_EQ(r.assembling(), 1u);  // not yet: two minutes since its last piece
  r.Expire(1001 + NrxReassembler::kTimeoutMs);
  EXPECT_EQ(r.assembling(), 0u);
  EXPECT_EQ(r.counters().incomplete, 1);
  // The next broadcast of a message starts it again.
  r.Feed(S("NXNRX,TA21,1,2,518,,,,,,FIRST TRY"), 200000, &out);
  r.Feed(S("NXNRX,TA21,1,2,518,,,,,,SECOND TRY"), 201000, &out);
  r.Feed(S("NXNRX,TA21,2,2,,,,,,,END"), 202000, &out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].text, "ZCZC TA21\nSECOND TRY\nEND\nNNNN");
  EXPECT_EQ(r.counters().incomplete, 2);
  EXPECT_EQ(r.counters().frames, 1);
}

TEST(NrxSentences, MemoryStaysBounded) {
  NrxReassembler r;
  std::vector<ReceivedFrame> out;
  // 65 messages in assembly: the oldest gives way.
  for (int i = 0; i < 65; ++i) r.Feed(S("CRNRX,2,1," + std::to_string(i) + ",IA21,2,,,,,,,,T"), i, &out);
  EXPECT_EQ(r.assembling(), NrxReassembler::kMaxAssembling);
  EXPECT_EQ(r.counters().overflow, 1);
  // A message beyond 64 KB is dropped, whole.
  const std::string chunk(1000, 'X');
  for (int k = 1; k <= 70; ++k) r.Feed(S("CRNRX,70," + std::to_string(k) + ",900,GA01,2,,,,,,,," + chunk), 100 + k, &out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(r.counters().overflow, 3);  // the big one, and the oldest twice to make room
  // Raw text too.
  r.Feed("ZCZC GA02", 1000, &out);
  for (int k = 0; k < 70; ++k) r.Feed(chunk, 1001 + k, &out);
  r.Feed("NNNN", 1100, &out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(r.counters().overflow, 4);
  // A line longer than any message is not looked at.
  r.Feed(std::string(NrxReassembler::kMaxMessageBytes + 1, 'Y'), 1200, &out);
  EXPECT_EQ(r.counters().malformed, 1);
}

TEST(NrxSentences, RepeatsWithinThreeDaysAreNotNew) {
  FrameHistory h;
  const std::string fp = MessageFingerprint("ZCZC OA42\nWZ 1419\nWRECK 53-12.6N 002-41.3E\nNNNN");
  const int64_t hour = 3600 * 1000;
  EXPECT_TRUE(h.IsNew("OA42", fp, 0));
  EXPECT_FALSE(h.IsNew("OA42", fp, 4 * hour));        // the next broadcast
  EXPECT_TRUE(h.IsNew("OA43", fp, 5 * hour));         // another frame code
  EXPECT_FALSE(h.IsNew("OA42", fp, 4 * hour + 72 * hour));  // within 72 h of the last time it was heard
  EXPECT_TRUE(h.IsNew("OA42", fp, 4 * hour + 144 * hour + 1));
}

TEST(NrxLog, TheRecordedReceiverLogDecodes) {
  const ReceiverLog log = DecodeReceiverLog(test::ReadFile(ORVANE_TEST_DATA_DIR "/navtex_receiver.nmea"));
  std::vector<std::string> codes;
  for (const ReceivedFrame& f : log.frames) codes.push_back(f.code);
  EXPECT_EQ(codes, (std::vector<std::string>{"IA21", "OA42", "JD05", "JD05", "TA21", "LA14", "PA17", "GA33", "KA18",
                                             "SA22", "HA11"}));
  EXPECT_EQ(log.duplicates, 1);  // the wreck again on 4209.5 kHz
  EXPECT_EQ(log.counters.bad_checksum, 1);
  EXPECT_EQ(log.counters.incomplete, 2);
  // Each frame parses as the NAVTEX message it is, at its positions.
  const auto m = ParseBulletin(log.frames[6].text);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].station_id, "PA17");
  ASSERT_EQ(m[0].geoms.size(), 1u);
  EXPECT_EQ(m[0].geoms[0].kind, GEOM_POLYGON);
  EXPECT_EQ(ParseBulletin(log.frames[2].text).at(0).type, SAR_OPS);
}

}  // namespace
}  // namespace orvane
