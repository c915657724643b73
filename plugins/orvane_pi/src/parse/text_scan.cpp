#include "parse/text_scan.h"

#include <algorithm>

#include "common/text.h"

namespace orvane {
namespace {

constexpr double kMaxRadiusNm = 500.0;
constexpr double kMetresPerNm = 1852.0;

struct NumberWord {
  std::string_view word;
  double value;
};
constexpr NumberWord kNumberWords[] = {
    {"ONE", 1},      {"TWO", 2},       {"THREE", 3},     {"FOUR", 4},      {"FIVE", 5},
    {"SIX", 6},      {"SEVEN", 7},     {"EIGHT", 8},     {"NINE", 9},      {"TEN", 10},
    {"ELEVEN", 11},  {"TWELVE", 12},   {"THIRTEEN", 13}, {"FOURTEEN", 14}, {"FIFTEEN", 15},
    {"SIXTEEN", 16}, {"SEVENTEEN", 17}, {"EIGHTEEN", 18}, {"NINETEEN", 19}, {"TWENTY", 20},
};

enum class UnitKind { kNautical, kMetric };
struct Unit {
  std::string_view text;
  double per_unit;  // nautical miles, or metres for metric units
  UnitKind kind;
  bool prefix_only;  // Russian units decline: "МИЛЬ", "МИЛИ", "МИЛЯ"
};
// Longer spellings first, so "NAUTICAL MILES" is not read as "NAUTICAL".
constexpr Unit kUnits[] = {
    {"NAUTICAL MILES", 1, UnitKind::kNautical, false},
    {"NAUTICAL MILE", 1, UnitKind::kNautical, false},
    {"N.MILES", 1, UnitKind::kNautical, false},
    {"N.M.", 1, UnitKind::kNautical, false},
    {"NMI", 1, UnitKind::kNautical, false},
    {"NM", 1, UnitKind::kNautical, false},
    {"MILES", 1, UnitKind::kNautical, false},
    {"MILE", 1, UnitKind::kNautical, false},
    {"CABLES", 0.1, UnitKind::kNautical, false},
    {"CABLE", 0.1, UnitKind::kNautical, false},
    {"CBLS", 0.1, UnitKind::kNautical, false},
    {"KILOMETRES", 1000, UnitKind::kMetric, false},
    {"KILOMETERS", 1000, UnitKind::kMetric, false},
    {"KILOMETRE", 1000, UnitKind::kMetric, false},
    {"KILOMETER", 1000, UnitKind::kMetric, false},
    {"KM", 1000, UnitKind::kMetric, false},
    {"METRES", 1, UnitKind::kMetric, false},
    {"METERS", 1, UnitKind::kMetric, false},
    {"METRE", 1, UnitKind::kMetric, false},
    {"METER", 1, UnitKind::kMetric, false},
    {"MTRS", 1, UnitKind::kMetric, false},
    {"YARDS", 0.9144, UnitKind::kMetric, false},
    {"YDS", 0.9144, UnitKind::kMetric, false},
    {"M", 1, UnitKind::kMetric, false},
    {"\xD0\x9C\xD0\x98\xD0\x9B", 1, UnitKind::kNautical, true},  // МИЛ(Ь, И, Я)
    {"\xD0\x9A\xD0\x90\xD0\x91", 0.1, UnitKind::kNautical, true},  // КАБ(ЕЛЬТОВ)
    {"\xD0\x9A\xD0\x91", 0.1, UnitKind::kNautical, false},       // КБ
    {"\xD0\x9A\xD0\x9C", 1000, UnitKind::kMetric, false},  // КМ
    {"\xD0\x9C", 1, UnitKind::kMetric, false},    // М
};

// Words that may stand between a distance and the thing it surrounds.
constexpr std::string_view kLineWords[] = {"TRACKLINE", "TRACKLINES", "TRACK", "LINE", "ROUTE", "POSITION", "POINT"};

size_t SkipSpace(std::string_view u, size_t i, size_t to) {
  while (i < to && IsAsciiSpace(u[i])) ++i;
  return i;
}

size_t WordEnd(std::string_view u, size_t i) {
  while (i < u.size() && IsWordByte(u[i])) ++i;
  return i;
}

// The value of a number word ("FIVE"), or 0.
double NumberWordValue(std::string_view w) {
  if (w.size() < 3 || w.size() > 9) return 0;
  for (const NumberWord& n : kNumberWords)
    if (n.word[0] == w[0] && n.word == w) return n.value;
  return 0;
}

bool NumberAt(std::string_view u, size_t i, size_t to, double* value, size_t* end) {
  if (i >= to) return false;
  if (IsAsciiDigit(u[i])) {
    if (i > 0 && (IsAsciiDigit(u[i - 1]) || u[i - 1] == '.' || u[i - 1] == ',' || IsWordByte(u[i - 1]))) return false;
    size_t k = i;
    double v = 0;
    while (k < to && IsAsciiDigit(u[k])) v = v * 10 + (u[k++] - '0');
    if (k + 1 < to && (u[k] == '.' || u[k] == ',') && IsAsciiDigit(u[k + 1])) {
      double scale = 1;
      for (++k; k < to && IsAsciiDigit(u[k]); ++k) {
        scale /= 10;
        v += (u[k] - '0') * scale;
      }
    }
    *value = v;
    *end = k;
    return true;
  }
  if (i > 0 && (IsWordByte(u[i - 1]) || IsAsciiDigit(u[i - 1]))) return false;
  const size_t e = std::min(WordEnd(u, i), to);
  const double v = NumberWordValue(u.substr(i, e - i));
  if (v == 0) return false;
  *value = v;
  *end = e;
  return true;
}

// The unit after a number: blanks or one dash may come between ("5 NM",
// "5NM", "FIVE-MILE"); the unit ends at a word boundary.
const Unit* UnitAt(std::string_view u, size_t i, size_t to, size_t* end) {
  size_t k = i;
  while (k < to && (u[k] == ' ' || u[k] == '\t' || u[k] == '\n' || u[k] == '\r')) ++k;
  if (k == i && k < to && u[k] == '-') ++k;
  if (k >= to || !IsWordByte(u[k])) return nullptr;
  for (const Unit& unit : kUnits) {
    if (unit.text[0] != u[k]) continue;
    if (k + unit.text.size() > to || u.compare(k, unit.text.size(), unit.text) != 0) continue;
    const size_t e = k + unit.text.size();
    if (!unit.prefix_only && e < u.size() && IsWordByte(u[e])) continue;
    size_t f = e;
    if (unit.prefix_only)
      while (f < u.size() && IsWordByte(u[f])) ++f;
    *end = f;
    return &unit;
  }
  return nullptr;
}

// A number followed by its unit, in nautical miles; false for none, for
// zero and for more than 500 NM.
bool DistanceAt(std::string_view u, size_t i, size_t to, double* nm, size_t* end) {
  double v = 0;
  size_t k = 0;
  if (!NumberAt(u, i, to, &v, &k)) return false;
  size_t e = 0;
  const Unit* unit = UnitAt(u, k, to, &e);
  if (unit == nullptr || v <= 0) return false;
  double d;
  if (unit->kind == UnitKind::kNautical) {
    d = v * unit->per_unit;
    if (d > kMaxRadiusNm) return false;
  } else {
    d = std::min(v * unit->per_unit / kMetresPerNm, kMaxRadiusNm);
  }
  *nm = d;
  *end = e;
  return true;
}

// After a keyword: blanks, an optional "OF" or ':', then the distance.
bool DistanceAfter(std::string_view u, size_t i, size_t to, double* nm, size_t* end) {
  i = SkipSpace(u, i, to);
  if (i < to && u[i] == ':') i = SkipSpace(u, i + 1, to);
  if (WordAt(u, i, "OF")) i = SkipSpace(u, i + 2, to);
  return DistanceAt(u, i, to, nm, end);
}

}  // namespace

bool WordAt(std::string_view u, size_t i, std::string_view w, bool prefix_only) {
  if (i + w.size() > u.size() || u.compare(i, w.size(), w) != 0) return false;
  if (i > 0 && (IsWordByte(u[i - 1]) || IsAsciiDigit(u[i - 1]))) return false;
  if (!prefix_only && i + w.size() < u.size() && IsWordByte(u[i + w.size()])) return false;
  return true;
}

size_t FindWord(std::string_view u, size_t from, size_t to, std::string_view w, bool prefix_only) {
  to = std::min(to, u.size());
  // The search stays inside [from, to): a part of a long message costs its
  // own length, not the message's.
  const std::string_view range = u.substr(0, to);
  for (size_t i = range.find(w, from); i != std::string_view::npos; i = range.find(w, i + 1))
    if (WordAt(u, i, w, prefix_only)) return i;
  return std::string_view::npos;
}

StatedDistance FirstStatedRadius(std::string_view u, size_t from, size_t to) {
  to = std::min(to, u.size());
  StatedDistance out;
  // Word by word and number by number: a keyword then its distance, or a
  // distance then what it surrounds.
  size_t i = from;
  while (i < to) {
    const char c = u[i];
    const bool digit = IsAsciiDigit(c);
    if (!digit && !IsWordByte(c)) {
      ++i;
      continue;
    }
    const bool starts = i == 0 || (!IsWordByte(u[i - 1]) && !IsAsciiDigit(u[i - 1]));
    size_t next = i + 1;
    if (!digit) next = WordEnd(u, i);
    if (!starts && !digit) {
      i = next;
      continue;
    }
    double nm = 0;
    size_t end = 0;
    if (!digit) {
      const std::string_view w = u.substr(i, next - i);
      size_t after = std::string_view::npos;
      if (w == "WITHIN" || w == "RADIUS") {
        after = next;
      } else if (StartsWith(w, "\xD0\xA0\xD0\x90\xD0\x94\xD0\x98\xD0\xA3\xD0\xA1")) {  // РАДИУС(Е)
        after = next;
      } else if (w == "SAFE" || w == "SAFETY") {
        const size_t k = SkipSpace(u, next, to);
        if (WordAt(u, k, "DISTANCE") || WordAt(u, k, "ZONE") || WordAt(u, k, "RADIUS")) after = WordEnd(u, k);
      }
      if (after != std::string_view::npos && DistanceAfter(u, after, to, &nm, &end)) {
        out = {true, nm, i, end, false};
        // "ALL WITHIN": stated once for every part of the message.
        size_t b = i;
        while (b > from && IsAsciiSpace(u[b - 1])) --b;
        out.for_all = b >= 3 && WordAt(u, b - 3, "ALL");
        return out;
      }
      if (NumberWordValue(w) == 0) {
        i = next;
        continue;
      }
    }
    if (!DistanceAt(u, i, to, &nm, &end)) {
      if (digit)
        while (next < to && IsAsciiDigit(u[next])) ++next;
      i = next;
      continue;
    }
    size_t k = SkipSpace(u, end, to);
    bool radius = false;
    if (WordAt(u, k, "RADIUS") || WordAt(u, k, "AROUND")) {
      radius = true;
    } else if (WordAt(u, k, "OF")) {
      k = SkipSpace(u, k + 2, to);
      radius = k < to && IsAsciiDigit(u[k]);
      for (std::string_view w : kLineWords) radius = radius || WordAt(u, k, w);
    }
    if (radius) return {true, nm, i, end, false};
    i = end > i ? end : next;
  }
  return out;
}

}  // namespace orvane
