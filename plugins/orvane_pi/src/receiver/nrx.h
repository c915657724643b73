// The ship's NAVTEX receiver: NMEA NRX sentences (both forms in use) and raw
// ZCZC ... NNNN teleprinter text, put back together into NAVTEX frames.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvane {

// One message as the receiver gave it, framed "ZCZC B1B2B3B4\n...\nNNNN".
struct ReceivedFrame {
  enum class Form { kIec, kLines, kRaw };
  std::string text;
  std::string code;            // B1B2B3B4; empty when the receiver gave none
  Form form = Form::kRaw;
  int64_t received_ms = 0;     // our clock when its last piece arrived
  std::string received_utc;    // the receiver's own time, "YYYY-MM-DDTHH:MM:SSZ", when it gave one
  double frequency_khz = -1;   // 490, 518, 4209.5; 0 not received over the air; -1 unknown
  int64_t total_chars = -1;    // the receiver's character counts, when given
  int64_t bad_chars = -1;
  double error_rate = -1;      // percent of characters received in error; -1 unknown
  bool status_valid = true;    // the sentence's status field said A (or nothing)
};

struct NrxCounters {
  int64_t sentences = 0;      // NRX sentences taken in
  int64_t bad_checksum = 0;   // dropped: checksum missing or wrong
  int64_t malformed = 0;      // dropped: not a sentence we can place, or a line too long
  int64_t incomplete = 0;     // messages given up: a piece missing after the time-out, or overtaken
  int64_t overflow = 0;       // messages dropped to keep within the bounds
  int64_t frames = 0;         // complete messages given out
};

// Feeds lines in; gives complete messages out. Memory stays bounded: at
// most kMaxAssembling messages in assembly and kMaxMessageBytes each; the
// oldest message gives way to a new one, an oversize message is dropped.
class NrxReassembler {
 public:
  static constexpr size_t kMaxAssembling = 64;
  static constexpr size_t kMaxMessageBytes = 64 * 1024;
  static constexpr int64_t kTimeoutMs = 2 * 60 * 1000;

  // One line as read (sentence or raw text, line end optional) at now_ms.
  void Feed(std::string_view line, int64_t now_ms, std::vector<ReceivedFrame>* out);
  // Gives up on messages that have waited longer than the time-out.
  void Expire(int64_t now_ms);
  // End of input: whatever is still in assembly counts as incomplete.
  void Finish();

  const NrxCounters& counters() const { return counters_; }
  size_t assembling() const { return parts_.size() + (raw_open_ ? 1 : 0); }

 private:
  struct Assembly {
    ReceivedFrame frame;           // what the first sentence said
    std::map<int, std::string> pieces;  // by sentence or line number
    int total = 0;
    size_t bytes = 0;
    int64_t last_ms = 0;
    uint64_t order = 0;            // when it started, to find the oldest
  };
  void FeedSentence(std::string_view sentence, int64_t now_ms, std::vector<ReceivedFrame>* out);
  void FeedRaw(std::string_view line, int64_t now_ms, std::vector<ReceivedFrame>* out);
  void AddPiece(const std::string& key, const ReceivedFrame& head, int number, int total, std::string piece,
                bool first_carries_head, int64_t now_ms, std::vector<ReceivedFrame>* out);
  void MakeRoom();

  std::unordered_map<std::string, Assembly> parts_;
  uint64_t next_order_ = 0;
  bool raw_open_ = false;
  Assembly raw_;
  NrxCounters counters_;
};

// The decoded text of an NRX field: "^hh" escapes become their byte.
std::string DecodeNrxEscapes(std::string_view field);

// "$" + body + "*hh": a sentence with its checksum, as a receiver sends it.
std::string NrxSentence(std::string_view body);

// True when a sentence's "*hh" checksum is present and right.
bool NrxChecksumOk(std::string_view sentence);

// The ZCZC ... NNNN text of a message body: a frame line or NNNN the body
// carries is not doubled, and the text ends at an NNNN inside it.
std::string FrameText(const std::string& code, std::string_view body);

// Receivers keep a message out when the same frame (B1B2B3B4 and text) was
// received in the last 72 hours: a repeat on another frequency or at the
// next broadcast. Bounded to the newest kMaxRemembered frames.
class FrameHistory {
 public:
  static constexpr int64_t kWindowMs = 72LL * 3600 * 1000;
  static constexpr size_t kMaxRemembered = 8192;
  // True when the frame is new; remembers it either way.
  bool IsNew(const std::string& code, const std::string& fingerprint, int64_t now_ms);

 private:
  std::unordered_map<std::string, int64_t> seen_;
  std::deque<std::pair<std::string, int64_t>> order_;
};

// A recorded receiver log (sentences of either form, or raw text) decoded
// at once, as `orvane nrx` does: its frames in order of completion, repeats
// within the log left out and counted.
struct ReceiverLog {
  std::vector<ReceivedFrame> frames;
  NrxCounters counters;
  int64_t duplicates = 0;
};
ReceiverLog DecodeReceiverLog(std::string_view text);

// True when more than max_percent of the frame's characters were received
// in error: its text is shown, its positions as doubtful.
bool IsGarbled(const ReceivedFrame& f, double max_percent);

}  // namespace orvane
