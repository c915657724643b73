#include "parse/header.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/text.h"
#include "parse/geography.h"
#include "parse/keyword_matcher.h"

namespace orvane {
namespace {


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

// Reads words of a header line left to right.
struct Cursor {
  std::string_view s;
  size_t i = 0;
  void Blanks() {
    while (i < s.size() && IsAsciiSpace(s[i])) ++i;
  }
  // The literal, not followed by a letter.
  bool Word(std::string_view w) {
    if (s.compare(i, w.size(), w) != 0) return false;
    const size_t e = i + w.size();
    if (e < s.size() && IsWordByte(static_cast<unsigned char>(s[e]))) return false;
    i = e;
    return true;
  }
  bool Char(char c) {
    if (i >= s.size() || s[i] != c) return false;
    ++i;
    return true;
  }
  // "403/26", "581 / 2012", "1298": a serial and, when written, its year.
  bool Serial(bool need_year, HeaderLine* h) {
    Blanks();
    size_t k = i;
    long long v = 0;
    while (k < s.size() && IsAsciiDigit(s[k]) && k - i < 9) v = v * 10 + (s[k++] - '0');
    if (k == i || (k < s.size() && IsAsciiDigit(s[k]))) return false;
    size_t y = k;
    while (y < s.size() && s[y] == ' ') ++y;
    int year = -1;
    if (y < s.size() && s[y] == '/') {
      ++y;
      while (y < s.size() && s[y] == ' ') ++y;
      size_t ye = y;
      while (ye < s.size() && IsAsciiDigit(s[ye])) ++ye;
      if (ye - y == 2 || ye - y == 4) {
        year = std::atoi(std::string(s.substr(ye - 2, 2)).c_str());
        k = ye;
      }
    }
    if (need_year && year < 0) return false;
    if (v <= 0) return false;
    h->serial = static_cast<int32_t>(v);
    h->year = year;
    i = k;
    return true;
  }
};

// National and coastal series, by the nation's word before NAV WARN.
const char* const kNations[] = {"GERMAN",     "DANISH",      "SWEDISH",  "FINNISH",  "POLISH",     "ESTONIAN",
                                "LATVIAN",    "LITHUANIAN",  "NORWEGIAN", "RUSSIAN", "KALININGRAD", "KAL",
                                "PETERSBURG", "ST PETERSBURG", "DUTCH",  "BELGIAN",  "ICELANDIC",  "FAROESE"};

bool NationalNavWarn(Cursor& c, HeaderLine* h) {
  // "[Baltic] GERMAN NAV WARN 403/26": an area tag may come first.
  if (c.Char('[')) {
    const size_t close = c.s.find(']', c.i);
    if (close == std::string_view::npos) return false;
    c.i = close + 1;
    c.Blanks();
  }
  const char* nation = nullptr;
  for (const char* n : kNations)
    if (c.i < c.s.size() && c.s[c.i] == n[0] && c.Word(n)) {
      nation = n;
      break;
    }
  if (!nation) return false;
  c.Blanks();
  if (!c.Word("NAV")) return false;
  c.Char('.');
  c.Blanks();
  if (!c.Word("WARN") && !c.Word("WARNING")) return false;
  c.Char('.');
  if (!c.Serial(true, h)) return false;
  h->issuer = std::string(nation) == "KAL" ? "KALININGRAD" : nation;
  return true;
}

bool Turnhos(Cursor& c, HeaderLine* h) {
  if (!c.Word("TURNHOS")) return false;
  c.Blanks();
  if (c.s.compare(c.i, 3, "N/W") != 0) return false;
  c.i += 3;
  if (!c.Serial(true, h)) return false;
  h->issuer = "TURNHOS";
  return true;
}

// "COASTAL WARNING NR. 119/19", "COASTAL WARNING NR.119/19 FEB 13".
bool CoastalWarning(Cursor& c, HeaderLine* h) {
  if (!c.Word("COASTAL")) return false;
  c.Blanks();
  if (!c.Word("WARNING")) return false;
  c.Blanks();
  if (c.s.compare(c.i, 2, "NR") == 0 || c.s.compare(c.i, 2, "NO") == 0) {
    c.i += 2;
    c.Char('.');
  }
  if (!c.Serial(true, h)) return false;
  h->issuer = "COASTAL";
  return true;
}

// "NAV WARNING NO. 031/2019."
bool NavWarningNo(Cursor& c, HeaderLine* h) {
  if (!c.Word("NAV")) return false;
  c.Blanks();
  if (!c.Word("WARNING")) return false;
  c.Blanks();
  if (c.s.compare(c.i, 2, "NO") != 0) return false;
  c.i += 2;
  c.Char('.');
  if (!c.Serial(true, h)) return false;
  h->issuer = "NAV";
  return true;
}

// "WZ 1298": UK coastal warnings.
bool UkCoastal(Cursor& c, HeaderLine* h) {
  if (!c.Word("WZ")) return false;
  if (!c.Serial(false, h)) return false;
  h->issuer = "WZ";
  return true;
}

// "ПРИП": Russian navigational warnings, with a serial where one is written.
bool Prip(Cursor& c, HeaderLine* h) {
  if (!c.Word("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x9F")) return false;
  h->issuer = "PRIP";
  while (c.i < c.s.size()) {
    while (c.i < c.s.size() && !IsAsciiDigit(c.s[c.i])) ++c.i;
    if (c.i >= c.s.size()) break;
    HeaderLine t;
    Cursor at{c.s, c.i};
    if (at.Serial(true, &t)) {
      h->serial = t.serial;
      h->year = t.year;
      c.i = at.i;
      break;
    }
    while (c.i < c.s.size() && IsAsciiDigit(c.s[c.i])) ++c.i;
  }
  return true;
}

// Header forms of national and agency series, tried in this order.
using HeaderForm = bool (*)(Cursor&, HeaderLine*);
constexpr HeaderForm kNationalForms[] = {Turnhos, NationalNavWarn, CoastalWarning, NavWarningNo, UkCoastal, Prip};

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

bool ReadHeaderLine(std::string_view upper_line, HeaderLine* out) {
  HeaderLine h;
  std::string_view line = upper_line;
  // "--- NAVAREA I 223/26 ---": the Admiralty's ruled header.
  if (StartsWith(line, "-")) {
    size_t b = 0;
    while (b < line.size() && (line[b] == '-' || IsAsciiSpace(line[b]))) ++b;
    if (!StartsWith(line.substr(b), "NAVAREA ")) return false;
    line = line.substr(b);
  }
  if (const HeaderWord* w = HeaderWordOf(line)) {
    h.series = w->series;
    if (w->series == Series::NAVAREA) {
      std::string_view rest = TrimView(line.substr(std::strlen(w->word)));
      size_t e = 0;
      while (e < rest.size() && IsAsciiUpper(rest[e])) ++e;
      h.navarea = NavareaOfNumeral(rest.substr(0, e));
    }
    const HeaderSerial s = ReadHeaderSerial(line);
    h.serial = s.serial;
    h.year = s.year >= 0 ? s.year % 100 : -1;
    if (out) *out = h;
    return true;
  }
  if (line.empty() || !(IsAsciiUpper(line[0]) || line[0] == '[' || static_cast<unsigned char>(line[0]) >= 0x80))
    return false;
  for (HeaderForm form : kNationalForms) {
    Cursor c{line};
    if (form(c, &h)) {
      // A line that cancels a national warning names it; it opens nothing.
      if (line.find("CANCEL") != std::string_view::npos) return false;
      h.series = Series::NATIONAL;
      if (out) *out = h;
      return true;
    }
  }
  return false;
}

bool IsHeaderLine(std::string_view upper_line) { return ReadHeaderLine(upper_line, nullptr); }

size_t ReadNationalSeries(std::string_view upper, HeaderLine* out) {
  for (HeaderForm form : kNationalForms) {
    HeaderLine h;
    Cursor c{upper};
    if (form(c, &h)) {
      h.series = Series::NATIONAL;
      *out = h;
      return c.i;
    }
  }
  return 0;
}

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

namespace {

bool IsMonthWord(std::string_view w) {
  static const char* const kMonths[] = {"JAN",     "FEB",      "MAR",   "APR",   "MAY",  "JUN",  "JUL",
                                        "AUG",     "SEP",      "SEPT",  "OCT",   "NOV",  "DEC",  "JANUARY",
                                        "FEBRUARY", "MARCH",   "APRIL", "JUNE",  "JULY", "AUGUST",
                                        "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER",
                                        // Norwegian and German spellings NAVTEX uses.
                                        "MAI",     "OKT",      "DES",   "DEZ"};
  for (const char* m : kMonths)
    if (w == m) return true;
  return false;
}

// "NCC-HAMBURG", "(NCC)", "BAHRAINRADIO", "COASTGUARD": words that name a
// transmitting station or agency.
bool IsStationWord(std::string_view w) {
  while (!w.empty() && (w.front() == '(' || w.front() == '\'')) w.remove_prefix(1);
  while (!w.empty() && (w.back() == ')' || w.back() == '\'' || w.back() == ',')) w.remove_suffix(1);
  const size_t slash = w.find('/');
  if (slash != std::string_view::npos) w = w.substr(0, slash);
  if (w.size() >= 5 && w.compare(w.size() - 5, 5, "RADIO") == 0) return true;
  if (w == "NCC" || w == "RCC" || w == "MRCC") return true;
  for (const char* p : {"NCC-", "RCC-", "MRCC-", "NAVTEX-"})
    if (StartsWith(w, p)) return true;
  return w.find("COASTGUARD") != std::string_view::npos || w.find("COASTGUAD") != std::string_view::npos;
}

// Splits a trimmed line at blanks.
template <typename F>
void ForEachWord(std::string_view line, F f) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsAsciiSpace(line[i])) ++i;
    size_t e = i;
    while (e < line.size() && !IsAsciiSpace(line[e])) ++e;
    if (e > i) f(line.substr(i, e - i));
    i = e;
  }
}

enum class StampWord { NONE, NUMBER, MARK };

// One word of a time stamp: a number ("0525", "22.30", "01.03.19"), a time
// with its zone ("030412UTC", "2000Z"), an ordinal ("16TH"), a month
// ("MAR", "MAR19") or a zone ("UTC"). MARK for the words that make a line a
// time stamp (zones and months), NUMBER for plain numbers.
StampWord ClassifyStampWord(std::string_view w) {
  if (w == "UTC" || w == "Z" || w == "GMT" || w == "LT") return StampWord::MARK;
  size_t d = 0;
  while (d < w.size() && (IsAsciiDigit(w[d]) || ((w[d] == '.' || w[d] == ':' || w[d] == '/') && d > 0))) ++d;
  if (d > 0) {
    const std::string_view rest = w.substr(d);
    // "010300": a date-time group without its zone.
    if (rest.empty() && d == 6 && w.find_first_of(".:/") == std::string_view::npos) return StampWord::MARK;
    if (rest.empty() || rest == ".") return StampWord::NUMBER;
    if (rest == "Z" || rest == "UTC") return StampWord::MARK;
    if (rest == "TH" || rest == "ST" || rest == "ND" || rest == "RD") return StampWord::NUMBER;
    return StampWord::NONE;
  }
  size_t l = 0;
  while (l < w.size() && IsAsciiUpper(w[l])) ++l;
  if (l == 0 || !IsMonthWord(w.substr(0, l))) return StampWord::NONE;
  for (size_t k = l; k < w.size(); ++k)
    if (!IsAsciiDigit(w[k]) && !(k + 1 == w.size() && w[k] == '.')) return StampWord::NONE;
  return StampWord::MARK;
}

}  // namespace

bool IsTimeStampLine(std::string_view upper_line) {
  const std::string_view s = TrimView(upper_line);
  if (s.empty() || !IsAsciiDigit(s[0])) return false;
  if (IsDateTimeGroupLine(s)) return true;
  bool mark = false;
  for (size_t i = 0; i < s.size();) {
    while (i < s.size() && IsAsciiSpace(s[i])) ++i;
    size_t e = i;
    while (e < s.size() && !IsAsciiSpace(s[e])) ++e;
    if (e == i) break;
    const std::string_view w = s.substr(i, e - i);
    const StampWord k = ClassifyStampWord(w);
    if (k == StampWord::MARK) mark = true;
    if (k == StampWord::NONE && !IsStationWord(w)) return false;  // most lines end here, at a position
    i = e;
  }
  return mark;
}

bool IsPreambleLine(std::string_view upper_line) {
  const std::string_view s = TrimView(upper_line);
  return StartsWith(s, "MSGID/") || s == "RMKS/";
}

bool IsStationLine(std::string_view upper_line) {
  const std::string_view s = TrimView(upper_line);
  if (s.empty() || s.size() > 40) return false;
  int words = 0;
  bool station = false, digits = false;
  ForEachWord(s, [&](std::string_view w) {
    ++words;
    station = station || IsStationWord(w);
    const size_t slash = w.find('/');  // a call sign after the name may hold digits
    for (char c : w.substr(0, slash))
      if (IsAsciiDigit(c)) digits = true;
  });
  return station && !digits && words <= 4;
}

bool IsFrameCodeLine(std::string_view upper_line) {
  const std::string_view s = TrimView(upper_line);
  return s.size() == 4 && IsAsciiUpper(s[0]) && IsAsciiUpper(s[1]) && IsAsciiDigit(s[2]) && IsAsciiDigit(s[3]);
}

size_t HeaderPrefixLength(std::string_view upper) {
  size_t line = 0;
  bool skipped = false;
  while (line < upper.size()) {
    size_t end = upper.find('\n', line);
    if (end == std::string_view::npos) end = upper.size();
    const std::string_view l = TrimView(upper.substr(line, end - line));
    if (!l.empty() && !IsDateTimeGroupLine(l) && !IsPreambleLine(l)) {
      if (!skipped) return 0;
      size_t b = line;
      while (b < end && IsAsciiSpace(upper[b])) ++b;
      return IsHeaderLine(upper.substr(b, end - b)) ? line : 0;
    }
    skipped = skipped || !l.empty();
    line = end + 1;
  }
  return 0;
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

HeaderLine ReadMessageHeader(std::string_view upper) {
  HeaderLine h;
  size_t line = 0;
  while (line < upper.size()) {
    size_t end = upper.find('\n', line);
    if (end == std::string_view::npos) end = upper.size();
    const std::string_view l = TrimView(upper.substr(line, end - line));
    line = end + 1;
    if (l.empty() || StartsWith(l, "ZCZC") || l == "NNNN" || IsFrameCodeLine(l) || IsTimeStampLine(l) ||
        IsPreambleLine(l) || IsStationLine(l))
      continue;
    if (ReadHeaderLine(l, &h)) return h;
    // "NAV. WARN. NO. 182", "NAVIGATIONAL WARNING NR. 68 021952 UTC MAR":
    // a station's own numbering.
    if (l.find("WARN") == std::string_view::npos && l.find("WNG") == std::string_view::npos &&
        l.find("MSI") == std::string_view::npos)
      return h;
    size_t d = 0;
    while (d < l.size() && !IsAsciiDigit(l[d])) ++d;
    Cursor c{l, d};
    c.Serial(false, &h);
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
