#include "parse/bulletin.h"

#include <algorithm>
#include <cstdio>

#include "common/text.h"
#include "parse/classify.h"
#include "parse/header.h"
#include "parse/identity.h"
#include "parse/positions.h"

namespace orvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

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

// The header line, or the first subject line when there is none: date-time
// groups, frame lines and codes, agency preambles and bare station names
// before it say who sent the warning and when, not what it is about. A
// short line standing before the header ("HAMALA") is passed over too.
std::string ReadTitle(std::string_view raw_text) {
  constexpr int kMaxLinesBeforeHeader = 6;
  std::string_view first_line, subject;
  int before = 0;
  for (std::string_view line : Lines(raw_text)) {
    std::string_view t = TrimView(line);
    if (t.empty()) continue;
    const std::string up = UpperAscii(t);
    if (StartsWith(up, "ZCZC") || up == "NNNN") continue;
    if (first_line.empty()) first_line = t;
    if (IsHeaderLine(up)) return CutUtf8(t, kTitleMaxBytes);
    if (IsFrameCodeLine(up) || IsTimeStampLine(up) || IsPreambleLine(up) || IsStationLine(up)) continue;
    if (subject.empty()) subject = t;
    // Look on for a header only past short name lines.
    if (++before > kMaxLinesBeforeHeader || t.size() > 24 || std::count(t.begin(), t.end(), ' ') > 2) break;
  }
  if (!subject.empty()) return CutUtf8(subject, kTitleMaxBytes);
  return CutUtf8(first_line, kTitleMaxBytes);
}

bool KeepCleanLine(std::string_view line) {
  for (char c : line)
    if (!IsAsciiSpace(c) && c != '.' && c != '=' && c != '-' && c != '+' && c != '*') return true;
  return false;
}

// Start offsets of the messages in rest: each header line, moved back over
// the date-time group and agency preamble lines (and blank lines) directly
// before it. A preamble ("MSGID/GENADMIN/...//", "RMKS/") opens the warning
// after it: the header that follows it opens nothing more.
std::vector<size_t> HeaderStarts(std::string_view rest) {
  const std::string upper = UpperAscii(rest);
  std::vector<size_t> starts;
  size_t prefix_start = std::string::npos;  // first line of the run of prefix lines before here
  bool opened_by_preamble = false;          // a preamble opened a message and no text came since
  auto open = [&](size_t at) {
    if (starts.empty() || at > starts.back()) starts.push_back(at);
  };
  for (size_t line = 0; line < upper.size();) {
    size_t end = upper.find('\n', line);
    if (end == std::string::npos) end = upper.size();
    size_t b = line;
    while (b < end && IsBlank(upper[b])) ++b;
    std::string_view text(upper.data() + b, end - b);
    if (!text.empty()) {
      const size_t here = prefix_start != std::string::npos ? prefix_start : line;
      if (StartsWith(text, "MSGID/")) {
        if (!opened_by_preamble) open(here);
        opened_by_preamble = true;
        prefix_start = std::string::npos;
      } else if (IsPreambleLine(text)) {  // "RMKS/" without its MSGID
        if (!opened_by_preamble && prefix_start == std::string::npos) prefix_start = line;
      } else if (IsHeaderLine(text)) {
        if (!opened_by_preamble) open(prefix_start != std::string::npos ? prefix_start : b);
        opened_by_preamble = false;
        prefix_start = std::string::npos;
      } else if (IsDateTimeGroupLine(text)) {
        if (prefix_start == std::string::npos) prefix_start = line;
      } else {
        opened_by_preamble = false;
        prefix_start = std::string::npos;
      }
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

struct FrameSpan {
  size_t begin, size;
};

// Where the NAVTEX frames (ZCZC ... NNNN) of a text lie, in text order.
std::vector<FrameSpan> FindFrames(std::string_view text) {
  std::vector<FrameSpan> frames;
  const std::string u = UpperAscii(text);
  const size_t n = u.size();
  size_t a = 0;
  while (n >= 4 && a <= n - 4) {
    const size_t d = u.find("ZCZC", a);
    if (d == std::string::npos) break;
    const size_t e = (d + 4 <= n - 4) ? u.find("NNNN", d + 4) : std::string::npos;
    if (e == std::string::npos) {
      frames.push_back({d, n - d});
      break;
    }
    if (e - d + 4 >= 9) frames.push_back({d, e - d + 4});
    a = e + 4;
  }
  return frames;
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
  for (const FrameSpan& f : FindFrames(text)) frames.emplace_back(text.substr(f.begin, f.size));
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

  // Serial of a NAVAREA (or NGA or national) header; it replaces a B3B4
  // number. A header without the serial pattern ("WZ 1298") gives its own.
  const size_t header_at = HeaderPrefixLength(u);
  if (const HeaderSerial h = ReadHeaderSerial(std::string_view(u).substr(header_at)); h.serial > 0) {
    m.number = h.serial;
  } else if (m.station_id.empty()) {
    const std::string_view rest = std::string_view(u).substr(header_at);
    HeaderLine line;
    if (ReadHeaderLine(TrimView(rest.substr(0, rest.find('\n'))), &line) && line.serial > 0) m.number = line.serial;
  }

  ReadCancelTargetAndExpiry(u, &m.cancel_target, &m.expires);
  m.type = Classify(u);
  m.b2_index = B2Index(m.b2);
  if (m.type == OTHER && m.b2 != '?' && B2ClassOf(m.b2) != B2_HIDDEN) m.type = B2Category(m.b2);
  if (B2ClassOf(m.b2) == B2_HIDDEN) m.active = false;

  m.title = ReadTitle(m.raw_text);
  m.geoms = BuildGeometries(m.raw_text, u);
  m.id = MakeMessageId(m.type, m.raw_text, m.station_id, m.number);
  return m;
}

std::vector<MsiMessage> ParseBulletin(std::string_view text) {
  std::vector<MsiMessage> result;
  const std::vector<FrameSpan> frames = FindFrames(text);
  // The text between the frames, each frame cut out where it was found:
  // one copy, however many frames the text holds.
  std::string rest;
  rest.reserve(text.size());
  size_t copied = 0;
  for (const FrameSpan& f : frames) {
    result.push_back(ParseMessage(text.substr(f.begin, f.size)));
    rest.append(text.substr(copied, f.begin - copied));
    copied = f.begin + f.size;
  }
  rest.append(text.substr(copied));

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
