#include "parse/identity.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unordered_map>

#include "common/clock.h"
#include "common/text.h"

namespace orvane {
namespace {

constexpr size_t kMaxCancelKey = 24;
constexpr size_t kMaxExpiry = 12;

bool IsTokenByte(char c) { return IsAsciiUpper(c) || IsAsciiDigit(c) || c == '/' || c == '-' || (c >= 'a' && c <= 'z'); }
bool IsLetter(char c) { return IsAsciiUpper(c) || (c >= 'a' && c <= 'z'); }

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
  g->month = MonthOf(WordAt(u, k));
  if (g->month == 0) return false;
  k += WordAt(u, k).size();
  size_t y = k;
  while (y < u.size() && u[y] == ' ') ++y;
  size_t ye = y;
  while (ye < u.size() && IsAsciiDigit(u[ye])) ++ye;
  if (ye - y == 2) g->year = 2000 + two(y);
  if (ye - y == 4) g->year = std::atoi(u.substr(y, 4).c_str());
  if (g->day < 1 || g->day > 31 || g->hour > 23 || g->minute > 59) return false;
  return true;
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
    const int this_year = std::atoi(FormatUtcTime(now, "%Y").c_str());
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

// The date-time group after an own-end phrase, passing over "AT" or ':'.
bool OwnEndTime(const std::string& u, size_t i, DateTimeGroup* g) {
  while (i < u.size() && (u[i] == ' ' || u[i] == ':')) ++i;
  if (WordAt(u, i) == "AT") i += 2;
  while (i < u.size() && (u[i] == ' ' || u[i] == ':')) ++i;
  return ReadDateTimeGroup(u, i, g);
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

bool IsSerialKey(std::string_view k, int* number, int* year) {
  const size_t slash = k.find('/');
  if (slash == std::string_view::npos || slash == 0) return false;
  const std::string_view n = k.substr(0, slash), y = k.substr(slash + 1);
  if (n.size() > 9 || (y.size() != 2 && y.size() != 4)) return false;
  for (char c : n)
    if (!IsAsciiDigit(c)) return false;
  for (char c : y)
    if (!IsAsciiDigit(c)) return false;
  *number = std::atoi(std::string(n).c_str());
  *year = std::atoi(std::string(y).c_str()) % 100;
  return true;
}

struct CancelReading {
  std::vector<CancelKey> keys;
  std::string own_end;  // "YYYY-MM-DDTHH:MMZ" of the first own-end phrase with a time
};

CancelReading ReadCancellations(const std::string& u) {
  CancelReading r;
  bool own_end_seen = false;
  for (size_t p = u.find("CANCEL"); p != std::string::npos; p = u.find("CANCEL", p + 1)) {
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
    }
    if (token.empty()) continue;
    r.keys.push_back({token, series, navarea});
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
      if (!IsSerialKey(next, &n, &y)) break;
      r.keys.push_back({next, series, navarea});
      k = j;
    }
  }
  return r;
}

// The marker-based validity end, as the text writes it.
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
  std::string out;
  for (; i < u.size() && out.size() < kMaxExpiry; ++i) {
    const char c = u[i];
    if (IsAsciiDigit(c) || c == '/' || c == '-' || c == ':') {
      out += c;
    } else if (c != ' ') {
      break;
    }
  }
  return out.size() >= 6 ? out : std::string();
}

// A message as the cancellation rules see it.
struct Identity {
  std::string upper_id;
  HeaderSeries header;
  int32_t navarea = 0;  // the navarea field, else the header's numeral
  int year = -1;        // the header's year, two digits
};

Identity IdentityOf(const MsiMessage& m) {
  Identity id;
  id.upper_id = UpperAscii(m.id);
  const std::string u = UpperAscii(m.raw_text);
  id.header = ReadHeaderSeries(u);
  id.navarea = m.navarea > 0 ? m.navarea : id.header.navarea;
  const HeaderSerial s = ReadHeaderSerial(std::string_view(u).substr(DateTimeGroupPrefixLength(u)));
  if (s.serial > 0 && s.year >= 0) id.year = s.year % 100;
  return id;
}

bool Cancels(const CancelKey& k, const MsiMessage& m, const Identity& id) {
  int n = 0, year = -1;
  const bool serial = IsSerialKey(k.key, &n, &year);
  const bool hit = (!id.upper_id.empty() && id.upper_id == k.key) || (!m.station_id.empty() && m.station_id == k.key) ||
                   (serial && m.number > 0 && n == m.number && (id.year < 0 || id.year == year));
  if (!hit) return false;
  // A serial belongs to its series: NAVAREA IV 836/26 is not NAVAREA XII
  // 836/26, and neither is HYDROLANT 836/26.
  if (k.series == Series::NAVAREA) return id.navarea == k.navarea && k.navarea > 0;
  if (k.series == Series::HYDROLANT || k.series == Series::HYDROPAC || k.series == Series::HYDROARC)
    return id.header.series == k.series;
  return true;
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

std::string MessageFingerprint(const std::string& text) {
  uint64_t h = 14695981039346656037ULL;
  bool any = false, pending = false;
  auto add = [&](char c) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  };
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    auto up = [&](size_t k) {
      const char c = text[k];
      return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    if (i + 4 <= n && up(i) == 'Z' && up(i + 1) == 'C' && up(i + 2) == 'Z' && up(i + 3) == 'C') {
      // The frame line says who sent it, not what it says.
      const size_t nl = text.find('\n', i);
      if (nl == std::string::npos) break;
      i = nl;
      continue;
    }
    if (i + 4 <= n && up(i) == 'N' && up(i + 1) == 'N' && up(i + 2) == 'N' && up(i + 3) == 'N') {
      i += 4;
      continue;
    }
    const char c = up(i++);
    if (IsAsciiSpace(c)) {
      pending = true;
      continue;
    }
    if (pending && any) add(' ');
    add(c);
    any = true;
    pending = false;
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
  {
    std::unordered_map<std::string, size_t> last;
    for (size_t i = 0; i < list.size(); ++i)
      if (!list[i].id.empty()) last[UpperAscii(list[i].id)] = i;
    std::vector<MsiMessage> kept;
    kept.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].id.empty() || last[UpperAscii(list[i].id)] == i) kept.push_back(std::move(list[i]));
    list = std::move(kept);
  }

  // Who cancels what. A cancelling message stays active: it usually carries
  // the replacement warning itself.
  struct Owned {
    CancelKey key;
    size_t owner;
  };
  std::vector<Owned> keys;
  for (size_t i = 0; i < list.size(); ++i) {
    std::vector<CancelKey> own = ReadCancelKeys(UpperAscii(list[i].raw_text));
    // Messages read from elsewhere (parcels) may keep only the target.
    if (own.empty() && !list[i].cancel_target.empty()) own.push_back({UpperAscii(list[i].cancel_target)});
    for (CancelKey& k : own) keys.push_back({std::move(k), i});
    if (IsExpired(list[i])) list[i].active = false;
  }
  if (keys.empty()) return;

  // Candidates by id, station and number, so each key looks at its own few.
  std::unordered_map<std::string, std::vector<size_t>> by_text;
  std::unordered_map<int32_t, std::vector<size_t>> by_number;
  std::vector<Identity> ids(list.size());
  std::vector<bool> identified(list.size(), false);
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].id.empty()) by_text[UpperAscii(list[i].id)].push_back(i);
    if (!list[i].station_id.empty()) by_text[list[i].station_id].push_back(i);
    if (list[i].number > 0) by_number[list[i].number].push_back(i);
  }
  auto check = [&](const Owned& k, size_t j) {
    if (j == k.owner || !list[j].active) return;
    if (!identified[j]) {
      ids[j] = IdentityOf(list[j]);
      identified[j] = true;
    }
    if (Cancels(k.key, list[j], ids[j])) list[j].active = false;
  };
  for (const Owned& k : keys) {
    if (auto it = by_text.find(k.key.key); it != by_text.end())
      for (size_t j : it->second) check(k, j);
    int n = 0, year = 0;
    if (IsSerialKey(k.key.key, &n, &year))
      if (auto it = by_number.find(n); it != by_number.end())
        for (size_t j : it->second) check(k, j);
  }
}

}  // namespace orvane
