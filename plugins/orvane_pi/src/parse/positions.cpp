#include "parse/positions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <unordered_map>

#include "common/text.h"

namespace orvane {
namespace {

constexpr double kNearDegrees = 1e-5;
constexpr double kMaxRadiusNm = 500.0;
constexpr double kMetresPerNm = 1852.0;

char UpperAt(std::string_view t, size_t i) {
  const char c = t[i];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Degrees: 1..max_digits digits, then one '-' or blank.
bool ReadDegrees(std::string_view t, size_t* i, size_t max_digits, int* deg) {
  size_t k = *i;
  int v = 0;
  while (k < t.size() && IsAsciiDigit(t[k]) && k - *i < max_digits + 1) v = v * 10 + (t[k++] - '0');
  const size_t n = k - *i;
  if (n == 0 || n > max_digits) return false;
  if (k >= t.size() || (t[k] != '-' && t[k] != ' ')) return false;
  ++k;
  while (k < t.size() && t[k] == ' ') ++k;
  *deg = v;
  *i = k;
  return true;
}

// Minutes: the longest run of digits and '.'; its value is the decimal
// number at the start of the run.
bool ReadMinutes(std::string_view t, size_t* i, double* minutes) {
  size_t k = *i;
  while (k < t.size() && (IsAsciiDigit(t[k]) || t[k] == '.')) ++k;
  if (k == *i) return false;
  double v = 0, scale = 1;
  bool frac = false;
  for (size_t j = *i; j < k; ++j) {
    if (t[j] == '.') {
      if (frac) break;
      frac = true;
    } else if (frac) {
      scale /= 10;
      v += (t[j] - '0') * scale;
    } else {
      v = v * 10 + (t[j] - '0');
    }
  }
  while (k < t.size() && t[k] == ' ') ++k;
  *minutes = v;
  *i = k;
  return true;
}

// One position starting at the first digit of a run; on success *end is
// just after the E or W letter.
bool ReadPosition(std::string_view t, size_t s, LatLon* out, size_t* end) {
  size_t i = s;
  int lat_deg = 0, lon_deg = 0;
  double lat_min = 0, lon_min = 0;
  if (!ReadDegrees(t, &i, 3, &lat_deg) || !ReadMinutes(t, &i, &lat_min)) return false;
  if (i >= t.size()) return false;
  const char ns = UpperAt(t, i);
  if (ns != 'N' && ns != 'S') return false;
  ++i;
  while (i < t.size() && (t[i] == ' ' || t[i] == '\t' || t[i] == '\r' || t[i] == '\n' || t[i] == '-')) ++i;
  if (i >= t.size() || !IsAsciiDigit(t[i])) return false;
  if (!ReadDegrees(t, &i, 4, &lon_deg) || !ReadMinutes(t, &i, &lon_min)) return false;
  if (i >= t.size()) return false;
  const char ew = UpperAt(t, i);
  if (ew != 'E' && ew != 'W') return false;
  if (lat_min >= 60 || lon_min >= 60) return false;
  const double lat = lat_deg + lat_min / 60.0;
  const double lon = lon_deg + lon_min / 60.0;
  // Degrees and minutes together stay on the globe: 90-30N is no latitude.
  if (lat > 90.0 || lon > 180.0) return false;
  *out = {ns == 'S' ? -lat : lat, ew == 'W' ? -lon : lon};
  *end = i + 1;
  return true;
}

// Drops each position that lies within the near-duplicate distance of one
// kept before it, in both coordinates. A grid of cells that size keeps it
// linear for messages listing hundreds of positions.
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

// lon moved by whole turns to lie within 180 degrees of ref, so that areas
// across the antimeridian keep their shape.
double Unwrap(double lon, double ref) {
  while (lon - ref > 180.0) lon -= 360.0;
  while (lon - ref < -180.0) lon += 360.0;
  return lon;
}

double Wrap(double lon) {
  while (lon > 180.0) lon -= 360.0;
  while (lon < -180.0) lon += 360.0;
  return lon;
}

bool HasUnit(std::string_view w, std::string_view unit) { return w.find(unit) != std::string_view::npos; }

}  // namespace

std::vector<LatLon> ExtractPositions(std::string_view t) {
  std::vector<LatLon> found;
  size_t s = 0;
  while (s < t.size()) {
    if (!IsAsciiDigit(t[s])) {
      ++s;
      continue;
    }
    // A candidate starts only at the first digit of a run: "1042-30N" is
    // no latitude, and neither is its tail "42-30N".
    LatLon p;
    size_t end = 0;
    if (ReadPosition(t, s, &p, &end)) {
      found.push_back(p);
      s = end;
      continue;
    }
    while (s < t.size() && IsAsciiDigit(t[s])) ++s;
  }
  return RemoveNearDuplicates(found);
}

double ReadRadius(std::string_view u) {
  double r = 0;
  if (u.size() < 3) return 0;
  for (size_t i = 0; i + 3 <= u.size(); ++i) {
    if (!IsAsciiDigit(u[i])) continue;
    // Whole numbers only: "0.5 NM" is half a mile, not five.
    if (i > 0 && (IsAsciiDigit(u[i - 1]) || u[i - 1] == '.')) continue;
    size_t k = i;
    double n = 0;
    while (k < u.size() && IsAsciiDigit(u[k])) n = n * 10 + (u[k++] - '0');
    if (k + 1 < u.size() && u[k] == '.' && IsAsciiDigit(u[k + 1])) {
      double scale = 1;
      for (++k; k < u.size() && IsAsciiDigit(u[k]); ++k) {
        scale /= 10;
        n += (u[k] - '0') * scale;
      }
    }
    if (n == 0) continue;
    // The unit follows within ten bytes and before the next number, so the
    // minutes of "030-35.25E, 2 NM" are not a distance.
    size_t e = k;
    while (e < u.size() && e - k < 10 && !IsAsciiDigit(u[e])) ++e;
    const std::string_view w = u.substr(k, e - k);
    double candidate = 0;
    if (w.size() >= 2 && (HasUnit(w, "NM") || HasUnit(w, "MN"))) {
      candidate = n > kMaxRadiusNm ? 0 : n;
    } else if (HasUnit(w, "MILE")) {
      candidate = n > kMaxRadiusNm ? 0 : n;
    } else if (HasUnit(w, "KILOMET") || HasUnit(w, "KM")) {
      candidate = std::min(n * 1000.0 / kMetresPerNm, kMaxRadiusNm);
    } else if (w.size() >= 5 && (HasUnit(w, "METER") || HasUnit(w, "METRE"))) {
      candidate = std::min(n / kMetresPerNm, kMaxRadiusNm);
    }
    r = std::max(r, candidate);
  }
  return r;
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

std::vector<MsiGeom> BuildGeometries(const std::string& raw_text, const std::string& upper) {
  std::vector<MsiGeom> geoms;
  const std::vector<LatLon> p = ExtractPositions(raw_text);
  if (p.empty()) return geoms;
  const double radius = ReadRadius(upper);
  const bool circle_words =
      upper.find("WITHIN ") != std::string::npos || upper.find("RADIUS ") != std::string::npos;
  if (p.size() >= 3) {
    geoms.push_back({GEOM_POLYGON, OrderAroundCentre(p), 0.0});
  } else if (p.size() == 1) {
    geoms.push_back({(radius > 0 || circle_words) ? GEOM_CIRCLE : GEOM_POINT, p, radius});
  } else {
    geoms.push_back({GEOM_POLYLINE, p, 0.0});
    if (radius > 0) {
      const double lon2 = Unwrap(p[1].second, p[0].second);
      const LatLon mid{(p[0].first + p[1].first) / 2.0, Wrap((p[0].second + lon2) / 2.0)};
      geoms.push_back({GEOM_CIRCLE, {mid}, radius});
    }
  }
  return geoms;
}

}  // namespace orvane
