#include "fetch/charset.h"

#include <cstdint>

#include "common/text.h"

namespace orvane {
namespace {

enum class Source { kUtf8, kLatin1, kCp1252, kLatin5 };

struct CharsetRow {
  const char* name;
  Source source;
};
constexpr CharsetRow kCharsets[] = {
    {"utf-8", Source::kUtf8},          {"utf8", Source::kUtf8},          {"us-ascii", Source::kUtf8},
    {"iso-8859-1", Source::kLatin1},   {"latin1", Source::kLatin1},      {"latin-1", Source::kLatin1},
    {"windows-1252", Source::kCp1252}, {"cp1252", Source::kCp1252},      {"iso-8859-9", Source::kLatin5},
    {"latin5", Source::kLatin5},
};

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls
// of the same value, as the Windows conversion does.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// ISO-8859-9 is ISO-8859-1 with six Turkish letters in place of Icelandic ones.
struct Latin5Row {
  unsigned char byte;
  uint16_t code;
};
constexpr Latin5Row kLatin5[] = {{0xD0, 0x011E}, {0xDD, 0x0130}, {0xDE, 0x015E},
                                 {0xF0, 0x011F}, {0xFD, 0x0131}, {0xFE, 0x015F}};

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

uint32_t CodePoint(unsigned char b, Source src) {
  if (src == Source::kCp1252 && b >= 0x80 && b <= 0x9F) return kCp1252High[b - 0x80];
  if (src == Source::kLatin5)
    for (const Latin5Row& r : kLatin5)
      if (r.byte == b) return r.code;
  return b;
}

std::string ConvertSingleByte(std::string_view body, Source src) {
  std::string out;
  out.reserve(body.size() + body.size() / 4);
  for (char c : body) AppendUtf8(CodePoint(static_cast<unsigned char>(c), src), &out);
  return out;
}

// The charset name after "charset=" in a lower-cased text, or empty.
std::string CharsetIn(const std::string& lower) {
  size_t p = lower.find("charset=");
  if (p == std::string::npos) return std::string();
  p += 8;
  while (p < lower.size() && (lower[p] == '"' || lower[p] == '\'' || lower[p] == ' ')) ++p;
  const size_t end = lower.find_first_of("\"'; >", p);
  return lower.substr(p, end == std::string::npos ? std::string::npos : end - p);
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::string CharsetName(std::string_view content_type, std::string_view body) {
  std::string name = CharsetIn(LowerAscii(content_type));
  if (name.empty()) name = CharsetIn(LowerAscii(body.substr(0, 4096)));
  return name;
}

std::string BodyToUtf8(std::string body, std::string_view content_type) {
  const std::string name = CharsetName(content_type, body);
  Source src = Source::kUtf8;
  for (const CharsetRow& r : kCharsets)
    if (name == r.name) src = r.source;
  if (src != Source::kUtf8 && !body.empty()) {
    std::string converted = ConvertSingleByte(body, src);
    if (!converted.empty()) body.swap(converted);
  }
  // Whatever the page claimed, what goes on is valid UTF-8.
  if (!IsValidUtf8(body)) return MakeValidUtf8(body);
  return body;
}

bool BodyIsText(std::string_view body, std::string_view content_type) {
  if (body.find('\0') != std::string_view::npos) return false;
  const std::string name = CharsetName(content_type, body);
  for (const CharsetRow& r : kCharsets)
    if (name == r.name && r.source != Source::kUtf8) return true;  // every byte has its letter
  size_t invalid = 0;
  const size_t allowed = body.size() / 64 + 1;
  for (size_t i = 0; i < body.size();) {
    const auto b = static_cast<unsigned char>(body[i]);
    size_t len = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
    bool ok = len > 0 && i + len <= body.size();
    for (size_t k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(body[i + k]) & 0xC0) == 0x80;
    if (ok) {
      i += len;
    } else {
      if (++invalid > allowed) return false;
      ++i;
    }
  }
  return true;
}

int ParseRetryAfterMs(std::string_view value) {
  int n = 0;
  for (char c : value) {
    if (!IsAsciiDigit(c)) return 0;
    n = n * 10 + (c - '0');
    if (n > 120) return 120000;
  }
  return n >= 1 ? n * 1000 : 0;
}

}  // namespace orvane
