#include "parse/bulletin.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "common/text.h"
#include "parse/classify.h"
#include "parse/identity.h"
#include "parse/positions.h"

namespace orvane {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Words that open a warning when they begin a line. NGA pages head their
// warnings with HYDROLANT, HYDROPAC and HYDROARC serials.
constexpr const char* kHeaderWords[] = {"NAVAREA ", "NAVTEX ", "HYDROLANT ", "HYDROPAC ", "HYDROARC "};

// True when the upper-cased line (leading blanks already skipped) opens a
// message. Warnings name transmitters in their bodies ("NAVTEX STATION SAN
// JUAN (R) OFF AIR"); such a line is part of the warning, not a new one.
bool IsHeaderLine(std::string_view upper_line) {
  for (const char* word : kHeaderWords) {
    if (!StartsWith(upper_line, word)) continue;
    if (std::strcmp(word, "NAVTEX ") == 0 && StartsWith(TrimView(upper_line.substr(7)), "STATION")) return false;
    return true;
  }
  return false;
}

// A line holding only a date-time group, such as "052223Z SEP 26" or
// "291433 UTC FEB 19": it dates the warning whose header follows it.
bool IsDateTimeGroupLine(std::string_view line) {
  std::string_view s = TrimView(line);
  if (!s.empty() && s.back() == '.') s.remove_suffix(1);
  size_t i = 0;
  while (i < s.size() && IsAsciiDigit(s[i])) ++i;
  if (i != 6) return false;
  std::string_view rest = s.substr(6);
  if (StartsWith(rest, "Z")) {
    rest.remove_prefix(1);
  } else if (StartsWith(TrimView(rest), "UTC")) {
    rest = TrimView(rest).substr(3);
  } else {
    return false;
  }
  rest = TrimView(rest);
  if (rest.empty()) return true;
  // Month abbreviation, then an optional two- or four-digit year.
  if (rest.size() < 3 || !IsAsciiUpper(rest[0]) || !IsAsciiUpper(rest[1]) || !IsAsciiUpper(rest[2])) return false;
  rest = TrimView(rest.substr(3));
  if (rest.empty()) return true;
  if (rest.size() != 2 && rest.size() != 4) return false;
  for (char c : rest)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

// Splits s into lines at line feeds; a final line feed adds no empty line.
std::vector<std::string_view> Lines(std::string_view s) {
  std::vector<std::string_view> lines;
  size_t b = 0;
  while (b < s.size()) {
    size_t e = s.find('\n', b);
    if (e == std::string_view::npos) e = s.size();
    lines.push_back(s.substr(b, e - b));
    b = e + 1;
  }
  return lines;
}

// Offset of the text that follows a leading date-time group line, when that
// line is directly followed by a header line; 0 otherwise. Header and title
// reading start there, so "052223Z SEP 26" never stands in for the serial.
size_t DateTimeGroupPrefixLength(std::string_view upper) {
  const size_t nl = upper.find('\n');
  if (nl == std::string_view::npos || !IsDateTimeGroupLine(upper.substr(0, nl))) return 0;
  std::string_view next = upper.substr(nl + 1);
  size_t b = 0;
  while (b < next.size() && IsBlank(next[b])) ++b;
  return IsHeaderLine(next.substr(b)) ? nl + 1 : 0;
}

// A small reader for the two serial patterns, with formatted-input rules: a
// blank in the pattern matches any run of white space, including none.
struct Reader {
  std::string_view s;
  size_t i = 0;
  void SkipSpace() {
    while (i < s.size() && IsAsciiSpace(s[i])) ++i;
  }
  bool Literal(std::string_view lit) {
    if (s.compare(i, lit.size(), lit) != 0) return false;
    i += lit.size();
    return true;
  }
  bool Char(char c) {
    if (i >= s.size() || s[i] != c) return false;
    ++i;
    return true;
  }
  bool SkipWord() {  // %*s
    SkipSpace();
    const size_t b = i;
    while (i < s.size() && !IsAsciiSpace(s[i])) ++i;
    return i > b;
  }
  bool SkipNonDigits() {  // %*[^0-9]
    const size_t b = i;
    while (i < s.size() && !IsAsciiDigit(s[i])) ++i;
    return i > b;
  }
  bool Int(long long* out) {  // %d
    SkipSpace();
    size_t k = i;
    bool neg = false;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) neg = s[k++] == '-';
    const size_t digits = k;
    long long v = 0;
    while (k < s.size() && IsAsciiDigit(s[k])) {
      if (v < LLONG_MAX / 10) v = v * 10 + (s[k] - '0');
      ++k;
    }
    if (k == digits) return false;
    i = k;
    *out = neg ? -v : v;
    return true;
  }
};

// Reads "NAVAREA %*s - %d/%d", then "%*[^0-9]%d/%d"; returns the serial when
// the rules accept it, 0 otherwise.
int32_t ReadSerial(std::string_view upper) {
  long long serial = 0, year = 0;
  {
    Reader r{upper};
    if (r.Literal("NAVAREA") && (r.SkipSpace(), true) && r.SkipWord() && (r.SkipSpace(), true) && r.Char('-') &&
        r.Int(&serial)) {
      return (serial > 0 && serial <= INT32_MAX) ? static_cast<int32_t>(serial) : 0;
    }
  }
  Reader r{upper};
  if (r.SkipNonDigits() && r.Int(&serial) && r.Char('/') && r.Int(&year))
    return (serial > 0 && serial <= INT32_MAX) ? static_cast<int32_t>(serial) : 0;
  return 0;
}

std::string ReadTitle(std::string_view raw_text, size_t skip) {
  for (std::string_view line : Lines(raw_text.substr(skip))) {
    std::string_view t = TrimView(line);
    if (t.empty()) continue;
    const std::string up = UpperAscii(t);
    if (StartsWith(up, "ZCZC") || up == "NNNN") continue;
    return CutUtf8(t, kTitleMaxBytes);
  }
  return std::string();
}

bool KeepCleanLine(std::string_view line) {
  for (char c : line)
    if (!IsAsciiSpace(c) && c != '.' && c != '=' && c != '-' && c != '+' && c != '*') return true;
  return false;
}

// Start offsets of the messages in rest: each header line, moved back over a
// date-time group line (and blank lines) directly before it.
std::vector<size_t> HeaderStarts(std::string_view rest) {
  const std::string upper = UpperAscii(rest);
  std::vector<size_t> starts;
  size_t prev_content_line = std::string::npos;  // start of the last non-blank line
  bool prev_is_dtg = false;
  for (size_t line = 0; line < upper.size();) {
    size_t end = upper.find('\n', line);
    if (end == std::string::npos) end = upper.size();
    size_t b = line;
    while (b < end && IsBlank(upper[b])) ++b;
    std::string_view text(upper.data() + b, end - b);
    if (!text.empty()) {
      if (IsHeaderLine(text)) {
        const size_t start = prev_is_dtg ? prev_content_line : b;
        if (starts.empty() || start > starts.back()) starts.push_back(start);
        prev_is_dtg = false;
      } else {
        prev_is_dtg = IsDateTimeGroupLine(text);
      }
      prev_content_line = line;
    }
    line = end + 1;
  }
  return starts;
}

// Position of the next section header line ("===== ... =====") that starts
// at or after from, which must be a line start; npos when none.
size_t FindSectionHeader(std::string_view t, size_t from) {
  for (size_t line = from; line < t.size();) {
    size_t end = t.find('\n', line);
    if (end == std::string_view::npos) end = t.size();
    std::string_view l = t.substr(line, end - line);
    while (!l.empty() && IsAsciiSpace(l.back())) l.remove_suffix(1);
    if (l.size() >= 11 && StartsWith(l, "===== ") && l.compare(l.size() - 6, 6, " =====") == 0) return line;
    line = end + 1;
  }
  return std::string_view::npos;
}

FeedSection ReadSectionHeader(std::string_view header) {
  FeedSection s;
  size_t p;
  if ((p = header.find("NAVAREA ")) != std::string_view::npos) {
    s.kind = SECTION_NAVAREA;
    size_t d = 0;
    while (d < header.size() && !IsAsciiDigit(header[d])) ++d;
    long long v = 0;
    while (d < header.size() && IsAsciiDigit(header[d]) && v < 1000000) v = v * 10 + (header[d++] - '0');
    s.navarea = static_cast<int32_t>(v);
  } else if ((p = header.find("COASTAL ")) != std::string_view::npos) {
    s.kind = SECTION_COASTAL;
    size_t b = p + 8;
    while (b < header.size() && header[b] == ' ') ++b;
    size_t e = b;
    while (e < header.size() && header[e] != ' ' && header[e] != '=') ++e;
    s.label = "coastal:" + std::string(header.substr(b, e - b));
  } else if ((p = header.find("EXTRA ")) != std::string_view::npos) {
    s.kind = SECTION_EXTRA;
    size_t b = p + 6;
    while (b < header.size() && header[b] == ' ') ++b;
    std::string_view label = header.substr(b);
    while (!label.empty() && (label.back() == '=' || label.back() == ' ' || label.back() == '\r'))
      label.remove_suffix(1);
    s.label = std::string(label);
  }
  return s;
}

}  // namespace

std::string CleanText(std::string_view text) {
  std::string out;
  for (std::string_view line : Lines(text)) {
    std::string_view t = TrimView(line);
    if (!KeepCleanLine(t)) continue;
    if (!out.empty()) out += '\n';
    out.append(t);
  }
  return out;
}

std::vector<std::string> SplitFrames(std::string_view text) {
  std::vector<std::string> frames;
  const std::string u = UpperAscii(text);
  const size_t n = u.size();
  size_t a = 0;
  while (n >= 4 && a <= n - 4) {
    const size_t d = u.find("ZCZC", a);
    if (d == std::string::npos) break;
    const size_t e = (d + 4 <= n - 4) ? u.find("NNNN", d + 4) : std::string::npos;
    if (e == std::string::npos) {
      frames.emplace_back(text.substr(d));
      break;
    }
    if (e - d + 4 >= 9) frames.emplace_back(text.substr(d, e - d + 4));
    a = e + 4;
  }
  return frames;
}

MsiMessage ParseMessage(std::string_view text) {
  MsiMessage m;
  m.raw_text = CleanText(TrimView(text));
  const std::string u = UpperAscii(m.raw_text);

  // NAVTEX frame header: the B1B2B3B4 code after ZCZC.
  const size_t z = u.size() >= 4 ? u.find("ZCZC") : std::string::npos;
  if (z != std::string::npos) {
    size_t q = z + 4;
    while (q < u.size() && (u[q] == ' ' || u[q] == '\t' || u[q] == '\r' || u[q] == '\n')) ++q;
    if (q < u.size() && q + 3 < u.size()) {
      if (IsAsciiUpper(u[q])) m.b1 = u[q];
      if (IsAsciiUpper(u[q + 1])) m.b2 = u[q + 1];
      if (IsAsciiDigit(u[q + 2]) && IsAsciiDigit(u[q + 3])) m.number = (u[q + 2] - '0') * 10 + (u[q + 3] - '0');
      if (m.b1 != '?' && m.b2 != '?') {
        char id[8];
        std::snprintf(id, sizeof id, "%c%c%02d", m.b1, m.b2, static_cast<int>(m.number));
        m.station_id = id;
      }
    }
  }

  // Serial of a NAVAREA (or NGA) header; it replaces a B3B4 number.
  const size_t header_at = DateTimeGroupPrefixLength(u);
  if (const int32_t serial = ReadSerial(std::string_view(u).substr(header_at)); serial > 0) m.number = serial;

  m.cancel_target = ReadCancelTarget(u);
  m.expires = ReadExpiry(u);
  m.type = Classify(u);
  m.b2_index = B2Index(m.b2);
  if (m.type == OTHER && m.b2 != '?' && B2ClassOf(m.b2) != B2_HIDDEN) m.type = B2Category(m.b2);
  if (B2ClassOf(m.b2) == B2_HIDDEN) m.active = false;

  m.title = ReadTitle(m.raw_text, header_at);
  m.geoms = BuildGeometries(m.raw_text, u);
  m.id = MakeMessageId(m.type, m.raw_text, m.station_id, m.number);
  return m;
}

std::vector<MsiMessage> ParseBulletin(std::string_view text) {
  std::vector<MsiMessage> result;
  const std::vector<std::string> frames = SplitFrames(text);
  std::string rest(text);
  for (const std::string& f : frames) {
    result.push_back(ParseMessage(f));
    const size_t at = rest.find(f);
    if (at != std::string::npos) rest.erase(at, f.size());
  }

  const std::vector<size_t> starts = HeaderStarts(rest);
  for (size_t i = 0; i < starts.size(); ++i) {
    const size_t end = (i + 1 < starts.size()) ? starts[i + 1] : rest.size();
    MsiMessage m = ParseMessage(std::string_view(rest).substr(starts[i], end - starts[i]));
    if (m.raw_text.size() > 20) result.push_back(std::move(m));
  }
  if (starts.empty() && frames.empty()) {
    MsiMessage m = ParseMessage(text);
    if (!m.raw_text.empty()) result.push_back(std::move(m));
  }
  NormaliseMessages(&result);
  return result;
}

std::vector<FeedSection> SplitSections(std::string_view t) {
  std::vector<FeedSection> sections;
  size_t c = 0;
  for (;;) {
    const size_t m = FindSectionHeader(t, c);
    if (m == std::string_view::npos) {
      if (c < t.size()) sections.push_back({SECTION_PLAIN, 0, "", std::string(t.substr(c))});
      break;
    }
    if (c < m) sections.push_back({SECTION_PLAIN, 0, "", std::string(t.substr(c, m - c))});
    const size_t nl = t.find('\n', m);
    const size_t header_end = nl == std::string_view::npos ? t.size() : nl;
    const size_t body = nl == std::string_view::npos ? t.size() : nl + 1;
    size_t body_end = FindSectionHeader(t, body);
    if (body_end == std::string_view::npos) body_end = t.size();

    FeedSection s = ReadSectionHeader(t.substr(m, header_end - m));
    s.text = std::string(t.substr(body, body_end - body));
    if (!s.text.empty()) sections.push_back(std::move(s));
    c = body_end;
    if (c >= t.size()) break;
  }
  if (sections.empty() && !t.empty()) sections.push_back({SECTION_PLAIN, 0, "", std::string(t)});
  return sections;
}

}  // namespace orvane
