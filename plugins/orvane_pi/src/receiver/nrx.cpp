#include "receiver/nrx.h"

#include <algorithm>
#include <cstdio>

#include "common/text.h"
#include "parse/identity.h"

namespace orvane {
namespace {

constexpr size_t kMaxLineBytes = NrxReassembler::kMaxMessageBytes;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A whole number of at most 9 digits, or -1.
int64_t Number(std::string_view s) {
  s = TrimView(s);
  if (s.empty() || s.size() > 9) return -1;
  int64_t v = 0;
  for (char c : s) {
    if (!IsAsciiDigit(c)) return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

double Decimal(std::string_view s) {
  s = TrimView(s);
  if (s.empty() || s.size() > 16) return -1;
  double v = 0, scale = 0;
  for (char c : s) {
    if (c == '.' && scale == 0) {
      scale = 1;
    } else if (IsAsciiDigit(c)) {
      if (scale > 0) {
        scale /= 10;
        v += (c - '0') * scale;
      } else {
        v = v * 10 + (c - '0');
      }
    } else {
      return -1;
    }
  }
  return v;
}

// A B1B2B3B4 code: two letters and two digits.
bool IsFrameCode(std::string_view s) {
  return s.size() == 4 && IsAsciiUpper(s[0]) && IsAsciiUpper(s[1]) && IsAsciiDigit(s[2]) && IsAsciiDigit(s[3]);
}

// "YYYY-MM-DDTHH:MM:SSZ" from the receiver's fields; empty when they do not
// make a time.
std::string UtcText(std::string_view hhmmss, std::string_view day, std::string_view month, std::string_view year) {
  const std::string_view t = TrimView(hhmmss);
  if (t.size() < 6) return std::string();
  const int64_t h = Number(t.substr(0, 2)), mi = Number(t.substr(2, 2)), se = Number(t.substr(4, 2));
  int64_t d = Number(day), mo = Number(month), y = Number(year);
  if (y >= 0 && y < 100) y += 2000;
  if (h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 || se > 60 || d < 1 || d > 31 || mo < 1 || mo > 12 || y < 1970 ||
      y > 9999)
    return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(y),
                static_cast<long long>(mo), static_cast<long long>(d), static_cast<long long>(h),
                static_cast<long long>(mi), static_cast<long long>(se));
  return buf;
}

// The frequency of the IEC form's table index.
double FrequencyOfIndex(int64_t index) {
  static constexpr double kTable[] = {0.0, 490.0, 518.0, 4209.5};
  return index >= 0 && index <= 3 ? kTable[index] : -1;
}

// The frequency the other form states in kHz.
double FrequencyOfKhz(int64_t khz) {
  if (khz == 490 || khz == 518) return static_cast<double>(khz);
  if (khz == 4209) return 4209.5;
  return -1;
}

std::vector<std::string> SplitFields(std::string_view s) {
  std::vector<std::string> f;
  size_t b = 0;
  for (;;) {
    const size_t e = s.find(',', b);
    f.emplace_back(s.substr(b, e == std::string_view::npos ? std::string_view::npos : e - b));
    if (e == std::string_view::npos) break;
    b = e + 1;
  }
  return f;
}

// Fields from i on, joined again: a body whose commas were not escaped.
std::string JoinFrom(const std::vector<std::string>& f, size_t i) {
  std::string s;
  for (size_t k = i; k < f.size(); ++k) s += (k > i ? "," : "") + f[k];
  return s;
}

// The share of reception-error marks ("*") among a text's characters.
double MarkedErrorRate(std::string_view text) {
  size_t marks = 0, chars = 0;
  for (char c : text) {
    if (IsAsciiSpace(c)) continue;
    ++chars;
    if (c == '*') ++marks;
  }
  return chars == 0 ? 0.0 : 100.0 * static_cast<double>(marks) / static_cast<double>(chars);
}

}  // namespace

std::string DecodeNrxEscapes(std::string_view f) {
  std::string out;
  out.reserve(f.size());
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] == '^' && i + 2 < f.size() && HexValue(f[i + 1]) >= 0 && HexValue(f[i + 2]) >= 0) {
      const char c = static_cast<char>(HexValue(f[i + 1]) * 16 + HexValue(f[i + 2]));
      if (c != '\0') out += c;  // a NUL would end the text early downstream
      i += 2;
    } else {
      out += f[i];
    }
  }
  return out;
}

std::string NrxSentence(std::string_view body) {
  unsigned char x = 0;
  for (char c : body) x ^= static_cast<unsigned char>(c);
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "$";
  out.append(body);
  out += '*';
  out += kHex[x >> 4];
  out += kHex[x & 15];
  return out;
}

bool NrxChecksumOk(std::string_view s) {
  if (s.empty() || (s[0] != '$' && s[0] != '!')) return false;
  const size_t star = s.rfind('*');
  if (star == std::string_view::npos || star + 3 != s.size()) return false;
  const int hi = HexValue(s[star + 1]), lo = HexValue(s[star + 2]);
  if (hi < 0 || lo < 0) return false;
  unsigned char x = 0;
  for (size_t i = 1; i < star; ++i) x ^= static_cast<unsigned char>(s[i]);
  return x == hi * 16 + lo;
}

std::string FrameText(const std::string& code_in, std::string_view body) {
  std::string code = code_in;
  std::string_view b = TrimView(body);
  // A frame line the body carries itself, with the code when we had none.
  if (StartsWith(b, "ZCZC")) {
    std::string_view rest = b.substr(4);
    const size_t nl = rest.find('\n');
    const std::string_view head = TrimView(rest.substr(0, nl));
    if (code.empty() && head.size() >= 4 && IsFrameCode(head.substr(0, 4))) code = std::string(head.substr(0, 4));
    b = nl == std::string_view::npos ? std::string_view() : TrimView(rest.substr(nl + 1));
  }
  // One message: it ends at its NNNN, and never runs into the next frame.
  const size_t end = std::min(b.find("NNNN"), b.find("ZCZC"));
  if (end != std::string_view::npos) b = TrimView(b.substr(0, end));
  if (!IsFrameCode(code)) code = "????";
  std::string out = "ZCZC " + code + "\n";
  out.append(b);
  if (!b.empty()) out += '\n';
  out += "NNNN";
  return out;
}

void NrxReassembler::Feed(std::string_view line, int64_t now_ms, std::vector<ReceivedFrame>* out) {
  Expire(now_ms);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.size() > kMaxLineBytes) {
    ++counters_.malformed;
    return;
  }
  const std::string_view t = TrimView(line);
  // A sentence, possibly after a logger's time stamp; another talker's
  // sentence is not ours; anything else is teleprinter text.
  const size_t dollar = t.find_first_of("$!");
  if (dollar != std::string_view::npos && t.size() - dollar >= 7 && t.compare(dollar + 3, 3, "NRX") == 0) {
    FeedSentence(t.substr(dollar), now_ms, out);
    return;
  }
  if (dollar == 0) return;
  FeedRaw(line, now_ms, out);
}

void NrxReassembler::FeedSentence(std::string_view s, int64_t now_ms, std::vector<ReceivedFrame>* out) {
  ++counters_.sentences;
  if (!NrxChecksumOk(s)) {
    ++counters_.bad_checksum;
    return;
  }
  const std::vector<std::string> f = SplitFields(s.substr(0, s.rfind('*')));
  if (f.size() < 3) {
    ++counters_.malformed;
    return;
  }
  ReceivedFrame head;
  if (IsFrameCode(TrimView(f[1]))) {
    // One sentence per text line: code, line, lines, kHz, day, month, year,
    // time, error rate, text.
    if (f.size() < 11) {
      ++counters_.malformed;
      return;
    }
    head.form = ReceivedFrame::Form::kLines;
    head.code = std::string(TrimView(f[1]));
    head.frequency_khz = FrequencyOfKhz(Number(f[4]));
    head.received_utc = UtcText(f[8], f[5], f[6], f[7]);
    head.error_rate = Decimal(f[9]);
    const int64_t line_no = Number(f[2]), lines = Number(f[3]);
    if (line_no < 1 || line_no > 999 || (lines >= 0 && (lines < line_no || lines > 999))) {
      ++counters_.malformed;
      return;
    }
    AddPiece("L:" + head.code, head, static_cast<int>(line_no), static_cast<int>(lines),
             DecodeNrxEscapes(JoinFrom(f, 10)), false, now_ms, out);
    return;
  }
  // The IEC form: sentences, number, sequential id, code, frequency index,
  // time, day, month, year, characters, bad characters, status, body.
  if (f.size() < 14) {
    ++counters_.malformed;
    return;
  }
  const int64_t total = Number(f[1]), number = Number(f[2]);
  const std::string seq(TrimView(f[3]));
  const std::string code(TrimView(f[4]));
  if (total < 1 || total > 999 || number < 1 || number > total || (seq.empty() && code.empty())) {
    ++counters_.malformed;
    return;
  }
  head.form = ReceivedFrame::Form::kIec;
  head.code = IsFrameCode(code) ? code : std::string();
  if (!TrimView(f[5]).empty()) head.frequency_khz = FrequencyOfIndex(Number(f[5]));
  head.received_utc = UtcText(f[6], f[7], f[8], f[9]);
  head.total_chars = Number(f[10]);
  head.bad_chars = Number(f[11]);
  head.status_valid = TrimView(f[12]) != "V";
  AddPiece("I:" + (seq.empty() ? code : seq), head, static_cast<int>(number), static_cast<int>(total),
           DecodeNrxEscapes(JoinFrom(f, 13)), number == 1, now_ms, out);
}

void NrxReassembler::MakeRoom() {
  while (parts_.size() >= kMaxAssembling) {
    auto oldest = parts_.begin();
    for (auto it = parts_.begin(); it != parts_.end(); ++it)
      if (it->second.order < oldest->second.order) oldest = it;
    parts_.erase(oldest);
    ++counters_.overflow;
  }
}

void NrxReassembler::AddPiece(const std::string& key, const ReceivedFrame& head, int number, int total,
                              std::string piece, bool first_carries_head, int64_t now_ms,
                              std::vector<ReceivedFrame>* out) {
  auto it = parts_.find(key);
  // The same piece again: a new broadcast of that message overtakes the
  // one still missing pieces.
  if (it != parts_.end() && it->second.pieces.count(number)) {
    ++counters_.incomplete;
    parts_.erase(it);
    it = parts_.end();
  }
  if (it == parts_.end()) {
    MakeRoom();
    Assembly a;
    a.frame.form = head.form;
    a.order = next_order_++;
    it = parts_.emplace(key, std::move(a)).first;
  }
  Assembly& a = it->second;
  ReceivedFrame& fr = a.frame;
  // The first sentence carries every field; later ones may leave them out.
  if (fr.code.empty()) fr.code = head.code;
  if (fr.frequency_khz < 0) fr.frequency_khz = head.frequency_khz;
  if (fr.received_utc.empty()) fr.received_utc = head.received_utc;
  if (first_carries_head || fr.total_chars < 0) {
    if (head.total_chars >= 0) fr.total_chars = head.total_chars;
    if (head.bad_chars >= 0) fr.bad_chars = head.bad_chars;
  }
  fr.error_rate = std::max(fr.error_rate, head.error_rate);
  fr.status_valid = fr.status_valid && head.status_valid;
  if (total > 0) a.total = total;
  a.bytes += piece.size();
  if (a.bytes > kMaxMessageBytes) {
    ++counters_.overflow;
    parts_.erase(it);
    return;
  }
  a.pieces[number] = std::move(piece);
  a.last_ms = now_ms;
  if (a.total <= 0 || a.pieces.size() != static_cast<size_t>(a.total) || a.pieces.rbegin()->first != a.total) return;

  std::string body;
  for (const auto& [n, p] : a.pieces) {
    if (fr.form == ReceivedFrame::Form::kLines && !body.empty()) body += '\n';
    body += p;
  }
  ReceivedFrame done = std::move(fr);
  if (done.total_chars > 0 && done.bad_chars >= 0)
    done.error_rate = 100.0 * static_cast<double>(done.bad_chars) / static_cast<double>(done.total_chars);
  done.text = FrameText(done.code, body);
  done.received_ms = now_ms;
  parts_.erase(it);
  ++counters_.frames;
  out->push_back(std::move(done));
}

void NrxReassembler::FeedRaw(std::string_view line, int64_t now_ms, std::vector<ReceivedFrame>* out) {
  std::string_view rest = line;
  while (!rest.empty()) {
    if (!raw_open_) {
      const size_t z = rest.find("ZCZC");
      if (z == std::string_view::npos) return;  // outside any frame
      raw_open_ = true;
      raw_ = Assembly();
      raw_.frame.form = ReceivedFrame::Form::kRaw;
      raw_.last_ms = now_ms;
      std::string_view after = rest.substr(z + 4);
      size_t k = 0;
      while (k < after.size() && (after[k] == ' ' || after[k] == '\t')) ++k;
      if (after.size() - k >= 4 && IsFrameCode(after.substr(k, 4))) {
        raw_.frame.code = std::string(after.substr(k, 4));
        k += 4;
      }
      rest = after.substr(k);
      continue;
    }
    raw_.last_ms = now_ms;
    const size_t z = rest.find("ZCZC");
    const size_t n = rest.find("NNNN");
    if (z != std::string_view::npos && (n == std::string_view::npos || z < n)) {
      // A new frame before this one ended: this one lost its end.
      ++counters_.incomplete;
      raw_open_ = false;
      rest = rest.substr(z);
      continue;
    }
    const std::string_view piece = rest.substr(0, n);
    const std::string& body = raw_.pieces[0];
    if (body.size() + piece.size() + 1 > kMaxMessageBytes) {
      ++counters_.overflow;
      raw_open_ = false;
      return;
    }
    raw_.pieces[0].append(piece);
    if (n == std::string_view::npos) {
      raw_.pieces[0] += '\n';
      return;
    }
    ReceivedFrame done = std::move(raw_.frame);
    done.error_rate = MarkedErrorRate(raw_.pieces[0]);
    done.text = FrameText(done.code, raw_.pieces[0]);
    done.received_ms = now_ms;
    raw_open_ = false;
    ++counters_.frames;
    out->push_back(std::move(done));
    rest = rest.substr(n + 4);
  }
}

void NrxReassembler::Expire(int64_t now_ms) {
  for (auto it = parts_.begin(); it != parts_.end();) {
    if (now_ms - it->second.last_ms > kTimeoutMs) {
      ++counters_.incomplete;
      it = parts_.erase(it);
    } else {
      ++it;
    }
  }
  if (raw_open_ && now_ms - raw_.last_ms > kTimeoutMs) {
    ++counters_.incomplete;
    raw_open_ = false;
  }
}

void NrxReassembler::Finish() {
  counters_.incomplete += static_cast<int64_t>(parts_.size()) + (raw_open_ ? 1 : 0);
  parts_.clear();
  raw_open_ = false;
}

bool FrameHistory::IsNew(const std::string& code, const std::string& fingerprint, int64_t now_ms) {
  while (!order_.empty() && (now_ms - order_.front().second > kWindowMs || order_.size() > kMaxRemembered)) {
    auto it = seen_.find(order_.front().first);
    if (it != seen_.end() && it->second == order_.front().second) seen_.erase(it);
    order_.pop_front();
  }
  const std::string key = code + "|" + fingerprint;
  auto it = seen_.find(key);
  const bool fresh = it == seen_.end() || now_ms - it->second > kWindowMs;
  seen_[key] = now_ms;
  order_.emplace_back(key, now_ms);
  return fresh;
}

ReceiverLog DecodeReceiverLog(std::string_view text) {
  ReceiverLog log;
  NrxReassembler r;
  FrameHistory history;
  std::vector<ReceivedFrame> frames;
  // A log has no clock of its own: one millisecond a line keeps its
  // messages together however slowly they were received.
  int64_t now = 0;
  size_t b = 0;
  while (b < text.size()) {
    size_t e = text.find('\n', b);
    if (e == std::string_view::npos) e = text.size();
    r.Feed(text.substr(b, e - b), ++now, &frames);
    b = e + 1;
  }
  r.Finish();
  for (ReceivedFrame& f : frames) {
    if (!history.IsNew(f.code, MessageFingerprint(f.text), f.received_ms)) {
      ++log.duplicates;
      continue;
    }
    log.frames.push_back(std::move(f));
  }
  log.counters = r.counters();
  return log;
}

bool IsGarbled(const ReceivedFrame& f, double max_percent) { return f.error_rate > max_percent; }

}  // namespace orvane
