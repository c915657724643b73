#include "overlay/filters.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/text.h"
#include "overlay/frame.h"
#include "overlay/geom_index.h"
#include "parse/geography.h"

namespace orvane {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusNm = kEarthDiameterNm / 2.0;
constexpr double kFar = std::numeric_limits<double>::infinity();

double Rad(double d) { return d * kPi / 180.0; }

double Bearing(double lat1, double lon1, double lat2, double lon2) {
  const double p1 = Rad(lat1), p2 = Rad(lat2), dl = Rad(lon2 - lon1);
  return std::atan2(std::sin(dl) * std::cos(p2), std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
}

// A radius from a file or a parcel as a usable number of miles.
double SafeRadius(double r) { return std::isfinite(r) && r > 0.0 ? r : (r > 0.0 ? 1e12 : 0.0); }

bool HasB2Letter(const MsiMessage& m) { return m.b2 != '?' && m.b2 != '\0'; }

// Orientation of c against the line a-b in a plane of (lon, lat).
double Cross(const LatLon& a, const LatLon& b, const LatLon& c) {
  return (b.second - a.second) * (c.first - a.first) - (b.first - a.first) * (c.second - a.second);
}

// True when the segments a-b and c-d cross or touch; longitudes are taken
// near a's so a crossing at the antimeridian is seen.
bool SegmentsCross(LatLon a, LatLon b, LatLon c, LatLon d) {
  const double ref = a.second;
  b.second = ref + NormaliseLon(b.second - ref);
  c.second = ref + NormaliseLon(c.second - ref);
  d.second = c.second + NormaliseLon(d.second - c.second);
  const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
  auto on = [](const LatLon& p, const LatLon& q, const LatLon& r, double o) {
    return o == 0.0 && std::min(p.first, q.first) <= r.first && r.first <= std::max(p.first, q.first) &&
           std::min(p.second, q.second) <= r.second && r.second <= std::max(p.second, q.second);
  };
  return on(c, d, a, d1) || on(c, d, b, d2) || on(a, b, c, d3) || on(a, b, d, d4);
}

// The edges of a geometry: a polygon's ring closes, a line's does not.
template <class F>
void ForEachEdge(const MsiGeom& g, F f) {
  const auto& p = g.points;
  if (p.size() < 2) return;
  for (size_t i = 1; i < p.size(); ++i) f(p[i - 1], p[i]);
  if (g.kind == GEOM_POLYGON && p.size() >= 3) f(p.back(), p.front());
}

double DistanceToEdgesNm(const MsiGeom& g, double lat, double lon) {
  double best = kFar;
  ForEachEdge(g, [&](const LatLon& a, const LatLon& b) { best = std::min(best, DistanceToLegNm(lat, lon, a, b)); });
  return best;
}

bool RouteCrossesEdges(const MsiGeom& g, const std::vector<LatLon>& route) {
  bool crossed = false;
  ForEachEdge(g, [&](const LatLon& a, const LatLon& b) {
    for (size_t i = 1; i < route.size() && !crossed; ++i)
      if (SegmentsCross(a, b, route[i - 1], route[i])) crossed = true;
  });
  return crossed;
}

bool IsArea(const MsiGeom& g) { return g.kind == GEOM_POLYGON && g.points.size() >= 3; }
bool IsLine(const MsiGeom& g) { return (g.kind == GEOM_POLYLINE || g.kind == GEOM_POLYGON) && g.points.size() >= 2; }
// A line with a width: "WITHIN 3 MILES OF TRACKLINE".
double CorridorNm(const MsiGeom& g) { return g.kind == GEOM_POLYLINE ? SafeRadius(g.radius_nm) : 0.0; }

// True when (lat, lon) lies inside an area, a circle or a corridor.
bool Covers(const MsiGeom& g, double lat, double lon) {
  if (g.points.empty()) return false;
  if (IsArea(g)) return PolygonContains(g.points, lat, lon);
  if (g.kind == GEOM_CIRCLE)
    return DistanceNm(lat, lon, g.points[0].first, g.points[0].second) <= SafeRadius(g.radius_nm);
  if (CorridorNm(g) > 0.0) return DistanceToEdgesNm(g, lat, lon) <= CorridorNm(g);
  return false;
}

}  // namespace

double DistanceNm(double lat1, double lon1, double lat2, double lon2) {
  const double p1 = Rad(lat1), p2 = Rad(lat2);
  const double sdp = std::sin((p2 - p1) / 2.0), sdl = std::sin(Rad(lon2 - lon1) / 2.0);
  double h = sdp * sdp + std::cos(p1) * std::cos(p2) * sdl * sdl;
  if (!(h > 0.0)) h = 0.0;  // also a NaN
  if (h > 1.0) h = 1.0;
  return kEarthDiameterNm * std::asin(std::sqrt(h));
}

double DistanceToLegNm(double lat, double lon, const LatLon& a, const LatLon& b) {
  const double da = DistanceNm(a.first, a.second, lat, lon);
  const double db = DistanceNm(b.first, b.second, lat, lon);
  const double d12 = DistanceNm(a.first, a.second, b.first, b.second) / kEarthRadiusNm;
  if (d12 < 1e-9) return std::min(da, db);
  const double d13 = da / kEarthRadiusNm;
  const double t = Bearing(a.first, a.second, lat, lon) - Bearing(a.first, a.second, b.first, b.second);
  const double xt = std::asin(std::clamp(std::sin(d13) * std::sin(t), -1.0, 1.0));
  if (std::cos(t) < 0.0) return std::min(da, db);  // behind the start of the leg
  const double c = std::cos(xt);
  const double at = c > 1e-12 ? std::acos(std::clamp(std::cos(d13) / c, -1.0, 1.0)) : 0.0;
  if (at > d12) return std::min(da, db);  // beyond its end
  return std::min({std::fabs(xt) * kEarthRadiusNm, da, db});
}

double DistanceToRouteNm(double lat, double lon, const std::vector<LatLon>& route) {
  if (route.empty()) return kFar;
  if (route.size() == 1) return DistanceNm(lat, lon, route[0].first, route[0].second);
  double best = kFar;
  for (size_t i = 1; i < route.size(); ++i) best = std::min(best, DistanceToLegNm(lat, lon, route[i - 1], route[i]));
  return best;
}

bool PolygonContains(const std::vector<LatLon>& ring_in, double lat, double lon) {
  if (ring_in.size() < 3) return false;
  const std::vector<LatLon> ring = UnwrapLongitudes(ring_in);
  // The query longitude taken on the ring's side of the antimeridian.
  double mean = 0.0;
  for (const LatLon& p : ring) mean += p.second;
  mean /= static_cast<double>(ring.size());
  lon = mean + NormaliseLon(lon - mean);
  bool inside = false;
  for (size_t j = 0; j < ring.size(); ++j) {
    const LatLon& pj = ring[j];
    const LatLon& pi = ring[j == 0 ? ring.size() - 1 : j - 1];
    if ((pj.first > lat) != (pi.first > lat)) {
      const double at = pj.second + (pi.second - pj.second) * (lat - pj.first) / (pi.first - pj.first + 1e-15);
      if (lon < at) inside = !inside;
    }
  }
  return inside;
}

double GeomDistanceNm(const MsiGeom& g, double lat, double lon) {
  if (g.points.empty()) return kFar;
  if (g.kind == GEOM_CIRCLE) {
    const double d = DistanceNm(lat, lon, g.points[0].first, g.points[0].second) - SafeRadius(g.radius_nm);
    return d > 0.0 ? d : 0.0;
  }
  if (IsArea(g) && PolygonContains(g.points, lat, lon)) return 0.0;
  if (IsLine(g)) return std::max(DistanceToEdgesNm(g, lat, lon) - CorridorNm(g), 0.0);
  double best = kFar;
  for (const LatLon& p : g.points) best = std::min(best, DistanceNm(lat, lon, p.first, p.second));
  return best;
}

double GeomRouteDistanceNm(const MsiGeom& g, const std::vector<LatLon>& route) {
  if (g.points.empty() || route.empty()) return kFar;
  if (g.kind == GEOM_CIRCLE) {
    const double d = DistanceToRouteNm(g.points[0].first, g.points[0].second, route) - SafeRadius(g.radius_nm);
    return d > 0.0 ? d : 0.0;
  }
  if (IsArea(g))
    for (const LatLon& w : route)
      if (PolygonContains(g.points, w.first, w.second)) return 0.0;
  if (IsLine(g) && RouteCrossesEdges(g, route)) return 0.0;
  double best = kFar;
  for (const LatLon& p : g.points) best = std::min(best, DistanceToRouteNm(p.first, p.second, route));
  // An edge may pass near a waypoint while its corners lie far from every leg.
  if (IsLine(g))
    for (const LatLon& w : route) best = std::min(best, DistanceToEdgesNm(g, w.first, w.second));
  return std::max(best - CorridorNm(g), 0.0);
}

bool MessageInCorridor(const MsiMessage& m, const std::vector<LatLon>& route, double corridor_nm) {
  if (route.empty()) return true;
  for (const MsiGeom& g : m.geoms)
    if (GeomRouteDistanceNm(g, route) <= corridor_nm) return true;
  return false;
}

bool PassesMessageFilters(const MsiMessage& m, const Settings& s) {
  if (!m.active || B2ClassOf(m.b2) == B2_HIDDEN) return false;
  if (m.geoms.empty()) return false;
  const bool has_b2 = HasB2Letter(m);
  const bool mandatory = has_b2 && B2ClassOf(m.b2) == B2_MANDATORY;
  if (has_b2 && B2ClassOf(m.b2) == B2_HIDDEN) return false;
  if (has_b2 && !orvane::IsB2Visible(s.b2_mask, m.b2) && !mandatory) return false;
  if (!orvane::IsTypeVisible(s.type_mask, m.type) && !mandatory) return false;
  return true;
}

bool InRange(const MsiMessage& m, const FilterContext& ctx) {
  if (!ctx.settings || ctx.settings->range_all || !ctx.has_fix) return true;
  for (const MsiGeom& g : m.geoms)
    if (GeomDistanceNm(g, ctx.own_lat, ctx.own_lon) <= ctx.settings->range_nm) return true;
  return false;
}

bool InRouteCorridor(const MsiMessage& m, const FilterContext& ctx) {
  if (!ctx.settings || !ctx.settings->route_filter || ctx.route.empty()) return true;
  return MessageInCorridor(m, ctx.route, ctx.settings->corridor_nm);
}

bool IsVisible(const MsiMessage& m, const FilterContext& ctx) {
  static const Settings kDefaults;
  const Settings& s = ctx.settings ? *ctx.settings : kDefaults;
  return PassesMessageFilters(m, s) && InRange(m, ctx) && InRouteCorridor(m, ctx);
}

size_t CountVisible(const MessageStore& store, const FilterContext& ctx) {
  size_t n = 0;
  for (const MsiMessage& m : store)
    if (IsVisible(m, ctx)) ++n;
  return n;
}

namespace {

// How far from its box a geometry can answer a click or a hover.
constexpr double kReachNm = std::max({kHitPointNm, kHitCircleMinNm, 0.0});

// Whether geometry k of message i may hold (lat, lon) within reach; always
// true without an index.
bool MayReach(const GeomIndex* index, size_t i, size_t k, double lat, double lon, double reach_nm) {
  return !index || BoxNear(index->begin(i)[k].reach, lat, lon, reach_nm);
}

}  // namespace

int HitTest(const MessageStore& store, const FilterContext& ctx, int highlighted, double lat, double lon,
            const GeomIndex* index) {
  double best = 1e9;
  int result = -1;
  for (size_t i = 0; i < store.size(); ++i) {
    const MsiMessage& m = store[i];
    if (index && (!index->has_box(i) || !BoxNear(index->message_reach(i), lat, lon, kReachNm))) continue;
    if (static_cast<int>(i) != highlighted && !IsVisible(m, ctx)) continue;
    for (size_t k = 0; k < m.geoms.size(); ++k) {
      const MsiGeom& g = m.geoms[k];
      if (!MayReach(index, i, k, lat, lon, kReachNm)) continue;
      if (IsArea(g)) {
        if (PolygonContains(g.points, lat, lon)) return static_cast<int>(i);
      } else if (g.kind == GEOM_CIRCLE) {
        if (g.points.empty()) continue;
        const double d = DistanceNm(lat, lon, g.points[0].first, g.points[0].second);
        if (d <= std::max(SafeRadius(g.radius_nm), kHitCircleMinNm) && d < best) {
          best = d;
          result = static_cast<int>(i);
        }
      } else if (CorridorNm(g) > 0.0) {
        // A corridor answers across its whole width.
        const double d = DistanceToEdgesNm(g, lat, lon);
        if (d <= std::max(CorridorNm(g), kHitCircleMinNm) && d < best) {
          best = d;
          result = static_cast<int>(i);
        }
      } else {
        // A line answers along its legs, not only at its corners.
        const double d = IsLine(g) ? DistanceToEdgesNm(g, lat, lon) : GeomDistanceNm(g, lat, lon);
        if (d < kHitPointNm && d < best) {
          best = d;
          result = static_cast<int>(i);
        }
      }
    }
  }
  return result;
}

std::vector<int> HitTestAll(const MessageStore& store, const FilterContext& ctx, int highlighted, double lat,
                            double lon, const GeomIndex* index) {
  std::vector<int> hits;
  for (size_t i = 0; i < store.size(); ++i) {
    const MsiMessage& m = store[i];
    if (index && (!index->has_box(i) || !BoxNear(index->message_reach(i), lat, lon, kReachNm))) continue;
    if (static_cast<int>(i) != highlighted && !IsVisible(m, ctx)) continue;
    bool hit = false;
    for (size_t k = 0; k < m.geoms.size() && !hit; ++k) {
      const MsiGeom& g = m.geoms[k];
      if (!MayReach(index, i, k, lat, lon, kReachNm) || g.points.empty()) continue;
      if (IsArea(g)) {
        hit = PolygonContains(g.points, lat, lon);
      } else if (g.kind == GEOM_CIRCLE) {
        hit = DistanceNm(lat, lon, g.points[0].first, g.points[0].second) <= std::max(SafeRadius(g.radius_nm), kHitCircleMinNm);
      } else if (CorridorNm(g) > 0.0) {
        hit = DistanceToEdgesNm(g, lat, lon) <= std::max(CorridorNm(g), kHitCircleMinNm);
      } else {
        hit = (IsLine(g) ? DistanceToEdgesNm(g, lat, lon) : GeomDistanceNm(g, lat, lon)) < kHitPointNm;
      }
    }
    if (hit) hits.push_back(static_cast<int>(i));
  }
  return hits;
}

int HoverMessage(const MessageStore& store, const FilterContext& ctx, double lat, double lon, const GeomIndex* index) {
  for (size_t i = 0; i < store.size(); ++i) {
    const MsiMessage& m = store[i];
    bool near = false;
    if (index && (!index->has_box(i) || !BoxNear(index->message_reach(i), lat, lon, kHoverNm))) continue;
    for (size_t k = 0; k < m.geoms.size() && !near; ++k) {
      const MsiGeom& g = m.geoms[k];
      if (g.points.empty()) continue;  // no anchor to be near
      if (index) {
        const LatLon& a = index->begin(i)[k].anchor;
        if (std::fabs(a.first - lat) > kHoverNm / 60.0 + 1e-9) continue;
        near = DistanceNm(lat, lon, a.first, a.second) <= kHoverNm;
      } else {
        const LatLon a = GeomAnchor(g);
        near = DistanceNm(lat, lon, a.first, a.second) <= kHoverNm;
      }
    }
    if (near && IsVisible(m, ctx)) return static_cast<int>(i);
  }
  // Far from every anchor, but inside an area, circle or corridor: that
  // warning is what is here.
  for (size_t i = 0; i < store.size(); ++i) {
    const MsiMessage& m = store[i];
    bool covers = false;
    if (index && (!index->has_box(i) || !BoxNear(index->message_reach(i), lat, lon, 0.0))) continue;
    for (size_t k = 0; k < m.geoms.size() && !covers; ++k)
      covers = MayReach(index, i, k, lat, lon, 0.0) && Covers(m.geoms[k], lat, lon);
    if (covers && IsVisible(m, ctx)) return static_cast<int>(i);
  }
  return -1;
}

std::string HoverText(const MsiMessage& m, int navarea) {
  std::string station = "?";
  if (m.b1 != '?' && m.b1 != '\0') {
    station = std::string(1, m.b1);
    // The message's own NAVAREA, else the ship's; a letter whose station is
    // in neither stands alone rather than naming another area's station.
    const NavtexStation* st = FindStationIn(m.b1, m.navarea);
    if (!st) st = FindStationIn(m.b1, navarea);
    if (st) station += std::string(" ") + st->name;
  }
  std::string text = m.raw_text;
  if (text.size() > kHoverTextBytes) text = CutUtf8(text, kHoverTextBytes) + "...";
  return station + " | " + TypeName(m.type) + " - " + m.title + " | " + text;
}

std::string ClickText(const MsiMessage& m) {
  return std::string(TypeLabel(m.type)) + " | " + TypeColourName(m.type) + " - " + m.title;
}

}  // namespace orvane
