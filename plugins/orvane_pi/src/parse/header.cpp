#include "parse/header.h"

#include <climits>
#include <cstring>

#include "common/text.h"
#include "parse/geography.h"

namespace orvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Words that open a warning when they begin a line. NGA pages head their
// warnings with HYDROLANT, HYDROPAC and HYDROARC serials.
struct HeaderWord {
  const char* word;
  Series series;
};
constexpr HeaderWord kHeaderWords[] = {{"NAVAREA ", Series::NAVAREA},
                                       {"NAVTEX ", Series::NAVTEX},
                                       {"HYDROLANT ", Series::HYDROLANT},
                                       {"HYDROPAC ", Series::HYDROPAC},
                                       {"HYDROARC ", Series::HYDROARC}};

const HeaderWord* HeaderWordOf(std::string_view upper_line) {
  for (const HeaderWord& w : kHeaderWords) {
    if (!StartsWith(upper_line, w.word)) continue;
    // Warnings name transmitters in their bodies ("NAVTEX STATION SAN JUAN
    // (R) OFF AIR"); such a line is part of the warning, not a new one.
    if (w.series == Series::NAVTEX && StartsWith(TrimView(upper_line.substr(7)), "STATION")) return nullptr;
    return &w;
  }
  return nullptr;
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

HeaderSerial Accept(long long serial, bool has_year, long long year) {
  HeaderSerial h;
  if (serial > 0 && serial <= INT32_MAX) {
    h.serial = static_cast<int32_t>(serial);
    if (has_year && year >= 0 && year <= 9999) h.year = static_cast<int32_t>(year);
  }
  return h;
}

}  // namespace

bool IsHeaderLine(std::string_view upper_line) { return HeaderWordOf(upper_line) != nullptr; }

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

size_t DateTimeGroupPrefixLength(std::string_view upper) {
  const size_t nl = upper.find('\n');
  if (nl == std::string_view::npos || !IsDateTimeGroupLine(upper.substr(0, nl))) return 0;
  std::string_view next = upper.substr(nl + 1);
  size_t b = 0;
  while (b < next.size() && IsBlank(next[b])) ++b;
  return IsHeaderLine(next.substr(b)) ? nl + 1 : 0;
}

HeaderSerial ReadHeaderSerial(std::string_view upper) {
  long long serial = 0, year = 0;
  {
    Reader r{upper};
    if (r.Literal("NAVAREA") && (r.SkipSpace(), true) && r.SkipWord() && (r.SkipSpace(), true) && r.Char('-') &&
        r.Int(&serial)) {
      const bool has_year = r.Char('/') && r.Int(&year);
      return Accept(serial, has_year, year);
    }
  }
  Reader r{upper};
  if (r.SkipNonDigits() && r.Int(&serial) && r.Char('/') && r.Int(&year)) return Accept(serial, true, year);
  return HeaderSerial{};
}

HeaderSeries ReadHeaderSeries(std::string_view upper) {
  HeaderSeries h;
  size_t line = 0;
  while (line < upper.size()) {
    size_t end = upper.find('\n', line);
    if (end == std::string_view::npos) end = upper.size();
    std::string_view l = TrimView(upper.substr(line, end - line));
    line = end + 1;
    if (l.empty() || StartsWith(l, "ZCZC") || IsDateTimeGroupLine(l)) continue;
    const HeaderWord* w = HeaderWordOf(l);
    if (!w) return h;
    h.series = w->series;
    if (w->series == Series::NAVAREA) {
      std::string_view rest = TrimView(l.substr(std::strlen(w->word)));
      size_t e = 0;
      while (e < rest.size() && IsAsciiUpper(rest[e])) ++e;
      h.navarea = NavareaOfNumeral(rest.substr(0, e));
    }
    return h;
  }
  return h;
}

Series SeriesOfWord(std::string_view word) {
  for (const HeaderWord& w : kHeaderWords) {
    const std::string_view name(w.word, std::strlen(w.word) - 1);
    if (word == name) return w.series;
  }
  return Series::NONE;
}

int32_t NavareaOfNumeral(std::string_view numeral) {
  if (numeral.empty()) return 0;
  for (int n = 1; n <= kNavareaCount; ++n)
    if (numeral == NavareaNumeral(n)) return n;
  return 0;
}

}  // namespace orvane
