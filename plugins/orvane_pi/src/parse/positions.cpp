#include "parse/positions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>

#include "common/text.h"
#include "parse/text_scan.h"

namespace orvane {
namespace {

constexpr double kNearDegrees = 1e-5;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The signs written after minutes and seconds, in ASCII and UTF-8.
constexpr std::string_view kMinuteSigns[] = {"'", "\xE2\x80\xB2", "\xE2\x80\x99", "\xC2\xB4"};
constexpr std::string_view kSecondSigns[] = {"''", "\"", "\xE2\x80\xB3", "\xE2\x80\x99\xE2\x80\x99", "\xE2\x80\x9D"};
constexpr std::string_view kDegreeSigns[] = {"\xC2\xB0", "\xC2\xBA"};
// Joiners between latitude and longitude besides blanks, '-', ',' and '/'.
constexpr std::string_view kJoinerWords[] = {"\xE2\x80\x93", "\xE2\x80\x94", "LONG.", "LONG", "LON."};

struct Hemisphere {
  std::string_view text;
  bool negative;
};
constexpr Hemisphere kLatHemispheres[] = {
    {"N", false}, {"S", true}, {"n", false}, {"s", true},
    {"\xD0\xA1", false}, {"\xD1\x81", false},  // С с (север)
    {"\xD0\xAE", true},  {"\xD1\x8E", true},   // Ю ю (юг)
};
constexpr Hemisphere kLonHemispheres[] = {
    {"E", false}, {"W", true}, {"e", false}, {"w", true},
    {"\xD0\x92", false}, {"\xD0\xB2", false},  // В в (восток)
    {"\xD0\x97", true},  {"\xD0\xB7", true},   // З з (запад)
};

template <size_t N>
size_t MatchAny(std::string_view t, size_t i, const std::string_view (&options)[N]) {
  for (std::string_view o : options)
    if (t.compare(i, o.size(), o) == 0) return o.size();
  return 0;
}

size_t SkipBlanks(std::string_view t, size_t i) {
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
  return i;
}

size_t DigitRun(std::string_view t, size_t i) {
  size_t k = i;
  while (k < t.size() && IsAsciiDigit(t[k])) ++k;
  return k - i;
}

double DigitsValue(std::string_view t, size_t i, size_t n) {
  double v = 0;
  for (size_t k = 0; k < n; ++k) v = v * 10 + (t[i + k] - '0');
  return v;
}

double FractionValue(std::string_view t, size_t i, size_t n) {
  double v = 0, scale = 1;
  for (size_t k = 0; k < n; ++k) {
    scale /= 10;
    v += (t[i + k] - '0') * scale;
  }
  return v;
}

enum class DegreeSep { kDash, kBlank, kSign };

// One coordinate: degrees, minutes and optional seconds, then the
// hemisphere letter. On success *end is just after the letter.
struct Coordinate {
  double value = 0;
  bool negative = false;
  size_t minute_digits = 0;  // whole-minute digits as written
  size_t end = 0;
};

template <size_t N>
bool ReadCoordinate(std::string_view t, size_t s, size_t max_degree_digits, double max_degrees,
                    const Hemisphere (&hemispheres)[N], Coordinate* out) {
  size_t i = s;
  const size_t nd = DigitRun(t, i);
  if (nd == 0 || nd > max_degree_digits) return false;
  const double deg = DigitsValue(t, i, nd);
  i += nd;
  if (i >= t.size()) return false;
  DegreeSep sep;
  if (t[i] == '-') {
    sep = DegreeSep::kDash;
    ++i;
  } else if (t[i] == ' ') {
    sep = DegreeSep::kBlank;
    ++i;
  } else if (size_t n = MatchAny(t, i, kDegreeSigns)) {
    sep = DegreeSep::kSign;
    i += n;
  } else {
    return false;
  }
  i = SkipBlanks(t, i);

  // Minutes: whole digits, then a decimal point or comma and its digits;
  // a digits-only field of three or more is two whole digits and a fraction.
  const size_t nm = DigitRun(t, i);
  if (nm == 0) return false;
  double minutes;
  size_t whole_digits = nm;
  bool fractional = false;
  if (i + nm + 1 < t.size() && (t[i + nm] == '.' || t[i + nm] == ',') && IsAsciiDigit(t[i + nm + 1])) {
    minutes = DigitsValue(t, i, nm);
    const size_t nf = DigitRun(t, i + nm + 1);
    minutes += FractionValue(t, i + nm + 1, nf);
    i += nm + 1 + nf;
    fractional = true;
  } else if (nm >= 3) {
    minutes = DigitsValue(t, i, 2) + FractionValue(t, i + 2, nm - 2);
    whole_digits = 2;
    i += nm;
    fractional = true;
  } else {
    minutes = DigitsValue(t, i, nm);
    i += nm;
  }

  double seconds = 0;
  const size_t minute_sign = MatchAny(t, i, kMinuteSigns);
  if (minute_sign != 0 && MatchAny(t, i, kSecondSigns) == 0) i += minute_sign;
  if (!fractional) {
    // Seconds follow the minutes the way the minutes follow the degrees.
    size_t k = i;
    bool may_follow = false;
    if (sep == DegreeSep::kDash && minute_sign == 0 && k < t.size() && t[k] == '-') {
      ++k;
      may_follow = true;
    } else if (sep != DegreeSep::kDash) {
      const size_t b = SkipBlanks(t, k);
      may_follow = minute_sign != 0 || b > k;
      k = b;
    }
    const size_t ns = may_follow ? DigitRun(t, k) : 0;
    if (ns > 0) {
      double v = DigitsValue(t, k, ns);
      size_t e = k + ns;
      if (e + 1 < t.size() && t[e] == '.' && IsAsciiDigit(t[e + 1])) {
        const size_t nf = DigitRun(t, e + 1);
        v += FractionValue(t, e + 1, nf);
        e += 1 + nf;
      }
      if (sep != DegreeSep::kDash && minute_sign == 0 && ns >= 3) {
        minutes += FractionValue(t, k, ns);  // "44 14 132N": minutes 14.132
      } else {
        seconds = v;
      }
      i = e;
      if (size_t n = MatchAny(t, i, kSecondSigns)) i += n;
      else if (size_t n2 = MatchAny(t, i, kMinuteSigns)) i += n2;
    }
  }
  i = SkipBlanks(t, i);
  if (i >= t.size()) return false;
  const Hemisphere* h = nullptr;
  for (const Hemisphere& c : hemispheres)
    if (t.compare(i, c.text.size(), c.text) == 0) h = &c;
  if (h == nullptr) return false;
  if (minutes >= 60.0 || seconds >= 60.0) return false;
  const double value = deg + minutes / 60.0 + seconds / 3600.0;
  if (value > max_degrees) return false;
  out->value = value;
  out->negative = h->negative;
  out->minute_digits = whole_digits;
  out->end = i + h->text.size();
  return true;
}

// Bytes between a latitude and its longitude: blanks, line ends, dashes,
// a comma or slash, "LONG.".
size_t SkipJoiners(std::string_view t, size_t i) {
  for (;;) {
    while (i < t.size() && (IsAsciiSpace(t[i]) || t[i] == '-' || t[i] == ',' || t[i] == '/')) ++i;
    if (i >= t.size()) return i;
    size_t n = 0;
    for (std::string_view w : kJoinerWords) {
      if (t.size() - i >= w.size() && std::equal(w.begin(), w.end(), t.begin() + i, [](char a, char b) {
            return a == ((b >= 'a' && b <= 'z') ? static_cast<char>(b - 'a' + 'A') : b);
          })) {
        n = w.size();
        break;
      }
    }
    if (n == 0) return i;
    i += n;
  }
}

struct Candidate {
  PositionSpan span;
  size_t minute_digits_lon = 2;
};

bool ReadPosition(std::string_view t, size_t s, Candidate* out) {
  Coordinate lat, lon;
  if (!ReadCoordinate(t, s, 3, 90.0, kLatHemispheres, &lat)) return false;
  const size_t j = SkipJoiners(t, lat.end);
  if (j >= t.size() || !IsAsciiDigit(t[j])) return false;
  if (!ReadCoordinate(t, j, 4, 180.0, kLonHemispheres, &lon)) return false;
  out->span.pos = {lat.negative ? -lat.value : lat.value, lon.negative ? -lon.value : lon.value};
  out->span.begin = s;
  out->span.end = lon.end;
  out->minute_digits_lon = lon.minute_digits;
  return true;
}

// A text received with errors: a reception-error mark, or a position-like
// fragment run into letters ("55-55.14QXTYYE").
bool ShowsReceptionDamage(std::string_view t) {
  if (t.find('*') != std::string_view::npos) return true;
  for (size_t i = 0; i + 2 < t.size(); ++i) {
    if (!IsAsciiDigit(t[i]) || t[i + 1] != '-' || !IsAsciiDigit(t[i + 2])) continue;
    size_t k = i + 2;
    while (k < t.size() && IsAsciiDigit(t[k])) ++k;
    if (k + 1 < t.size() && t[k] == '.' && IsAsciiDigit(t[k + 1])) {
      ++k;
      while (k < t.size() && IsAsciiDigit(t[k])) ++k;
    }
    // Three or more letters run into the number: not a hemisphere, not a
    // unit ("100-200M", "14-17KTS" and "2-3UTC" are read as written).
    size_t e = k;
    while (e < t.size() && IsAsciiLetter(t[e])) ++e;
    if (e - k >= 3) {
      const std::string word = UpperAscii(t.substr(k, e - k));
      if (word != "UTC" && word != "KTS" && word != "HPA" && word != "MTR" && word != "MTS") return true;
    }
  }
  return false;
}

}  // namespace

// A grid of cells the near-duplicate size keeps this linear for messages
// listing hundreds of positions.
std::vector<LatLon> RemoveNearDuplicates(const std::vector<LatLon>& found) {
  std::vector<LatLon> kept;
  std::unordered_map<uint64_t, std::vector<size_t>> cells;
  auto cell_key = [](int64_t a, int64_t b) { return (static_cast<uint64_t>(a) << 32) ^ static_cast<uint64_t>(b & 0xffffffff); };
  for (const LatLon& p : found) {
    const int64_t ca = static_cast<int64_t>(std::floor(p.first / kNearDegrees));
    const int64_t cb = static_cast<int64_t>(std::floor(p.second / kNearDegrees));
    bool near = false;
    for (int64_t da = -1; da <= 1 && !near; ++da) {
      for (int64_t db = -1; db <= 1 && !near; ++db) {
        auto it = cells.find(cell_key(ca + da, cb + db));
        if (it == cells.end()) continue;
        for (size_t k : it->second) {
          if (std::fabs(kept[k].first - p.first) < kNearDegrees && std::fabs(kept[k].second - p.second) < kNearDegrees) {
            near = true;
            break;
          }
        }
      }
    }
    if (near) continue;
    cells[cell_key(ca, cb)].push_back(kept.size());
    kept.push_back(p);
  }
  return kept;
}

namespace {

// lon moved by whole turns to lie within 180 degrees of ref, so that areas
// across the antimeridian keep their shape.
double Unwrap(double lon, double ref) {
  while (lon - ref > 180.0) lon -= 360.0;
  while (lon - ref < -180.0) lon += 360.0;
  return lon;
}

double Cross(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// Proper crossing of segments ab and cd (touching ends do not count).
bool SegmentsCross(const LatLon& a, const LatLon& b, const LatLon& c, const LatLon& d) {
  const double d1 = Cross(c.second, c.first, d.second, d.first, a.second, a.first);
  const double d2 = Cross(c.second, c.first, d.second, d.first, b.second, b.first);
  const double d3 = Cross(a.second, a.first, b.second, b.first, c.second, c.first);
  const double d4 = Cross(a.second, a.first, b.second, b.first, d.second, d.first);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

}  // namespace

std::vector<PositionSpan> FindPositions(std::string_view t) {
  std::vector<Candidate> found;
  size_t s = 0;
  while (s < t.size()) {
    if (!IsAsciiDigit(t[s])) {
      ++s;
      continue;
    }
    // A candidate starts only at the first digit of a run: "1042-30N" is
    // no latitude, and neither is its tail "42-30N".
    Candidate c;
    if (ReadPosition(t, s, &c)) {
      found.push_back(c);
      s = c.span.end;
      continue;
    }
    while (s < t.size() && IsAsciiDigit(t[s])) ++s;
  }
  // In a damaged frame a one-digit minute field is a dropped digit, and
  // the position it gives may lie thousands of miles away: leave it out.
  const bool damaged = ShowsReceptionDamage(t);
  std::vector<PositionSpan> out;
  out.reserve(found.size());
  for (const Candidate& c : found)
    if (!(damaged && c.minute_digits_lon < 2)) out.push_back(c.span);
  return out;
}

std::vector<LatLon> ExtractPositions(std::string_view t) {
  std::vector<LatLon> p;
  for (const PositionSpan& s : FindPositions(t)) p.push_back(s.pos);
  return RemoveNearDuplicates(p);
}

std::vector<LatLon> ReadLimitBox(std::string_view t, size_t from, size_t to) {
  to = std::min(to, t.size());
  const std::string_view u = t;
  // Two coordinates of one kind joined by AND (or TO, or a dash).
  auto read_pair = [&](size_t i, bool lat, double* a, double* b, size_t* end) {
    Coordinate c1, c2;
    i = SkipBlanks(u, i);
    const bool ok1 = lat ? ReadCoordinate(u, i, 3, 90.0, kLatHemispheres, &c1)
                         : ReadCoordinate(u, i, 4, 180.0, kLonHemispheres, &c1);
    if (!ok1) return false;
    size_t k = c1.end;
    while (k < to && IsAsciiSpace(u[k])) ++k;
    if (WordAt(u, k, "AND") || WordAt(u, k, "TO")) k += u[k] == 'A' ? 3 : 2;
    else if (k < to && u[k] == '-') ++k;
    else return false;
    while (k < to && IsAsciiSpace(u[k])) ++k;
    const bool ok2 = lat ? ReadCoordinate(u, k, 3, 90.0, kLatHemispheres, &c2)
                         : ReadCoordinate(u, k, 4, 180.0, kLonHemispheres, &c2);
    if (!ok2) return false;
    *a = c1.negative ? -c1.value : c1.value;
    *b = c2.negative ? -c2.value : c2.value;
    *end = c2.end;
    return true;
  };
  // Skips the words that may stand before a pair of limits.
  auto skip_words = [&](size_t i) {
    for (;;) {
      while (i < to && (IsAsciiSpace(u[i]) || u[i] == ',' || u[i] == ':')) ++i;
      size_t n = 0;
      for (std::string_view w : {"BETWEEN", "AND", "LATITUDES", "LATITUDE", "LONGITUDES", "LONGITUDE", "LAT", "LONG", "LAT.", "LONG."})
        if (WordAt(u, i, w) || (w.back() == '.' && u.compare(i, w.size(), w) == 0)) n = std::max(n, w.size());
      if (n == 0) return i;
      i += n;
    }
  };
  for (size_t b = FindWord(u, from, to, "BETWEEN"); b != std::string_view::npos; b = FindWord(u, b + 7, to, "BETWEEN")) {
    double lat1, lat2, lon1, lon2;
    size_t e1, e2;
    const size_t i = skip_words(b);
    if (!read_pair(i, true, &lat1, &lat2, &e1)) continue;
    const size_t j = skip_words(e1);
    if (j - e1 > 40 || !read_pair(j, false, &lon1, &lon2, &e2)) continue;
    return {{lat1, lon1}, {lat1, lon2}, {lat2, lon2}, {lat2, lon1}};
  }
  return {};
}

double ReadRadius(std::string_view u) {
  const StatedDistance d = FirstStatedRadius(u, 0, u.size());
  return d.found ? d.nm : 0.0;
}

std::vector<LatLon> OrderAroundCentre(const std::vector<LatLon>& p) {
  if (p.size() < 3) return p;
  const double ref = p.front().second;
  std::vector<double> lon(p.size());
  double clat = 0, clon = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    lon[i] = Unwrap(p[i].second, ref);
    clat += p[i].first;
    clon += lon[i];
  }
  clat /= static_cast<double>(p.size());
  clon /= static_cast<double>(p.size());
  std::vector<double> angle(p.size());
  for (size_t i = 0; i < p.size(); ++i) angle[i] = std::atan2(p[i].first - clat, lon[i] - clon);
  std::vector<size_t> order(p.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return angle[a] < angle[b]; });
  // The positions themselves go out unchanged, already within -180..180.
  std::vector<LatLon> out;
  out.reserve(p.size());
  for (size_t i : order) out.push_back(p[i]);
  return out;
}

bool RingCrossesItself(const std::vector<LatLon>& ring) {
  const size_t n = ring.size();
  if (n < 4) return false;
  // Longitudes made continuous from the first vertex, so a ring across the
  // antimeridian is tested in one piece.
  std::vector<LatLon> r(ring);
  for (size_t i = 1; i < n; ++i) r[i].second = Unwrap(r[i].second, r[i - 1].second);
  for (size_t i = 0; i < n; ++i) {
    const LatLon& a = r[i];
    const LatLon& b = r[(i + 1) % n];
    for (size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // neighbours through the closing edge
      if (SegmentsCross(a, b, r[j], r[(j + 1) % n])) return true;
    }
  }
  return false;
}

}  // namespace orvane
