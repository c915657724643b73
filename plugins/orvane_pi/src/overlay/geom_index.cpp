#include "overlay/geom_index.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "overlay/frame.h"

namespace orvane {
namespace {

constexpr double kPi = 3.14159265358979323846;

bool Overlaps(double a0, double a1, double b0, double b1) { return a0 <= b1 && b0 <= a1; }

// Degrees of longitude that span reach_nm at the box's most poleward
// latitude; the whole circle near a pole.
double LonReach(double lat_abs, double reach_nm) {
  const double c = std::cos(std::min(lat_abs, 90.0) * kPi / 180.0);
  return c > 1e-6 ? std::min(reach_nm / (60.0 * c), 360.0) : 360.0;
}

GeoBox Union(const GeoBox& a, const GeoBox& b) {
  return {std::min(a.lat_min, b.lat_min), std::max(a.lat_max, b.lat_max), std::min(a.lon_min, b.lon_min),
          std::max(a.lon_max, b.lon_max)};
}

// A leg's great-circle arc stays within half its length of its middle, so
// the latitudes of that cap bound it.
GeoBox LegReachBox(const MsiGeom& g, GeoBox b) {
  const bool line = g.kind == GEOM_POLYLINE || (g.kind == GEOM_POLYGON && g.points.size() == 2);
  if (!line) return b;
  auto vec = [](const LatLon& p) {
    const double la = p.first * kPi / 180.0, lo = p.second * kPi / 180.0;
    return std::array<double, 3>{std::cos(la) * std::cos(lo), std::cos(la) * std::sin(lo), std::sin(la)};
  };
  for (size_t i = 1; i < g.points.size(); ++i) {
    const auto a = vec(g.points[i - 1]), c = vec(g.points[i]);
    const std::array<double, 3> m{a[0] + c[0], a[1] + c[1], a[2] + c[2]};
    const double len = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    const double dot = std::clamp(a[0] * c[0] + a[1] * c[1] + a[2] * c[2], -1.0, 1.0);
    const double half = std::acos(dot) / 2.0 * 180.0 / kPi;
    if (!(len > 1e-9) || !std::isfinite(half)) return GeoBox{-90.0, 90.0, -180.0, 540.0};
    const double mid_lat = std::asin(std::clamp(m[2] / len, -1.0, 1.0)) * 180.0 / kPi;
    b.lat_min = std::min(b.lat_min, mid_lat - half);
    b.lat_max = std::max(b.lat_max, mid_lat + half);
  }
  return b;
}

}  // namespace

GeoBox GeomBox(const MsiGeom& g) {
  if (g.points.empty()) return {};
  const std::vector<LatLon> pts = UnwrapLongitudes(g.points);
  GeoBox b{pts[0].first, pts[0].first, pts[0].second, pts[0].second};
  for (const LatLon& p : pts) {
    b.lat_min = std::min(b.lat_min, p.first);
    b.lat_max = std::max(b.lat_max, p.first);
    b.lon_min = std::min(b.lon_min, p.second);
    b.lon_max = std::max(b.lon_max, p.second);
  }
  if ((g.kind == GEOM_CIRCLE || g.kind == GEOM_POLYLINE) && g.radius_nm > 0.0) {
    const double r = std::isfinite(g.radius_nm) ? g.radius_nm : 1e12;
    const double dlat = r / 60.0;
    const double dlon = LonReach(std::max(std::fabs(b.lat_min), std::fabs(b.lat_max)), r);
    b.lat_min -= dlat;
    b.lat_max += dlat;
    b.lon_min -= dlon;
    b.lon_max += dlon;
  }
  return b;
}

bool BoxNear(const GeoBox& b, double lat, double lon, double reach_nm) {
  if (!std::isfinite(lat) || !std::isfinite(lon)) return true;
  const double dlat = reach_nm / 60.0;
  if (!Overlaps(b.lat_min - dlat, b.lat_max + dlat, lat, lat)) return false;
  const double dlon = LonReach(std::max({std::fabs(b.lat_min), std::fabs(b.lat_max), std::fabs(lat)}) + dlat, reach_nm);
  if (b.lon_max - b.lon_min + 2.0 * dlon >= 360.0) return true;
  for (double shift : {0.0, -360.0, 360.0})
    if (Overlaps(b.lon_min - dlon, b.lon_max + dlon, lon + shift, lon + shift)) return true;
  return false;
}

GeomIndex::Source GeomIndex::SourceOf(const MsiMessage& m) {
  Source src;
  src.geoms = m.geoms.data();
  src.count = m.geoms.size();
  if (!m.geoms.empty()) {
    const MsiGeom& g = m.geoms.front();
    src.points = g.points.data();
    src.points_count = g.points.size();
    if (!g.points.empty()) src.first = g.points.front();
    src.kind = static_cast<int>(g.kind);
    src.radius = g.radius_nm;
  }
  return src;
}

void GeomIndex::Fill(size_t i, const MsiMessage& m) {
  MessageBoxes& mb = msg_[i];
  mb = MessageBoxes{};
  Entry* e = entries_.data() + offsets_[i];
  for (const MsiGeom& g : m.geoms) {
    e->empty = g.points.empty();
    e->box = GeomBox(g);
    e->reach = LegReachBox(g, e->box);
    e->anchor = GeomAnchor(g);
    if (!e->empty) {
      // Longitudes of separate parts may be unwrapped differently; a
      // union that then spans the globe only tests more, never less.
      mb.box = mb.has_box ? Union(mb.box, e->box) : e->box;
      mb.reach = mb.has_box ? Union(mb.reach, e->reach) : e->reach;
      if (mb.box.lon_max - mb.box.lon_min > 360.0) mb.box.lon_min = -180.0, mb.box.lon_max = 540.0;
      if (mb.reach.lon_max - mb.reach.lon_min > 360.0) mb.reach.lon_min = -180.0, mb.reach.lon_max = 540.0;
      mb.has_box = true;
    }
    ++e;
  }
}

bool GeomIndex::Sync(const MessageStore& store) {
  bool layout = sources_.size() != store.size();
  if (!layout)
    for (size_t i = 0; i < store.size() && !layout; ++i)
      layout = sources_[i].count != store[i].geoms.size();
  if (layout) {
    sources_.assign(store.size(), Source{});
    msg_.assign(store.size(), MessageBoxes{});
    offsets_.assign(store.size() + 1, 0);
    size_t k = 0;
    for (size_t i = 0; i < store.size(); ++i) {
      offsets_[i] = k;
      k += store[i].geoms.size();
    }
    offsets_[store.size()] = k;
    entries_.assign(k, Entry{});
  }
  bool changed = layout;
  for (size_t i = 0; i < store.size(); ++i) {
    const Source src = SourceOf(store[i]);
    if (!layout && src == sources_[i]) continue;
    sources_[i] = src;
    Fill(i, store[i]);
    changed = true;
  }
  if (changed) ++generation_;
  return changed;
}

}  // namespace orvane
