#include "parse/identity.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unordered_map>

#include "common/clock.h"
#include "common/text.h"
#include "parse/keyword_matcher.h"

namespace orvane {
namespace {

constexpr size_t kMaxCancelKey = 24;
constexpr size_t kMaxExpiry = 12;

bool IsTokenByte(char c) { return IsAsciiUpper(c) || IsAsciiDigit(c) || c == '/' || c == '-' || (c >= 'a' && c <= 'z'); }
bool IsLetter(char c) { return IsAsciiUpper(c) || (c >= 'a' && c <= 'z'); }
bool IsWordByteAt(const std::string& u, size_t i) { return IsWordByte(static_cast<unsigned char>(u[i])); }

bool At(const std::string& u, size_t i, const char* lit) { return u.compare(i, std::char_traits<char>::length(lit), lit) == 0; }

void SkipSpaces(const std::string& u, size_t* i) {
  while (*i < u.size() && IsAsciiSpace(u[*i])) ++*i;
}

// The word of letters at i, when it ends there (not followed by a letter).
std::string_view WordAt(const std::string& u, size_t i) {
  size_t e = i;
  while (e < u.size() && IsLetter(u[e])) ++e;
  return std::string_view(u).substr(i, e - i);
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The UTC calendar year of a moment.
int YearOfUtcMs(int64_t ms) {
  int64_t z = (ms >= 0 ? ms / 86400000 : (ms - 86399999) / 86400000) + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  return static_cast<int>(yoe + era * 400 + (mp >= 10 ? 1 : 0));
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return (m == 2 && leap) ? 29 : kDays[m - 1];
}

int MonthOf(std::string_view word) {
  static const char* const kFull[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                      "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
  for (int m = 0; m < 12; ++m) {
    const std::string_view full(kFull[m]);
    if (word == full || word == full.substr(0, 3) || (m == 8 && word == "SEPT")) return m + 1;
  }
  return 0;
}

// Russian month abbreviations of NAVTEX texts, longest first where one
// begins another (СЕНТ before СЕН).
struct RussianMonth {
  const char* name;
  int month;
};
constexpr RussianMonth kRussianMonths[] = {
    {"\xD0\xAF\xD0\x9D\xD0\x92", 1},                    // ЯНВ
    {"\xD0\xA4\xD0\x95\xD0\x92", 2},                    // ФЕВ
    {"\xD0\x9C\xD0\x90\xD0\xA0", 3},                    // МАР
    {"\xD0\x90\xD0\x9F\xD0\xA0", 4},                    // АПР
    {"\xD0\x9C\xD0\x90\xD0\x99", 5},                    // МАЙ
    {"\xD0\x98\xD0\xAE\xD0\x9D", 6},                    // ИЮН
    {"\xD0\x98\xD0\xAE\xD0\x9B", 7},                    // ИЮЛ
    {"\xD0\x90\xD0\x92\xD0\x93", 8},                    // АВГ
    {"\xD0\xA1\xD0\x95\xD0\x9D\xD0\xA2", 9},          // СЕНТ
    {"\xD0\xA1\xD0\x95\xD0\x9D", 9},                    // СЕН
    {"\xD0\x9E\xD0\x9A\xD0\xA2", 10},                   // ОКТ
    {"\xD0\x9D\xD0\x9E\xD0\xAF", 11},                   // НОЯ
    {"\xD0\x94\xD0\x95\xD0\x9A", 12},                   // ДЕК
};

// The month word at i, English or Russian; *end moves past the whole word.
int MonthAt(const std::string& u, size_t i, size_t* end) {
  const std::string_view w = WordAt(u, i);
  if (!w.empty()) {
    *end = i + w.size();
    return MonthOf(w);
  }
  for (const RussianMonth& m : kRussianMonths) {
    if (!At(u, i, m.name)) continue;
    size_t e = i + std::char_traits<char>::length(m.name);
    while (e < u.size() && static_cast<unsigned char>(u[e]) >= 0x80) ++e;  // the rest of a longer form
    *end = e;
    return m.month;
  }
  return 0;
}

struct DateTimeGroup {
  int day = 0, hour = 0, minute = 0, month = 0;
  int year = -1;  // four digits; -1 when the text gives none
};

// A date-time group at i: DDHHMM, an optional Z or UTC, a month (three
// letters or its full name) and an optional two- or four-digit year.
bool ReadDateTimeGroup(const std::string& u, size_t i, DateTimeGroup* g) {
  size_t k = i;
  while (k < u.size() && IsAsciiDigit(u[k])) ++k;
  if (k - i != 6) return false;
  auto two = [&](size_t at) { return (u[at] - '0') * 10 + (u[at + 1] - '0'); };
  g->day = two(i);
  g->hour = two(i + 2);
  g->minute = two(i + 4);
  while (k < u.size() && u[k] == ' ') ++k;
  if (At(u, k, "UTC")) {
    k += 3;
  } else if (k < u.size() && u[k] == 'Z') {
    ++k;
  }
  while (k < u.size() && u[k] == ' ') ++k;
  size_t month_end = k;
  g->month = MonthAt(u, k, &month_end);
  if (g->month == 0) return false;
  k = month_end;
  size_t y = k;
  while (y < u.size() && u[y] == ' ') ++y;
  size_t ye = y;
  while (ye < u.size() && IsAsciiDigit(u[ye])) ++ye;
  if (ye - y == 2) g->year = 2000 + two(y);
  if (ye - y == 4) g->year = std::atoi(u.substr(y, 4).c_str());
  if (g->day < 1 || g->day > 31 || g->hour > 23 || g->minute > 59) return false;
  return true;
}

// Reads a year of two or four digits at y (after blanks); -1 when none.
int ReadYear(const std::string& u, size_t y, size_t* end) {
  while (y < u.size() && u[y] == ' ') ++y;
  size_t ye = y;
  while (ye < u.size() && IsAsciiDigit(u[ye])) ++ye;
  if (ye - y != 2 && ye - y != 4) return -1;
  *end = ye;
  const int v = std::atoi(u.substr(y, ye - y).c_str());
  return ye - y == 2 ? 2000 + v : v;
}

// A date without a time at i: "01 JAN 2020", "02 MAR", "15/03/2026",
// "01.03.2019", optionally followed by a time ("AT 0000 UTC", "18 UTC").
// Without a time the warning runs to the end of that day.
bool ReadDate(const std::string& u, size_t i, DateTimeGroup* g) {
  size_t k = i;
  while (k < u.size() && IsAsciiDigit(u[k])) ++k;
  if (k - i < 1 || k - i > 2) return false;
  g->day = std::atoi(u.substr(i, k - i).c_str());
  g->hour = 23;
  g->minute = 59;
  g->year = -1;
  size_t end = k;
  if (k < u.size() && (u[k] == '/' || u[k] == '.')) {
    const char sep = u[k];
    size_t m = k + 1, me = m;
    while (me < u.size() && IsAsciiDigit(u[me])) ++me;
    if (me - m < 1 || me - m > 2 || me >= u.size() || u[me] != sep) return false;
    g->month = std::atoi(u.substr(m, me - m).c_str());
    size_t ye = me + 1;
    while (ye < u.size() && IsAsciiDigit(u[ye])) ++ye;
    if (ye - (me + 1) != 4 && ye - (me + 1) != 2) return false;
    const int v = std::atoi(u.substr(me + 1, ye - me - 1).c_str());
    g->year = ye - (me + 1) == 2 ? 2000 + v : v;
    end = ye;
  } else {
    while (k < u.size() && u[k] == ' ') ++k;
    g->month = MonthAt(u, k, &end);
    if (g->month == 0) return false;
    size_t ye = end;
    g->year = ReadYear(u, end, &ye);
    end = ye;
  }
  if (g->month < 1 || g->month > 12 || g->day < 1 || g->day > 31) return false;
  // "AT 0000 UTC", "0000 UTC", "18 UTC": the time of day.
  size_t t = end;
  while (t < u.size() && u[t] == ' ') ++t;
  if (WordAt(u, t) == "AT") {
    t += 2;
    while (t < u.size() && u[t] == ' ') ++t;
  }
  size_t te = t;
  while (te < u.size() && IsAsciiDigit(u[te])) ++te;
  size_t z = te;
  while (z < u.size() && u[z] == ' ') ++z;
  const bool zone = At(u, z, "UTC") || (z < u.size() && u[z] == 'Z' && z == te);
  if (zone && te - t == 4) {
    g->hour = std::atoi(u.substr(t, 2).c_str());
    g->minute = std::atoi(u.substr(t + 2, 2).c_str());
  } else if (zone && (te - t == 2 || te - t == 1)) {
    g->hour = std::atoi(u.substr(t, te - t).c_str());
    g->minute = 0;
  }
  return g->hour <= 23 && g->minute <= 59;
}

int64_t UtcMsOf(int year, const DateTimeGroup& g) {
  return ((DaysFromCivil(year, g.month, g.day) * 24 + g.hour) * 60 + g.minute) * 60000LL;
}

// "YYYY-MM-DDTHH:MMZ" of a date-time group; without a year, the year that
// puts the moment nearest to now. Empty when the date does not exist.
std::string FormatOwnEnd(const DateTimeGroup& g) {
  int year = g.year;
  if (year < 0) {
    const int64_t now = NowUtcMs();
    const int this_year = YearOfUtcMs(now);
    int64_t best = -1;
    for (int y = this_year - 1; y <= this_year + 1; ++y) {
      if (g.day > DaysInMonth(y, g.month)) continue;
      const int64_t d = std::llabs(UtcMsOf(y, g) - now);
      if (best < 0 || d < best) {
        best = d;
        year = y;
      }
    }
    if (year < 0) return std::string();
  }
  if (year < 1970 || year > 9999 || g.day > DaysInMonth(year, g.month)) return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02dZ", year, g.month, g.day, g.hour, g.minute);
  return buf;
}

// After a cancel marker at i: "THIS MSG" (MSGE, MESSAGE, WARNING) names the
// message's own end. Returns the offset after that phrase, or npos.
size_t OwnEndPhrase(const std::string& u, size_t i) {
  SkipSpaces(u, &i);
  if (WordAt(u, i) != "THIS") return std::string::npos;
  i += 4;
  SkipSpaces(u, &i);
  const std::string_view w = WordAt(u, i);
  if (w != "MSG" && w != "MSGE" && w != "MESSAGE" && w != "WARNING") return std::string::npos;
  return i + w.size();
}

// The date-time group (or date) after an own-end phrase, passing over "AT"
// or ':'.
bool OwnEndTime(const std::string& u, size_t i, DateTimeGroup* g) {
  while (i < u.size() && (u[i] == ' ' || u[i] == ':')) ++i;
  if (WordAt(u, i) == "AT") i += 2;
  while (i < u.size() && (u[i] == ' ' || u[i] == ':')) ++i;
  return ReadDateTimeGroup(u, i, g) || ReadDate(u, i, g);
}

// Own-end phrases that are no cancel marker: "CAN THIS MSG 312200 UTC MAR"
// and the Russian "ОТМ ЭТОТ НР 301430 СЕНТ" (cancel this number).
const char* const kShortOwnEnds[] = {
    "CAN ", "\xD0\x9E\xD0\xA2\xD0\x9C \xD0\xAD\xD0\xA2\xD0\x9E\xD0\xA2 \xD0\x9D\xD0\xA0"};

std::string ShortOwnEnd(const std::string& u) {
  for (const char* phrase : kShortOwnEnds) {
    const size_t len = std::char_traits<char>::length(phrase);
    for (size_t p = u.find(phrase); p != std::string::npos; p = u.find(phrase, p + 1)) {
      if (p > 0 && IsWordByteAt(u, p - 1)) continue;
      size_t after = p + len;
      if (len == 4) {  // "CAN THIS MSG", "CAN THIS MESSAGE"
        after = OwnEndPhrase(u, after);
        if (after == std::string::npos) continue;
      } else if (after < u.size() && IsWordByteAt(u, after)) {
        continue;
      }
      DateTimeGroup g;
      if (!OwnEndTime(u, after, &g)) continue;
      const std::string end = FormatOwnEnd(g);
      if (!end.empty()) return end;
    }
  }
  return std::string();
}

// Length of the cancel marker at i ("CANCELLED ", "CANCELED ", "CANCEL "),
// 0 when none starts there.
size_t MarkerAt(const std::string& u, size_t i) {
  for (const char* m : {"CANCELLED ", "CANCELED ", "CANCEL "})
    if (At(u, i, m)) return std::char_traits<char>::length(m);
  return 0;
}

// Skips to the next token and reads it; *i moves past it.
std::string NextToken(const std::string& u, size_t* i) {
  while (*i < u.size() && !IsTokenByte(u[*i])) ++*i;
  std::string t;
  while (*i < u.size() && IsTokenByte(u[*i]) && t.size() < kMaxCancelKey) t += u[(*i)++];
  return t;
}

// "0120/26", "1160", "47/18": a serial with or without its year.
bool IsSerialKey(std::string_view k, int* number, int* year) {
  const size_t slash = k.find('/');
  const std::string_view n = k.substr(0, slash);
  if (n.empty() || n.size() > 9) return false;
  for (char c : n)
    if (!IsAsciiDigit(c)) return false;
  *year = -1;
  if (slash != std::string_view::npos) {
    const std::string_view y = k.substr(slash + 1);
    if (y.size() != 2 && y.size() != 4) return false;
    for (char c : y)
      if (!IsAsciiDigit(c)) return false;
    *year = std::atoi(std::string(y).c_str()) % 100;
  }
  *number = std::atoi(std::string(n).c_str());
  return *number > 0;
}

// "GA87", "TA05": a NAVTEX frame's B1B2B3B4.
bool IsStationKey(std::string_view k) {
  return k.size() == 4 && IsAsciiUpper(k[0]) && IsAsciiUpper(k[1]) && IsAsciiDigit(k[2]) && IsAsciiDigit(k[3]);
}

CancelKey MakeKey(std::string token, Series series, int32_t navarea, std::string issuer) {
  CancelKey k;
  k.series = series;
  k.navarea = navarea;
  k.issuer = std::move(issuer);
  int n = 0, y = -1;
  if (IsSerialKey(token, &n, &y)) {
    k.kind = CancelKind::SERIAL;
    k.number = n;
    k.year = y;
  } else if (IsStationKey(token)) {
    k.kind = CancelKind::STATION;
  }
  k.key = std::move(token);
  return k;
}

// Words between CANCEL and a station's own number: "CANCEL NAVIGATIONAL
// WARNING NR. 49", "CANCEL NAVIAGATIONAL WARNING 34".
bool IsNumberingWord(std::string_view w) {
  static const char* const kWords[] = {"NAV",  "NAVIGATIONAL", "NAVIAGATIONAL", "NAVIGATION", "WARNING",
                                       "WARN", "WNG",          "NR",            "NO",         "NUMBER"};
  for (const char* k : kWords)
    if (w == k) return true;
  return false;
}

struct CancelReading {
  std::vector<CancelKey> keys;
  std::string own_end;  // "YYYY-MM-DDTHH:MMZ" of the first own-end phrase with a time
};

// "(GA87)(OA60)" after a UK coastal serial: the frames that carried it.
void ReadFrameCodes(const std::string& u, size_t i, std::vector<CancelKey>* keys) {
  for (;;) {
    while (i < u.size() && u[i] == ' ') ++i;
    if (i + 6 > u.size() || u[i] != '(' || u[i + 5] != ')' || !IsStationKey(std::string_view(u).substr(i + 1, 4)))
      return;
    keys->push_back(MakeKey(u.substr(i + 1, 4), Series::NONE, 0, ""));
    i += 6;
  }
}

// "NAV. WARN. NO. 165 CANCELLED.": a notice that names the cancelled
// warning before the word (at p), with nothing after it on the line.
void ReadCancelledNotice(const std::string& u, size_t p, std::vector<CancelKey>* keys) {
  size_t len = 0;
  if (At(u, p, "CANCELLED")) {
    len = 9;
  } else if (At(u, p, "CANCELED")) {
    len = 8;
  } else {
    return;
  }
  if (p > 0 && IsLetter(u[p - 1])) return;
  size_t e = p + len;
  while (e < u.size() && (u[e] == '.' || u[e] == ' ' || u[e] == '\r')) ++e;
  if (e < u.size() && u[e] != '\n') return;
  const size_t nl = p == 0 ? std::string::npos : u.rfind('\n', p - 1);
  const size_t line = nl == std::string::npos ? 0 : nl + 1;
  const std::string before = u.substr(line, p - line);
  HeaderLine h;
  if (ReadNationalSeries(before, &h) > 0 && h.serial > 0) {
    std::string token = std::to_string(h.serial);
    if (h.year >= 0) token += "/" + std::string(h.year < 10 ? "0" : "") + std::to_string(h.year);
    keys->push_back(MakeKey(token, Series::NATIONAL, 0, h.issuer));
    return;
  }
  size_t d = 0;
  while (d < before.size() && !IsAsciiDigit(before[d])) ++d;
  if (d == before.size()) return;
  const std::string token = NextToken(before, &d);
  int n = 0, y = 0;
  if (IsSerialKey(token, &n, &y)) keys->push_back(MakeKey(token, Series::NONE, 0, ""));
}

CancelReading ReadCancellations(const std::string& u) {
  CancelReading r;
  bool own_end_seen = false;
  std::vector<CancelKey> notices;
  for (size_t p = u.find("CANCEL"); p != std::string::npos; p = u.find("CANCEL", p + 1)) {
    ReadCancelledNotice(u, p, &notices);
    const size_t len = MarkerAt(u, p);
    if (len == 0) continue;
    size_t i = p + len;
    while (i < u.size() && (IsAsciiSpace(u[i]) || u[i] == ':')) ++i;
    // The message's own end, "CANCEL THIS MSG 151200Z MAR 26", or a bare
    // "CANCEL 012200 UTC MAR": a time, not a warning to replace.
    DateTimeGroup g;
    const size_t own = OwnEndPhrase(u, i);
    if (own != std::string::npos || ReadDateTimeGroup(u, i, &g)) {
      if (!own_end_seen && (own == std::string::npos || OwnEndTime(u, own, &g))) {
        r.own_end = FormatOwnEnd(g);
        own_end_seen = !r.own_end.empty();
      }
      continue;
    }
    // "CANCEL ALL NAV.WARNINGS NOT LISTED IN THIS MESSAGE" keeps an in-force
    // list: the warnings it leaves out are not named, so nothing is cancelled.
    if (WordAt(u, i) == "ALL") continue;
    // "CANCEL WZ 1160 (GA87)(OA60)", "CANCEL GERMAN NAV WARN 403/26".
    HeaderLine national;
    if (const size_t used = ReadNationalSeries(std::string_view(u).substr(i), &national);
        used > 0 && national.serial > 0) {
      std::string token = std::to_string(national.serial);
      if (national.year >= 0) token += "/" + std::string(national.year < 10 ? "0" : "") + std::to_string(national.year);
      r.keys.push_back(MakeKey(token, Series::NATIONAL, 0, national.issuer));
      ReadFrameCodes(u, i + used, &r.keys);
      continue;
    }
    size_t k = i;
    std::string token = NextToken(u, &k);
    Series series = Series::NONE;
    int32_t navarea = 0;
    // "CANCEL NAVAREA III 0120/26", "CANCEL HYDROLANT 1783/26": the series
    // word and numeral name where the serial belongs.
    if (const Series s = SeriesOfWord(token); s != Series::NONE) {
      series = s;
      token = NextToken(u, &k);
      if (s == Series::NAVAREA) {
        if (const int32_t n = NavareaOfNumeral(token); n > 0) {
          navarea = n;
          token = NextToken(u, &k);
        }
      }
    } else {
      // "CANCEL NAVIGATIONAL WARNING NR. 49": the station's own series.
      size_t j = k;
      std::string next = token;
      while (IsNumberingWord(next)) next = NextToken(u, &j);
      if (next != token && !next.empty() && IsAsciiDigit(next[0])) {
        token = next;
        k = j;
      }
    }
    if (token.empty()) continue;
    r.keys.push_back(MakeKey(token, series, navarea, ""));
    // "CANCEL NAVAREA IV 1170/25, 836/26." and "... 12/26 AND 13/26".
    for (;;) {
      size_t j = k;
      while (j < u.size() && u[j] == ' ') ++j;
      if (j < u.size() && u[j] == ',') {
        ++j;
      } else if (WordAt(u, j) == "AND") {
        j += 3;
      } else {
        break;
      }
      while (j < u.size() && IsAsciiSpace(u[j])) ++j;
      if (j >= u.size() || !IsAsciiDigit(u[j])) break;
      std::string next = NextToken(u, &j);
      int n = 0, y = 0;
      if (!IsSerialKey(next, &n, &y) || y < 0) break;
      r.keys.push_back(MakeKey(next, series, navarea, ""));
      k = j;
    }
  }
  for (CancelKey& k : notices) r.keys.push_back(std::move(k));
  if (!own_end_seen) r.own_end = ShortOwnEnd(u);
  return r;
}

// True when IsExpired can judge the value: an instant written
// "YYYY-MM-DDTHH:MMZ", or at least eight digits that begin with a date
// year-month-day from 2000 on.
bool Judgeable(const std::string& e) {
  if (e.size() == 17 && e[10] == 'T' && e[16] == 'Z') return true;
  std::string digits;
  for (char c : e)
    if (IsAsciiDigit(c)) digits += c;
  if (digits.size() < 8) return false;
  const int y = std::atoi(digits.substr(0, 4).c_str()), mo = std::atoi(digits.substr(4, 2).c_str()),
            d = std::atoi(digits.substr(6, 2).c_str());
  return y >= 2000 && mo >= 1 && mo <= 12 && d >= 1 && d <= 31;
}

// The marker-based validity end: a date-time group ("VALID UNTIL 151200 UTC
// MAR"), a date ("UNTIL 02 MAR 2019", "VALID UNTIL 03/03/2019 AT 0000 UTC")
// or digits year first ("EXPIRES 2026-03-15 23:59"). A stated end that
// cannot be read as a moment gives nothing rather than a value that never
// expires.
std::string ReadStatedExpiry(const std::string& u) {
  size_t g = u.find("VALID UNTIL");
  size_t marker = 11;
  if (g == std::string::npos) {
    g = u.find("EXPIRES");
    marker = 7;
  }
  if (g == std::string::npos) {
    g = u.find(" UNTIL ");
    marker = 7;
  }
  if (g == std::string::npos) return std::string();
  size_t i = g + marker;
  while (i < u.size() && u[i] == ' ') ++i;
  if (At(u, i, "FURTHER NOTICE")) return std::string();
  // Only a date on the marker's own line: a position or a date further on
  // must not end the warning.
  while (i < u.size() && u[i] != '\n' && !IsAsciiDigit(u[i])) ++i;
  if (i >= u.size() || u[i] == '\n') return std::string();
  DateTimeGroup t;
  if (ReadDateTimeGroup(u, i, &t) || ReadDate(u, i, &t)) return FormatOwnEnd(t);
  std::string out;
  for (; i < u.size() && out.size() < kMaxExpiry; ++i) {
    const char c = u[i];
    if (IsAsciiDigit(c) || c == '/' || c == '-' || c == ':') {
      out += c;
    } else if (c != ' ') {
      break;
    }
  }
  return out.size() >= 6 && Judgeable(out) ? out : std::string();
}

// Where a message stands for the cancellation rules: the scopes its serial
// lives in, and that serial.
struct Identity {
  std::vector<std::string> scopes;  // "NAVAREA:4", "HYDROLANT", "NAT:GERMAN", "STN:S", "NONE"
  std::string own_scope;            // the scope a series-less cancel of this message means
  int32_t serial = 0;
  int32_t year = -1;
};

Identity IdentityOf(const MsiMessage& m, const std::string& u) {
  Identity id;
  const HeaderLine h = ReadMessageHeader(u);
  const bool frame = !m.station_id.empty();
  // A frame's B3B4 is no warning number: only the number its text gives.
  id.serial = frame ? h.serial : (m.number > 0 ? m.number : h.serial);
  id.year = h.year;
  switch (h.series) {
    case Series::NAVAREA:
      id.scopes.push_back("NAVAREA:" + std::to_string(h.navarea > 0 ? h.navarea : m.navarea));
      break;
    case Series::HYDROLANT:
      id.scopes.push_back("HYDROLANT");
      break;
    case Series::HYDROPAC:
      id.scopes.push_back("HYDROPAC");
      break;
    case Series::HYDROARC:
      id.scopes.push_back("HYDROARC");
      break;
    case Series::NAVTEX:
      id.scopes.push_back("NAVTEX");
      break;
    case Series::NATIONAL:
      id.scopes.push_back("NAT:" + h.issuer);
      break;
    case Series::NONE:
      break;
  }
  if (frame) id.scopes.push_back(std::string("STN:") + m.b1);
  if (id.scopes.empty()) id.scopes.push_back("NONE");
  id.own_scope = frame ? id.scopes.back() : id.scopes.front();
  return id;
}

// The scope a serial key names: its series, or the cancelling message's own.
std::string KeyScope(const CancelKey& k, const Identity& owner) {
  switch (k.series) {
    case Series::NAVAREA:
      return k.navarea > 0 ? "NAVAREA:" + std::to_string(k.navarea) : std::string();
    case Series::HYDROLANT:
      return "HYDROLANT";
    case Series::HYDROPAC:
      return "HYDROPAC";
    case Series::HYDROARC:
      return "HYDROARC";
    case Series::NAVTEX:
      return "NAVTEX";
    case Series::NATIONAL:
      return "NAT:" + k.issuer;
    case Series::NONE:
      break;
  }
  return owner.own_scope;
}

}  // namespace

std::vector<CancelKey> ReadCancelKeys(const std::string& upper) { return ReadCancellations(upper).keys; }

std::string ReadCancelTarget(const std::string& upper) {
  const std::vector<CancelKey> keys = ReadCancelKeys(upper);
  return keys.empty() ? std::string() : keys.front().key;
}

std::string ReadExpiry(const std::string& upper) {
  std::string stated = ReadStatedExpiry(upper);
  if (!stated.empty()) return stated;
  return ReadCancellations(upper).own_end;
}

void ReadCancelTargetAndExpiry(const std::string& upper, std::string* target, std::string* expires) {
  CancelReading r = ReadCancellations(upper);
  *target = r.keys.empty() ? std::string() : r.keys.front().key;
  *expires = ReadStatedExpiry(upper);
  if (expires->empty()) *expires = std::move(r.own_end);
}

namespace {

// "(19 REPETITION)", "(9 REPETATION)": how often a station has sent the
// warning, not what it says. Returns the length of such a group at i.
size_t RepetitionCountAt(const std::string& t, size_t i, size_t end) {
  size_t k = i + 1;
  while (k < end && t[k] == ' ') ++k;
  const size_t d = k;
  while (k < end && IsAsciiDigit(t[k])) ++k;
  if (k == d) return 0;
  while (k < end && t[k] == ' ') ++k;
  static const char kRepet[] = "REPET";
  for (size_t j = 0; j < 5; ++j, ++k)
    if (k >= end || (t[k] & ~0x20) != kRepet[j]) return 0;
  while (k < end && IsLetter(t[k])) ++k;
  while (k < end && t[k] == ' ') ++k;
  return k < end && t[k] == ')' ? k + 1 - i : 0;
}

}  // namespace

std::string MessageFingerprint(const std::string& text) {
  uint64_t h = 14695981039346656037ULL;
  bool any = false, pending = false;
  auto add = [&](char c) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  };
  auto up = [&](size_t k) {
    const char c = text[k];
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  };
  auto word4 = [&](size_t i, size_t end, char a, char b) {
    return i + 4 <= end && up(i) == a && up(i + 1) == b && up(i + 2) == a && up(i + 3) == b;
  };
  const size_t n = text.size();
  std::string upper_line;
  for (size_t line = 0; line < n;) {
    size_t end = text.find('\n', line);
    if (end == std::string::npos) end = n;
    // Lines that say when and through which agency the warning was sent.
    size_t b = line;
    while (b < end && IsAsciiSpace(text[b])) ++b;
    if (b < end && (IsAsciiDigit(text[b]) || text[b] == 'M' || text[b] == 'm' || text[b] == 'R' || text[b] == 'r')) {
      upper_line = UpperAscii(std::string_view(text).substr(b, end - b));
      if (IsTimeStampLine(upper_line) || IsPreambleLine(upper_line)) {
        pending = true;
        line = end + 1;
        continue;
      }
    }
    for (size_t i = line; i < end;) {
      const char c = up(i);
      if (c == 'Z' && word4(i, end, 'Z', 'C')) {
        // The frame code says who sent it, not what it says; the rest of a
        // one-line frame is its text.
        i += 4;
        while (i < end && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r')) ++i;
        i = std::min(end, i + 4);
        pending = true;
        continue;
      }
      if (c == 'N' && i + 4 <= end && up(i + 1) == 'N' && up(i + 2) == 'N' && up(i + 3) == 'N') {
        i += 4;
        continue;
      }
      if (c == '(') {
        if (const size_t rep = RepetitionCountAt(text, i, end); rep > 0) {
          i += rep;
          pending = true;
          continue;
        }
      }
      ++i;
      if (IsAsciiSpace(c)) {
        pending = true;
        continue;
      }
      if (pending && any) add(' ');
      add(c);
      any = true;
      pending = false;
    }
    pending = true;
    line = end + 1;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "fnv1a64:%016" PRIx64, h);
  return buf;
}

std::string MakeMessageId(MsgType type, const std::string& raw_text, const std::string& station_id, int32_t number) {
  std::string id = std::string(TypeName(type)) + "_" + MessageFingerprint(raw_text);
  if (!station_id.empty()) {
    id += "_" + station_id;
  } else if (number > 0) {
    id += "_" + std::to_string(number);
  }
  return id;
}

bool IsExpired(const MsiMessage& m) {
  const std::string& e = m.expires;
  if (e.empty()) return false;
  // "YYYY-MM-DDTHH:MMZ": the moment a warning's own cancel time names, in UTC.
  int y = 0, mo = 0, d = 0, hh = 0, mm = 0;
  char tail = 0;
  if (e.size() == 17 && e[10] == 'T' &&
      std::sscanf(e.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &y, &mo, &d, &hh, &mm, &tail) == 6 && tail == 'Z') {
    if (mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || hh > 23 || mm > 59) return false;
    const int64_t t = ((DaysFromCivil(y, mo, d) * 24 + hh) * 60 + mm) * 60000LL;
    return NowUtcMs() >= t;
  }
  std::string digits;
  for (char c : e)
    if (IsAsciiDigit(c)) digits += c;
  if (digits.size() < 8) return false;
  y = std::atoi(digits.substr(0, 4).c_str());
  mo = std::atoi(digits.substr(4, 2).c_str());
  d = std::atoi(digits.substr(6, 2).c_str());
  if (y < 2000 || mo < 1 || mo > 12 || d < 1 || d > 31) return false;
  // The end of that day in local standard time.
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = 23;
  tm.tm_min = 59;
  tm.tm_isdst = 0;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return false;
  return NowUtcMs() > static_cast<int64_t>(t) * 1000;
}

void NormaliseMessages(std::vector<MsiMessage>* messages) {
  std::vector<MsiMessage>& list = *messages;

  // The newest copy of each warning: the last one with its id.
  std::vector<std::string> upper_ids;
  {
    std::vector<std::string> all(list.size());
    std::unordered_map<std::string, size_t> last;
    for (size_t i = 0; i < list.size(); ++i) {
      all[i] = UpperAscii(list[i].id);
      if (!all[i].empty()) last[all[i]] = i;
    }
    std::vector<MsiMessage> kept;
    kept.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      if (all[i].empty() || last[all[i]] == i) {
        kept.push_back(std::move(list[i]));
        upper_ids.push_back(std::move(all[i]));
      }
    }
    list = std::move(kept);
  }

  // Who cancels what. A cancelling message stays active: it usually carries
  // the replacement warning itself.
  struct Owned {
    CancelKey key;
    size_t owner;
  };
  std::vector<Owned> keys;
  std::vector<Identity> ids(list.size());
  for (size_t i = 0; i < list.size(); ++i) {
    const std::string u = UpperAscii(list[i].raw_text);
    std::vector<CancelKey> own = ReadCancelKeys(u);
    // Messages read from elsewhere (parcels) may keep only the target.
    if (own.empty() && !list[i].cancel_target.empty())
      own.push_back(MakeKey(UpperAscii(list[i].cancel_target), Series::NONE, 0, ""));
    for (CancelKey& k : own) keys.push_back({std::move(k), i});
    if (IsExpired(list[i])) list[i].active = false;
    ids[i] = IdentityOf(list[i], u);
  }
  if (keys.empty()) return;

  // Every message under each name a key can give it: its id and station,
  // and its serial in each of its scopes, with its year and whatever the
  // year. A key then looks up exactly the messages it cancels, and a bucket
  // already cleared by one key is not walked again: the pass stays linear
  // however many messages share a serial.
  struct Bucket {
    std::vector<size_t> members;
    size_t first_owner = SIZE_MAX;  // the owner of the key that cleared it
    bool first_owner_member = false;
    bool full = false;  // every member inactive
  };
  std::unordered_map<std::string, int> scope_ids;
  auto scope_id = [&](const std::string& scope) {
    return scope_ids.emplace(scope, static_cast<int>(scope_ids.size())).first->second;
  };
  // scope (20 bits), year + 2 (8 bits; 1 for "any year"), serial (32 bits).
  auto serial_name = [](int scope, int year_or_any, int32_t serial) {
    return (static_cast<uint64_t>(scope) << 40) | (static_cast<uint64_t>(year_or_any + 2) << 32) |
           static_cast<uint32_t>(serial);
  };
  constexpr int kAnyYear = -1;
  std::unordered_map<std::string, Bucket> by_text;
  std::unordered_map<uint64_t, Bucket> by_serial;
  for (size_t i = 0; i < list.size(); ++i) {
    if (!upper_ids[i].empty()) by_text[upper_ids[i]].members.push_back(i);
    if (!list[i].station_id.empty() && list[i].station_id != list[i].id)
      by_text[list[i].station_id].members.push_back(i);
    if (ids[i].serial <= 0) continue;
    for (const std::string& scope : ids[i].scopes) {
      const int sid = scope_id(scope);
      by_serial[serial_name(sid, kAnyYear, ids[i].serial)].members.push_back(i);
      by_serial[serial_name(sid, ids[i].year < 0 ? -2 : ids[i].year, ids[i].serial)].members.push_back(i);
    }
  }
  auto clear = [&](Bucket* b, size_t owner) {
    if (!b || b->full || b->first_owner == owner) return;
    if (b->first_owner == SIZE_MAX) {
      // A message never cancels itself.
      for (size_t j : b->members) {
        if (j == owner) {
          b->first_owner_member = true;
        } else {
          list[j].active = false;
        }
      }
      b->first_owner = owner;
      b->full = !b->first_owner_member;
      return;
    }
    list[b->first_owner].active = false;  // a second owner clears the first
    b->full = true;
  };
  auto text_bucket = [&](const std::string& k) {
    auto it = by_text.find(k);
    return it == by_text.end() ? nullptr : &it->second;
  };
  auto serial_bucket = [&](uint64_t k) {
    auto it = by_serial.find(k);
    return it == by_serial.end() ? nullptr : &it->second;
  };
  for (const Owned& k : keys) {
    const CancelKey& key = k.key;
    if (key.kind != CancelKind::SERIAL || key.series == Series::NONE) clear(text_bucket(key.key), k.owner);
    if (key.kind != CancelKind::SERIAL) continue;
    const std::string scope = KeyScope(key, ids[k.owner]);
    auto sid = scope_ids.find(scope);
    if (scope.empty() || sid == scope_ids.end()) continue;
    if (key.year < 0) {
      clear(serial_bucket(serial_name(sid->second, kAnyYear, key.number)), k.owner);
    } else {
      clear(serial_bucket(serial_name(sid->second, key.year, key.number)), k.owner);
      clear(serial_bucket(serial_name(sid->second, -2, key.number)), k.owner);  // messages without a year
    }
  }
}

}  // namespace orvane
