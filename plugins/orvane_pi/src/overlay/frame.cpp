#include "overlay/frame.h"

#include <algorithm>
#include <cmath>

#include "parse/geography.h"
#include "parse/positions.h"

namespace orvane {
namespace {

constexpr double kPi = 3.14159265358979323846;

// std::clamp keeps a NaN; here a NaN becomes the lower bound.
double SafeClamp(double v, double lo, double hi) {
  if (!(v >= lo)) return lo;
  return v > hi ? hi : v;
}

int RoundHalfAway(double v) { return static_cast<int>(std::lround(v)); }

bool Overlaps(double a0, double a1, double b0, double b1) { return a0 <= b1 && b0 <= a1; }

}  // namespace

double ClampPixel(double v) { return SafeClamp(v, -kPixelLimit, kPixelLimit); }
int RoundPixel(double v) { return RoundHalfAway(ClampPixel(v)); }

DrawColourResult DrawColour(MsgType t, float overlay_alpha) {
  const BucketStyle s = EffectiveStyle(t);
  DrawColourResult c;
  c.r = s.rgba.r;
  c.g = s.rgba.g;
  c.b = s.rgba.b;
  const double a = SafeClamp(overlay_alpha, 0.1, 0.85) * SafeClamp(s.rgba.a, 0.0, 1.0);
  c.a = static_cast<float>(SafeClamp(a, 0.28, 0.85));
  c.kind = s.kind;
  return c;
}

namespace {
Scheme g_scheme = Scheme::kDay;  // the host's scheme; set on the UI thread only
}  // namespace

void SetDrawScheme(Scheme s) { g_scheme = s; }
Scheme DrawScheme() { return g_scheme; }

float SchemeLevel() { return g_scheme == Scheme::kNight ? 0.3f : g_scheme == Scheme::kDusk ? 0.55f : 1.0f; }

TypeRgb SchemeColour(const TypeRgb& c) {
  const float k = SchemeLevel();
  auto dim = [k](float v) { return static_cast<float>(SafeClamp(v, 0.0, 1.0)) * k; };
  return {dim(c.r), dim(c.g), dim(c.b), c.a};
}

TypeRgb SchemeText() {
  return g_scheme == Scheme::kDay ? TypeRgb{20 / 255.f, 20 / 255.f, 20 / 255.f, 1.0f}
                                  : SchemeColour({0.85f, 0.85f, 0.8f, 1.0f});
}

TypeRgb SchemeTextBackground() {
  return g_scheme == Scheme::kDay ? TypeRgb{1.0f, 1.0f, 220 / 255.f, 1.0f} : TypeRgb{0.07f, 0.07f, 0.065f, 1.0f};
}

TypeRgb SymbolHalo() { return SchemeColour({1.0f, 1.0f, 1.0f, 0.95f}); }

TypeRgb SymbolColour(MsgType t) {
  const BucketStyle s = EffectiveStyle(t);
  auto dark = [](float v) { return static_cast<float>(SafeClamp(v, 0.0, 1.0) * 0.8); };
  return SchemeColour({dark(s.rgba.r), dark(s.rgba.g), dark(s.rgba.b), 1.0f});
}

bool PointInView(double lat, double lon, const ViewBounds* view) {
  if (!view || !view->valid) return true;
  if (lat < view->lat_min - kViewMarginDeg || lat > view->lat_max + kViewMarginDeg) return false;
  if (view->lon_min <= view->lon_max) {
    if (lon < view->lon_min - kViewMarginDeg || lon > view->lon_max + kViewMarginDeg) return false;
  }
  return true;
}

bool GeomInView(const MsiGeom& g, const ViewBounds* view) {
  if (!view || !view->valid || g.points.empty()) return true;
  return BoxInView(GeomBox(g), view);
}

bool BoxInView(const GeoBox& b, const ViewBounds* view) {
  if (!view || !view->valid) return true;
  if (!Overlaps(b.lat_min, b.lat_max, view->lat_min - kViewMarginDeg, view->lat_max + kViewMarginDeg)) return false;
  if (view->lon_min > view->lon_max) return true;  // across the antimeridian: latitude only
  if (b.lon_max - b.lon_min >= 360.0) return true;
  const double v0 = view->lon_min - kViewMarginDeg, v1 = view->lon_max + kViewMarginDeg;
  for (double shift : {0.0, -360.0, 360.0})
    if (Overlaps(b.lon_min + shift, b.lon_max + shift, v0, v1)) return true;
  return false;
}

double NormaliseLon(double lon) {
  if (!std::isfinite(lon)) return 0.0;
  lon = std::fmod(lon + 180.0, 360.0);
  if (lon < 0) lon += 360.0;
  return lon - 180.0;
}

std::vector<LatLon> UnwrapLongitudes(const std::vector<LatLon>& pts) {
  std::vector<LatLon> out = pts;
  for (size_t i = 1; i < out.size(); ++i) out[i].second = out[i - 1].second + NormaliseLon(out[i].second - out[i - 1].second);
  return out;
}

LatLon GeomAnchor(const MsiGeom& g) {
  if (g.points.empty()) return {0.0, 0.0};
  const std::vector<LatLon> pts = UnwrapLongitudes(g.points);
  double lat = 0.0, lon = 0.0;
  for (const LatLon& p : pts) {
    lat += p.first;
    lon += p.second;
  }
  const double n = static_cast<double>(pts.size());
  return {lat / n, NormaliseLon(lon / n)};
}

void SortRingByAngle(std::vector<LatLon>* pts) {
  // The text's order is the outline; only a bow-tie is put in order.
  if (pts->size() < 3 || !RingCrossesItself(*pts)) return;
  *pts = UnwrapLongitudes(*pts);
  double mlat = 0.0, mlon = 0.0;
  for (const LatLon& p : *pts) {
    mlat += p.first;
    mlon += p.second;
  }
  mlat /= static_cast<double>(pts->size());
  mlon /= static_cast<double>(pts->size());
  std::vector<std::pair<double, LatLon>> keyed;
  keyed.reserve(pts->size());
  for (const LatLon& p : *pts) keyed.push_back({std::atan2(p.first - mlat, p.second - mlon), p});
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < keyed.size(); ++i) (*pts)[i] = keyed[i].second;
}

int StipplePeriod(int base, int line_weight, double chart_scale) {
  double f = 1.0;
  if (chart_scale > 1000.0) f = 1.0 + SafeClamp(std::log10(std::max(chart_scale, 10000.0) / 100000.0), -0.35, 0.55);
  const int w = line_weight < 2 ? 1 : line_weight;
  const double period = (1.0 + 0.25 * (w - 2)) * base * f;
  const int p = RoundHalfAway(SafeClamp(period, -1e6, 1e6));
  return std::clamp(p, 4, 16);
}

Stipple StripeStipple(int n, int t) {
  n = std::max(n, 2);
  t = std::max(std::min(t, n - 1), 1);
  Stipple s{};
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 32; ++c)
      if ((r + c) % n < t) s[r * 4 + c / 8] |= static_cast<uint8_t>(0x80u >> (c % 8));
  return s;
}

Stipple HatchStipple(int n, int t) {
  n = std::max(n, 3);
  t = std::max(std::min(t, n / 2), 1);
  Stipple s{};
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 32; ++c) {
      const int a = (c + r) % n;
      const int b = ((c - r) % n + n) % n;
      if (a < t || b < t) s[r * 4 + c / 8] |= static_cast<uint8_t>(0x80u >> (c % 8));
    }
  return s;
}

bool StippleBit(const Stipple& s, int row, int col) { return (s[row * 4 + col / 8] >> (7 - col % 8)) & 1u; }

int PatternPitch(float v) { return v > 0.0f ? RoundHalfAway(SafeClamp(v, 1.0, 64.0)) : 8; }
int PatternSpacing(float v) { return v > 0.0f ? RoundHalfAway(SafeClamp(v, 1.0, 64.0)) : 6; }
int PatternLineWidth(float v) { return std::max(RoundHalfAway(SafeClamp(v, 1.0, 32.0)), 1); }

namespace {

double Cross(const PixPoint& o, const PixPoint& a, const PixPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double SignedArea(const std::vector<PixPoint>& r) {
  double a = 0.0;
  for (size_t i = 0; i < r.size(); ++i) {
    const PixPoint& p = r[i];
    const PixPoint& q = r[(i + 1) % r.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a / 2.0;
}

bool InTriangle(const PixPoint& p, const PixPoint& a, const PixPoint& b, const PixPoint& c) {
  const double d1 = Cross(a, b, p), d2 = Cross(b, c, p), d3 = Cross(c, a, p);
  return d1 >= 0 && d2 >= 0 && d3 >= 0;
}

// An arc of points around c from angle a0 turning by sweep (radians).
void AddArc(const PixPoint& c, double r, double a0, double sweep, std::vector<PixPoint>* out) {
  const int steps = std::max(2, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 12.0))));
  for (int i = 0; i <= steps; ++i) {
    const double a = a0 + sweep * i / steps;
    out->push_back({ClampPixel(c.x + r * std::cos(a)), ClampPixel(c.y + r * std::sin(a))});
  }
}

void AddPiece(std::vector<PixPoint> piece, std::vector<std::vector<PixPoint>>* out) {
  if (piece.size() < 3) return;
  if (SignedArea(piece) < 0) std::reverse(piece.begin(), piece.end());
  out->push_back(std::move(piece));
}

}  // namespace

std::vector<PixPoint> TriangulateRing(const std::vector<PixPoint>& ring_in) {
  std::vector<PixPoint> tris;
  if (ring_in.size() < 4) return tris;
  std::vector<PixPoint> ring = ring_in;
  if (SignedArea(ring) < 0) std::reverse(ring.begin(), ring.end());
  // Convex: a fan covers it, nothing to cut.
  bool convex = true;
  for (size_t i = 0; i < ring.size() && convex; ++i)
    convex = Cross(ring[i], ring[(i + 1) % ring.size()], ring[(i + 2) % ring.size()]) >= 0;
  if (convex) return tris;
  // Ear clipping: cut off a convex corner holding no other vertex, again
  // and again. A ring that offers no ear (it touches itself) keeps the
  // rest as a fan.
  std::vector<size_t> idx(ring.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
  size_t guard = 0;
  while (idx.size() > 3 && guard < 2 * ring.size() * ring.size()) {
    bool cut = false;
    for (size_t k = 0; k < idx.size(); ++k, ++guard) {
      const size_t ia = idx[(k + idx.size() - 1) % idx.size()], ib = idx[k], ic = idx[(k + 1) % idx.size()];
      const PixPoint &a = ring[ia], &b = ring[ib], &c = ring[ic];
      if (Cross(a, b, c) <= 0) continue;
      bool empty = true;
      for (size_t m : idx) {
        if (m == ia || m == ib || m == ic) continue;
        if (InTriangle(ring[m], a, b, c)) {
          empty = false;
          break;
        }
      }
      if (!empty) continue;
      tris.insert(tris.end(), {a, b, c});
      idx.erase(idx.begin() + static_cast<std::ptrdiff_t>(k));
      cut = true;
      break;
    }
    if (!cut) break;
  }
  for (size_t k = 1; k + 1 < idx.size(); ++k) tris.insert(tris.end(), {ring[idx[0]], ring[idx[k]], ring[idx[k + 1]]});
  return tris;
}

std::vector<std::vector<PixPoint>> CorridorPieces(const std::vector<PixPoint>& line, double r) {
  std::vector<std::vector<PixPoint>> pieces;
  // Legs of no length say nothing about direction.
  std::vector<PixPoint> pts;
  for (const PixPoint& p : line)
    if (pts.empty() || std::hypot(p.x - pts.back().x, p.y - pts.back().y) > 1e-6) pts.push_back(p);
  if (!(r > 0.0)) return pieces;
  if (pts.size() == 1) {
    std::vector<PixPoint> disc;
    AddArc(pts[0], r, 0.0, 2.0 * kPi, &disc);
    disc.pop_back();
    AddPiece(std::move(disc), &pieces);
    return pieces;
  }
  std::vector<double> heading(pts.size() - 1);
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const PixPoint &a = pts[i], &b = pts[i + 1];
    heading[i] = std::atan2(b.y - a.y, b.x - a.x);
    const double nx = -std::sin(heading[i]) * r, ny = std::cos(heading[i]) * r;
    AddPiece({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}, &pieces);
  }
  // Round caps: half discs beyond each end.
  {
    std::vector<PixPoint> cap{pts.front()};
    AddArc(pts.front(), r, heading.front() + kPi / 2.0, kPi, &cap);
    AddPiece(std::move(cap), &pieces);
    std::vector<PixPoint> end{pts.back()};
    AddArc(pts.back(), r, heading.back() - kPi / 2.0, kPi, &end);
    AddPiece(std::move(end), &pieces);
  }
  // At each bend, the wedge between the two legs' edges on the outer side.
  for (size_t i = 1; i + 1 < pts.size(); ++i) {
    double turn = heading[i] - heading[i - 1];
    while (turn > kPi) turn -= 2.0 * kPi;
    while (turn < -kPi) turn += 2.0 * kPi;
    if (std::fabs(turn) < 1e-3) continue;
    // Turning one way opens the other side: its edge normal goes from the
    // incoming leg's to the outgoing leg's.
    const double side = turn > 0 ? -kPi / 2.0 : kPi / 2.0;
    std::vector<PixPoint> wedge{pts[i]};
    AddArc(pts[i], r, heading[i - 1] + side, turn, &wedge);
    AddPiece(std::move(wedge), &pieces);
  }
  return pieces;
}

PixPoint RimPoint(const PixPoint& c, double r, int i, int n) {
  const double a = i * 2.0 * kPi / n;
  return {ClampPixel(c.x + r * std::cos(a)), ClampPixel(c.y + r * std::sin(a))};
}

namespace {

DrawItem Prototype(const MsiMessage& m, int i, bool hl, const Settings& settings, double scale) {
  DrawItem proto;
  proto.message = i;
  proto.type = m.type;
  proto.highlighted = hl;
  proto.doubtful = m.source == "receiver:garbled";
  proto.colour = DrawColour(m.type, static_cast<float>(settings.overlay_alpha));
  proto.base_alpha = proto.colour.a;
  if (hl) proto.colour.a = std::min(proto.colour.a + 0.15f, 0.9f);
  proto.line_weight = hl ? 5 : std::max(RoundHalfAway(SafeClamp(settings.overlay_line_width, 1.0, 64.0)), 1);
  proto.style = EffectiveStyle(m.type);
  if (DrawScheme() != Scheme::kDay) {
    const TypeRgb c = SchemeColour({proto.colour.r, proto.colour.g, proto.colour.b, proto.colour.a});
    proto.colour.r = c.r;
    proto.colour.g = c.g;
    proto.colour.b = c.b;
    proto.style.rgba = SchemeColour(proto.style.rgba);
    // A stripe of no colour of its own takes the pink the renderers fall back to.
    const TypeRgb& st = proto.style.stripe_rgba;
    proto.style.stripe_rgba = SchemeColour(st.a > 0.01f ? st : TypeRgb{1.0f, 0.55f, 0.85f, 0.55f});
  }
  proto.pattern = settings.pattern_fill ? proto.colour.kind : PATTERN_NONE;
  if (proto.pattern == PATTERN_STRIPE) {
    proto.stipple_period = StipplePeriod(PatternPitch(proto.style.pitch_px), proto.line_weight, scale);
    proto.stipple_thickness = std::max(proto.stipple_period / 2, 2);
  } else if (proto.pattern == PATTERN_HATCH) {
    proto.stipple_period = StipplePeriod(PatternSpacing(proto.style.spacing_px), proto.line_weight, scale);
    proto.stipple_thickness = PatternLineWidth(proto.style.line_width_px);
  }
  return proto;
}

// Width and height of what an item covers, in pixels.
PixPoint ItemExtent(const DrawItem& it) {
  if (it.shape == DrawShape::kCircle) return {2.0 * it.radius_px, 2.0 * it.radius_px};
  if (it.points.empty()) return {0.0, 0.0};
  double x0 = it.points[0].x, x1 = x0, y0 = it.points[0].y, y1 = y0;
  for (const PixPoint& p : it.points) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  const double pad = it.shape == DrawShape::kCorridor ? 2.0 * it.radius_px : 0.0;
  return {x1 - x0 + pad, y1 - y0 + pad};
}

// Small on the screen: a shape of a few pixels reads as its symbol alone,
// and a pattern finer than nothing it could show is left out.
void FitToScreen(DrawItem* it) {
  if (it->shape == DrawShape::kPoint || it->highlighted) return;
  const PixPoint ext = ItemExtent(*it);
  if (it->shape != DrawShape::kCircle && ext.x < kSymbolOnlyPx && ext.y < kSymbolOnlyPx) {
    it->shape = DrawShape::kPoint;
    it->points.clear();
    it->triangles.clear();
    it->pieces.clear();
    return;
  }
  if (it->pattern != PATTERN_NONE && ext.x < it->stipple_period && ext.y < it->stipple_period) it->pattern_pass = false;
}

// The items of one geometry of a drawn message; false when it draws nothing.
template <class Pix>
bool AddGeometry(const DrawItem& proto, const MsiGeom& g, const LatLon& anchor, const Pix& pix,
                 std::vector<LatLon>* ring, Frame* frame) {
  const size_t n = g.points.size();
  if ((g.kind == GEOM_POLYGON || g.kind == GEOM_POLYLINE) && n >= 2) {
    *ring = g.points;
    if (g.kind == GEOM_POLYGON) SortRingByAngle(ring);
    DrawItem it = proto;
    const bool corridor = g.kind == GEOM_POLYLINE && std::isfinite(g.radius_nm) && g.radius_nm > 0.0;
    it.shape = g.kind == GEOM_POLYGON && n >= 3 ? DrawShape::kPolygon
               : corridor                       ? DrawShape::kCorridor
                                                : DrawShape::kPolyline;
    it.points.reserve(n);
    for (const LatLon& p : *ring) it.points.push_back(pix(p.first, p.second));
    it.anchor = pix(anchor.first, anchor.second);
    if (corridor) {
      // Half-width in pixels measured north of the first vertex, as a
      // circle's radius is; at least a visible band.
      const double lat = (*ring)[0].first, r = std::min(g.radius_nm, 500.0);
      double ref = lat + r / 60.0;
      if (ref > 90.0) ref = lat - r / 60.0;
      const PixPoint e = pix(SafeClamp(ref, -90.0, 90.0), (*ring)[0].second);
      it.radius_px = SafeClamp(std::fabs(e.y - it.points[0].y), 2.0, kPixelLimit);
    }
    FitToScreen(&it);
    if (it.shape == DrawShape::kPolygon) it.triangles = TriangulateRing(it.points);
    if (it.shape == DrawShape::kCorridor) it.pieces = CorridorPieces(it.points, it.radius_px);
    frame->items.push_back(std::move(it));
  } else if (g.kind == GEOM_CIRCLE && n >= 1) {
    DrawItem it = proto;
    it.shape = DrawShape::kCircle;
    const double lat = g.points[0].first, lon = g.points[0].second;
    it.anchor = pix(lat, lon);
    const double r = std::isfinite(g.radius_nm) ? std::max(g.radius_nm, 0.0) : 0.0;
    // The reference point goes south when north would pass the pole.
    double ref = lat + r / 60.0;
    if (ref > 90.0) ref = lat - r / 60.0;
    ref = SafeClamp(ref, -90.0, 90.0);
    const PixPoint e = pix(ref, lon);
    it.radius_px = SafeClamp(std::fabs(e.y - it.anchor.y), kMinCircleRadiusPx, kPixelLimit);
    FitToScreen(&it);
    frame->items.push_back(std::move(it));
  } else if (g.kind == GEOM_POINT && n >= 1) {
    DrawItem it = proto;
    it.shape = DrawShape::kPoint;
    it.anchor = pix(anchor.first, anchor.second);
    frame->items.push_back(std::move(it));
  } else {
    return false;
  }
  return true;
}

// The frame of the messages in `drawn` (store indices, in order), or of
// every visible message when it is null. With an index, geometries are
// culled and anchored by its entries.
Frame BuildFrameOf(const MessageStore& store, const std::vector<int>* drawn, const FilterContext& ctx,
                   const Settings& settings, const ViewBounds* view, int highlighted, const PixelProjector& project,
                   const GeomIndex* index) {
  Frame frame;
  auto pix = [&](double lat, double lon) {
    PixPoint p = project(lat, lon);
    return PixPoint{ClampPixel(p.x), ClampPixel(p.y)};
  };
  for (const NavtexStation& st : NavtexStations())
    if (PointInView(st.lat, st.lon, view)) frame.stations.push_back(pix(st.lat, st.lon));

  const double scale = view ? view->chart_scale : 1.0;
  std::vector<LatLon> ring;
  auto add_message = [&](size_t i, bool counted) {
    const MsiMessage& m = store[i];
    const bool hl = static_cast<int>(i) == highlighted;
    const DrawItem proto = Prototype(m, static_cast<int>(i), hl, settings, scale);
    const size_t before = frame.items.size();
    for (size_t k = 0; k < m.geoms.size(); ++k) {
      const MsiGeom& g = m.geoms[k];
      LatLon anchor;
      if (index) {
        const GeomIndex::Entry& e = index->begin(i)[k];
        if (!hl && !e.empty && !BoxInView(e.box, view)) continue;
        anchor = e.anchor;
      } else {
        if (!hl && !GeomInView(g, view)) continue;
        anchor = GeomAnchor(g);
      }
      if (AddGeometry(proto, g, anchor, pix, &ring, &frame)) frame.drawn = true;
    }
    if (counted && frame.items.size() > before) {
      const int t = static_cast<int>(m.type);
      ++frame.counts[t >= 0 && t < kMsgTypeCount ? t : static_cast<int>(OTHER)];
    }
  };
  if (drawn) {
    for (int i : *drawn)
      add_message(static_cast<size_t>(i), i != highlighted || IsVisible(store[static_cast<size_t>(i)], ctx));
  } else {
    for (size_t i = 0; i < store.size(); ++i) {
      const bool visible = IsVisible(store[i], ctx);
      if (visible || static_cast<int>(i) == highlighted) add_message(i, visible);
    }
  }
  return frame;
}

// What the items' colours, patterns and widths are made of, to see a
// change of the colour table or the drawing settings.
std::vector<float> StyleKey(const Settings& s) {
  std::vector<float> key{static_cast<float>(s.overlay_alpha), static_cast<float>(s.overlay_line_width),
                         s.pattern_fill ? 1.0f : 0.0f, static_cast<float>(DrawScheme())};
  for (int t = 0; t < kMsgTypeCount; ++t) {
    const BucketStyle b = EffectiveStyle(static_cast<MsgType>(t));
    key.insert(key.end(), {b.rgba.r, b.rgba.g, b.rgba.b, b.rgba.a, static_cast<float>(b.kind), b.stripe_rgba.r,
                           b.stripe_rgba.g, b.stripe_rgba.b, b.stripe_rgba.a, b.pitch_px, b.spacing_px,
                           b.line_width_px});
  }
  return key;
}

}  // namespace

std::vector<std::vector<PixPoint>> RouteBand(const std::vector<LatLon>& route, double corridor_nm,
                                             const PixelProjector& project) {
  if (route.empty() || !(corridor_nm > 0.0)) return {};
  auto pix = [&](double lat, double lon) {
    const PixPoint p = project(lat, lon);
    return PixPoint{ClampPixel(p.x), ClampPixel(p.y)};
  };
  std::vector<PixPoint> line;
  for (const LatLon& w : route) line.push_back(pix(w.first, w.second));
  // Half-width measured north of the first waypoint, as a corridor's is.
  const double lat = route[0].first, r = std::min(corridor_nm, 5000.0);
  double ref = lat + r / 60.0;
  if (ref > 90.0) ref = lat - r / 60.0;
  const PixPoint e = pix(SafeClamp(ref, -90.0, 90.0), route[0].second);
  return CorridorPieces(line, SafeClamp(std::fabs(e.y - line[0].y), 1.0, kPixelLimit));
}

Frame BuildFrame(const MessageStore& store, const FilterContext& ctx, const Settings& settings,
                 const ViewBounds* view, int highlighted, const PixelProjector& project) {
  return BuildFrameOf(store, nullptr, ctx, settings, view, highlighted, project, nullptr);
}

const Frame& FrameCache::Get(const MessageStore& store, const FilterContext& ctx, const Settings& settings,
                             const ViewBounds& view, const std::vector<double>& view_key, int highlighted,
                             const PixelProjector& project) {
  index_.Sync(store);
  // The messages this frame draws: culled by their boxes first, the
  // filters asked only of those in view.
  drawn_scratch_.clear();
  for (size_t i = 0; i < store.size(); ++i) {
    const bool hl = static_cast<int>(i) == highlighted;
    bool in_view = hl;
    if (!in_view && index_.has_box(i) && BoxInView(index_.message_box(i), &view))
      for (const GeomIndex::Entry* e = index_.begin(i); !in_view && e != index_.end(i); ++e)
        in_view = !e->empty && BoxInView(e->box, &view);
    if (in_view && (hl || IsVisible(store[i], ctx))) drawn_scratch_.push_back(static_cast<int>(i));
  }
  std::vector<float> style = StyleKey(settings);
  // A highlighted message is drawn either way; whether it counts is its own.
  const bool hl_visible = highlighted >= 0 && static_cast<size_t>(highlighted) < store.size() &&
                          IsVisible(store[static_cast<size_t>(highlighted)], ctx);
  const bool same = valid_ && view_key == view_key_ && index_.generation() == generation_ &&
                    highlighted == highlighted_ && hl_visible == hl_visible_ && style == style_ &&
                    drawn_scratch_ == drawn_;
  if (same) return frame_;
  frame_ = BuildFrameOf(store, &drawn_scratch_, ctx, settings, &view, highlighted, project, &index_);
  ++builds_;
  valid_ = true;
  view_key_ = view_key;
  generation_ = index_.generation();
  highlighted_ = highlighted;
  hl_visible_ = hl_visible;
  style_ = std::move(style);
  drawn_.swap(drawn_scratch_);
  return frame_;
}

}  // namespace orvane
