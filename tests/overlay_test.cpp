// The overlay's pure decisions: colours, patterns, culling, ring order,
// pixel limits, the visibility filters with their range and corridor
// distances, the hit test and the hover line.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <cstdlib>

#include "overlay/filters.h"
#include "overlay/frame.h"
#include "overlay/legend.h"
#include "overlay/taxonomy.h"
#include "test_support.h"

namespace orvane {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Degrees of latitude for a distance in nautical miles on the filters' sphere.
double Deg(double nm) { return nm / 3440.065 * 180.0 / kPi; }

MsiGeom Point(double lat, double lon) { return {GEOM_POINT, {{lat, lon}}, 0.0}; }
MsiGeom Circle(double lat, double lon, double r) { return {GEOM_CIRCLE, {{lat, lon}}, r}; }
MsiGeom Polygon(std::vector<LatLon> pts) { return {GEOM_POLYGON, std::move(pts), 0.0}; }
MsiGeom Line(std::vector<LatLon> pts) { return {GEOM_POLYLINE, std::move(pts), 0.0}; }

MsiMessage Msg(MsiGeom g, MsgType t = MINE, char b2 = '?') {
  MsiMessage m;
  m.type = t;
  m.b2 = b2;
  m.title = "T";
  m.geoms.push_back(std::move(g));
  return m;
}

class OverlayTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("ORVANE_COLORS_PATH");
    ResetTaxonomyForTesting();
    ctx_.settings = &s_;
  }
  void TearDown() override { ResetTaxonomyForTesting(); }
  test::TempDataRoot root_;
  Settings s_;
  FilterContext ctx_;
};

TEST_F(OverlayTest, DrawColourScalesTheBucketAlphaWithinLimits) {
  EXPECT_NEAR(DrawColour(MINE, 0.85f).a, 0.4675f, 1e-6);
  EXPECT_NEAR(DrawColour(MINE, 0.1f).a, 0.28f, 1e-6);  // 0.055 raised
  EXPECT_NEAR(DrawColour(MINE, 5.0f).a, 0.4675f, 1e-6);  // overlay alpha capped at 0.85
  EXPECT_EQ(DrawColour(WEATHER, 0.5f).kind, PATTERN_STRIPE);
  EXPECT_EQ(DrawColour(static_cast<MsgType>(77), 0.5f).kind, PATTERN_HATCH);  // OTHER's bucket
}

TEST_F(OverlayTest, StipplePeriodFollowsScaleAndWeight) {
  EXPECT_EQ(StipplePeriod(8, 2, 50000), 6);
  EXPECT_EQ(StipplePeriod(8, 2, 5000000), 12);
  EXPECT_EQ(StipplePeriod(8, 6, 5000000), 16);  // 25 capped
  EXPECT_EQ(StipplePeriod(8, 1, 500), 6);       // weight 1 counts as 1; no scale factor
  EXPECT_EQ(StipplePeriod(1, 2, 1000), 4);
}

TEST_F(OverlayTest, StripeAndHatchBitmaps) {
  const Stipple s = StripeStipple(6, 3);
  for (int c = 0; c < 32; ++c) EXPECT_EQ(StippleBit(s, 0, c), c % 6 < 3) << c;
  EXPECT_EQ(s[0], 0xE3);  // 11100011: pixels 0, 1, 2, 6, 7 of the first byte
  EXPECT_TRUE(StippleBit(s, 1, 1));
  EXPECT_FALSE(StippleBit(s, 1, 2));
  const Stipple h = HatchStipple(6, 1);
  EXPECT_TRUE(StippleBit(h, 0, 0));
  EXPECT_TRUE(StippleBit(h, 1, 1));   // (c - r) mod 6 = 0
  EXPECT_TRUE(StippleBit(h, 1, 5));   // (c + r) mod 6 = 0
  EXPECT_FALSE(StippleBit(h, 1, 3));
}

TEST_F(OverlayTest, PatternMeasuresFromTheFileBecomeSafeIntegers) {
  EXPECT_EQ(PatternPitch(0.0f), 8);
  EXPECT_EQ(PatternPitch(1e30f), 64);
  EXPECT_EQ(PatternPitch(std::nanf("")), 8);
  EXPECT_EQ(PatternSpacing(-3.0f), 6);
  EXPECT_EQ(PatternLineWidth(std::nanf("")), 1);
  EXPECT_EQ(PatternLineWidth(2.5f), 3);
}

TEST_F(OverlayTest, BowTieIsSortedIntoTheConvexQuadrilateral) {
  std::vector<LatLon> ring = {{0, 0}, {1, 1}, {1, 0}, {0, 1}};
  SortRingByAngle(&ring);
  EXPECT_EQ(ring, (std::vector<LatLon>{{0, 0}, {0, 1}, {1, 1}, {1, 0}}));
  std::vector<LatLon> two = {{1, 1}, {0, 0}};
  SortRingByAngle(&two);
  EXPECT_EQ(two, (std::vector<LatLon>{{1, 1}, {0, 0}}));
  // Across the antimeridian the ring keeps its shape.
  std::vector<LatLon> wrap = {{0, 179.5}, {1, -179.5}, {1, 179.5}, {0, -179.5}};
  SortRingByAngle(&wrap);
  for (size_t i = 1; i < wrap.size(); ++i) EXPECT_LT(std::fabs(wrap[i].second - wrap[i - 1].second), 2.0);
}

TEST_F(OverlayTest, RingsThatDoNotCrossKeepTheirOrder) {
  // HYDROLANT 1774/26's concave outline, as written: no re-sort.
  std::vector<LatLon> ring = {{4.56, -50.02}, {5.71, -48.97}, {3.05, -46.30}, {1.99, -47.23},
                              {2.04, -47.31}, {2.10, -47.35}, {2.12, -47.36}, {2.55, -47.63}};
  const std::vector<LatLon> before = ring;
  SortRingByAngle(&ring);
  EXPECT_EQ(ring, before);
}

bool InConvex(const std::vector<PixPoint>& piece, double x, double y) {
  bool pos = false, neg = false;
  for (size_t i = 0; i < piece.size(); ++i) {
    const PixPoint& a = piece[i];
    const PixPoint& b = piece[(i + 1) % piece.size()];
    const double c = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    pos = pos || c > 1e-9;
    neg = neg || c < -1e-9;
  }
  return !(pos && neg);
}

TEST_F(OverlayTest, ConcaveAreasAreCutIntoTrianglesThatStayInside) {
  // A "U" in pixels: the bay between its arms must stay empty.
  const std::vector<PixPoint> u = {{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}};
  const std::vector<PixPoint> tris = TriangulateRing(u);
  ASSERT_EQ(tris.size(), 3 * (u.size() - 2));
  double area = 0;
  bool bay = false, arm = false;
  for (size_t i = 0; i < tris.size(); i += 3) {
    const std::vector<PixPoint> t(tris.begin() + i, tris.begin() + i + 3);
    area += std::fabs((t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[2].x - t[0].x) * (t[1].y - t[0].y)) / 2;
    bay = bay || InConvex(t, 15, 20);
    arm = arm || InConvex(t, 5, 20);
  }
  EXPECT_NEAR(area, 30 * 30 - 10 * 20, 1e-9);
  EXPECT_FALSE(bay);
  EXPECT_TRUE(arm);
  // A convex ring needs no cutting: the fan covers it.
  EXPECT_TRUE(TriangulateRing({{0, 0}, {10, 0}, {10, 10}, {0, 10}}).empty());
}

TEST_F(OverlayTest, CorridorBandCoversItsWidthAndNoMore) {
  // Along x, a right-angle bend, then along y; 10 pixels either side.
  const auto pieces = CorridorPieces({{0, 0}, {100, 0}, {100, 100}}, 10.0);
  auto covered = [&](double x, double y) {
    for (const auto& p : pieces)
      if (InConvex(p, x, y)) return true;
    return false;
  };
  struct Probe {
    double x, y;
    bool in;
  };
  const Probe probes[] = {
      {50, 9, true},   {50, -9, true},  {50, 11, false}, {50, -11, false},  // beside the first leg
      {109, 50, true}, {91, 50, true},  {111, 50, false}, {89, 50, false},  // beside the second
      {106, -6, true}, {108, -8, false},                                    // round outer corner of the bend
      {-9, 0, true},   {-11, 0, false}, {100, 109, true}, {100, 111, false},  // round caps
  };
  for (const Probe& p : probes) EXPECT_EQ(covered(p.x, p.y), p.in) << p.x << "," << p.y;

  // All pieces wound the same way, so the winding rule fills their union once.
  for (const auto& p : pieces) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) a += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    EXPECT_GT(a, 0);
  }
}

TEST_F(OverlayTest, CorridorsAndLinesAnswerClicksAndHover) {
  // Along a meridian (a great circle), so distances east of it are plain.
  const double k = 1.0 / std::cos(40.0 * kPi / 180.0);
  auto east = [&](double nm) { return 30 + Deg(nm) * k; };
  // HYDROLANT 682/24 A: a route WITHIN THREE MILES OF its trackline.
  MsiGeom corridor = Line({{39, 30}, {41, 30}});
  corridor.radius_nm = 3;
  MessageStore store = {Msg(corridor, RESTRICT)};
  EXPECT_EQ(HitTest(store, ctx_, -1, 39.5, east(2.8)), 0);
  EXPECT_EQ(HitTest(store, ctx_, -1, 39.5, east(3.3)), -1);
  // 30 NM from the anchor, within the corridor: hover names it.
  EXPECT_EQ(HoverMessage(store, ctx_, 39.5, east(2)), 0);
  EXPECT_EQ(HoverMessage(store, ctx_, 39.5, east(4)), -1);
  // A plain line answers within 2 NM of any leg, far from its corners.
  MessageStore line = {Msg(Line({{39, 30}, {41, 30}}), CABLE)};
  EXPECT_EQ(HitTest(line, ctx_, -1, 40.0, east(1.8)), 0);
  EXPECT_EQ(HitTest(line, ctx_, -1, 40.0, east(2.2)), -1);
  // The range filter counts a corridor from its edge.
  EXPECT_NEAR(GeomDistanceNm(corridor, 40.0, east(10)), 7.0, 0.01);
  // The frame draws it as a band with its centre line.
  const Frame f = BuildFrame(store, ctx_, s_, nullptr, -1, [](double lat, double lon) {
    return PixPoint{(lon - 29) * 100, (41 - lat) * 100};
  });
  ASSERT_EQ(f.items.size(), 1u);
  EXPECT_EQ(f.items[0].shape, DrawShape::kCorridor);
  EXPECT_NEAR(f.items[0].radius_px, 100.0 * 3 / 60, 0.5);
  EXPECT_FALSE(f.items[0].pieces.empty());
}

TEST_F(OverlayTest, AMessageTheReceiverHeardBadlyIsDrawnAsDoubtful) {
  MsiMessage garbled = Msg(Polygon({{40, 29}, {41, 29}, {41, 30}}));
  garbled.source = "receiver:garbled";
  MsiMessage clean = Msg(Point(40, 30));
  clean.source = "receiver";
  const Frame f = BuildFrame({garbled, clean}, ctx_, s_, nullptr, -1, [](double lat, double lon) {
    return PixPoint{lon * 10, -lat * 10};
  });
  ASSERT_EQ(f.items.size(), 2u);
  EXPECT_TRUE(f.items[0].doubtful);
  EXPECT_FALSE(f.items[1].doubtful);
}

TEST_F(OverlayTest, AnchorUnwrapsLongitudesAcrossTheAntimeridian) {
  const LatLon a = GeomAnchor(Line({{10, 179}, {12, -179}}));
  EXPECT_DOUBLE_EQ(a.first, 11.0);
  EXPECT_NEAR(std::fabs(a.second), 180.0, 1e-9);
  EXPECT_EQ(GeomAnchor(MsiGeom{}), (LatLon{0, 0}));
}

TEST_F(OverlayTest, GeomInViewUsesBoundingBoxes) {
  ViewBounds v{40, 42, 30, 32, 50000, true};
  EXPECT_FALSE(GeomInView(Polygon({{44, 34}, {45, 34}, {45, 35}}), &v));
  EXPECT_TRUE(GeomInView(Polygon({{44, 34}, {45, 34}, {45, 35}}), nullptr));
  // Centre outside, southern rim inside.
  EXPECT_TRUE(GeomInView(Circle(43.2, 31, 60), &v));
  // Zoomed inside a large area whose corners are all far outside.
  EXPECT_TRUE(GeomInView(Polygon({{30, 20}, {50, 20}, {50, 40}, {30, 40}}), &v));
  EXPECT_TRUE(GeomInView(Circle(41, 31, 600), &v));
  // A long cable line passing through the view between distant points.
  EXPECT_TRUE(GeomInView(Line({{41, 20}, {41, 40}}), &v));
  // A view across the antimeridian tests latitude only.
  ViewBounds w{40, 42, 170, -170, 50000, true};
  EXPECT_TRUE(GeomInView(Point(41, 0), &w));
  EXPECT_FALSE(GeomInView(Point(50, 0), &w));
  // A shape across the antimeridian seen from either side.
  ViewBounds east{40, 42, -179, -175, 50000, true};
  EXPECT_TRUE(GeomInView(Line({{41, 175}, {41, -178}}), &east));
  EXPECT_TRUE(PointInView(41, 31, &v));
  EXPECT_FALSE(PointInView(41, 32.6, &v));
}

Frame FrameOf(const MessageStore& store, const FilterContext& ctx, const Settings& s, int highlighted,
              double px_per_deg = 10.0) {
  return BuildFrame(store, ctx, s, nullptr, highlighted, [px_per_deg](double lat, double lon) {
    return PixPoint{lon * px_per_deg, -lat * px_per_deg};
  });
}

TEST_F(OverlayTest, CircleRadiusHasAFloorAndABound) {
  MessageStore store = {Msg(Circle(41, 31, 0.01)), Msg(Circle(41, 31, 1e300)), Msg(Circle(89.9, 0, 60)),
                        Msg(Circle(41, 31, std::nan("")))};
  const Frame f = FrameOf(store, ctx_, s_, -1);
  ASSERT_EQ(f.items.size(), 4u);
  EXPECT_EQ(f.items[0].radius_px, 6.0);
  EXPECT_TRUE(std::isfinite(f.items[1].radius_px));
  EXPECT_LE(f.items[1].radius_px, kPixelLimit);
  EXPECT_NEAR(f.items[2].radius_px, 10.0, 1e-6);  // reference point taken to the south
  EXPECT_EQ(f.items[3].radius_px, 6.0);
  for (int i = 0; i < 49; ++i) EXPECT_LE(std::fabs(RimPoint(f.items[1].anchor, f.items[1].radius_px, i, 48).x), kPixelLimit);
  EXPECT_EQ(RoundPixel(1e300), static_cast<int>(kPixelLimit));
  EXPECT_EQ(RoundPixel(std::nan("")), static_cast<int>(-kPixelLimit));
  EXPECT_EQ(RoundPixel(-2.5), -3);
}

TEST_F(OverlayTest, FrameDrawsVisibleAndHighlightedMessages) {
  MessageStore store = {Msg(Polygon({{0, 0}, {1, 1}, {1, 0}, {0, 1}}), WEATHER), Msg(Point(5, 5), MINE, 'Z'),
                        Msg(Line({{2, 2}, {3, 3}}), CABLE), MsiMessage{}};
  store[1].active = false;
  s_.pattern_fill = false;
  Frame f = FrameOf(store, ctx_, s_, -1);
  ASSERT_EQ(f.items.size(), 2u);
  EXPECT_TRUE(f.drawn);
  EXPECT_EQ(f.items[0].shape, DrawShape::kPolygon);
  EXPECT_EQ(f.items[0].pattern, PATTERN_NONE);
  // Convex ring in pixels: x = lon * 10, y = -lat * 10.
  EXPECT_EQ(f.items[0].points[1].x, 10.0);
  EXPECT_EQ(f.items[0].points[1].y, 0.0);
  EXPECT_EQ(f.items[1].shape, DrawShape::kPolyline);
  EXPECT_EQ(f.items[1].line_weight, 2);
  s_.pattern_fill = true;
  f = FrameOf(store, ctx_, s_, 1);
  ASSERT_EQ(f.items.size(), 3u);
  EXPECT_EQ(f.items[0].pattern, PATTERN_STRIPE);
  EXPECT_TRUE(f.items[1].highlighted);
  EXPECT_EQ(f.items[1].line_weight, 5);
  EXPECT_NEAR(f.items[1].colour.a, f.items[1].base_alpha + 0.15f, 1e-6);
  EXPECT_FALSE(FrameOf({MsiMessage{}}, ctx_, s_, -1).drawn);
  EXPECT_FALSE(f.stations.empty());  // no view port: every station
}

TEST_F(OverlayTest, DistanceNm) {
  EXPECT_NEAR(DistanceNm(0, 0, 1, 0), 60.04, 0.01);
  EXPECT_EQ(DistanceNm(10, 10, 10, 10), 0.0);
  EXPECT_NEAR(DistanceNm(0, 0, 0, 180), 6880.13 * kPi / 2, 1e-6);
}

TEST_F(OverlayTest, MessageFiltersFollowB2AndCategory) {
  struct Case {
    char b2;
    MsgType type;
    bool type_on, b2_on, visible;
  } cases[] = {
      {'Z', MINE, true, true, false},      // hidden class whatever the masks say
      {'D', MINE, false, true, true},      // mandatory letter beats the category
      {'E', MINE, true, false, false},     // optional letter switched off
      {'?', MINE, false, true, false},     // no letter, category off
      {'?', MINE, true, true, true},
  };
  for (const Case& c : cases) {
    Settings s;
    s.type_mask = WithTypeVisible(s.type_mask, c.type, c.type_on);
    if (!c.b2_on) WithB2Visible(&s.b2_mask, c.b2, false);
    ctx_.settings = &s;
    EXPECT_EQ(IsVisible(Msg(Point(1, 1), c.type, c.b2), ctx_), c.visible) << c.b2;
  }
  MsiMessage cancelled = Msg(Point(1, 1));
  cancelled.active = false;
  ctx_.settings = &s_;
  EXPECT_FALSE(IsVisible(cancelled, ctx_));
  MsiMessage empty = Msg(Point(1, 1));
  empty.geoms.clear();
  EXPECT_FALSE(IsVisible(empty, ctx_));
}

TEST_F(OverlayTest, RangeCountsCirclesToTheirRimAndAreasAroundTheShip) {
  s_.range_all = false;
  s_.range_nm = 100;
  EXPECT_TRUE(IsVisible(Msg(Point(50, 50)), ctx_));  // no fix yet
  ctx_.has_fix = true;
  ctx_.own_lat = 40;
  ctx_.own_lon = 30;
  EXPECT_TRUE(IsVisible(Msg(Point(40 + Deg(99), 30)), ctx_));
  EXPECT_FALSE(IsVisible(Msg(Point(40 + Deg(101), 30)), ctx_));
  // A circle of 200 NM centred 150 NM away reaches the ship.
  EXPECT_TRUE(IsVisible(Msg(Circle(40 + Deg(150), 30, 200)), ctx_));
  EXPECT_FALSE(IsVisible(Msg(Circle(40 + Deg(350), 30, 200)), ctx_));
  EXPECT_EQ(GeomDistanceNm(Circle(40 + Deg(150), 30, 200), 40, 30), 0.0);
  // The ship inside a large area: distance 0.
  const MsiGeom area = Polygon({{36, 26}, {44, 26}, {44, 34}, {36, 34}});
  EXPECT_EQ(GeomDistanceNm(area, 40, 30), 0.0);
  EXPECT_TRUE(IsVisible(Msg(area), ctx_));
  s_.range_all = true;
  EXPECT_TRUE(IsVisible(Msg(Point(80, 80)), ctx_));
}

TEST_F(OverlayTest, CorridorMeasuresToTheLegsOfTheRoute) {
  // Two waypoints about 200 NM apart on the parallel of 40 N.
  const std::vector<LatLon> route = {{40, 28}, {40, 32.35}};
  ASSERT_NEAR(DistanceNm(40, 28, 40, 32.35), 200, 2);
  const MsiMessage between = Msg(Point(40 + Deg(10), 30.2));
  EXPECT_TRUE(MessageInCorridor(between, route, 50));
  EXPECT_FALSE(MessageInCorridor(Msg(Point(40 + Deg(60), 30.2)), route, 50));
  // Beyond the end of a leg the distance is to the waypoint.
  EXPECT_FALSE(MessageInCorridor(Msg(Point(40, 34)), route, 50));
  EXPECT_TRUE(MessageInCorridor(Msg(Circle(40 + Deg(80), 30.2, 40)), route, 50));
  // An area the route crosses, with every corner far from it.
  EXPECT_TRUE(MessageInCorridor(Msg(Polygon({{38, 29.5}, {42, 29.5}, {42, 30.5}, {38, 30.5}})), route, 50));
  EXPECT_TRUE(MessageInCorridor(Msg(Line({{37, 30}, {43, 30.4}})), route, 50));
  EXPECT_TRUE(MessageInCorridor(between, {}, 50));
  EXPECT_TRUE(MessageInCorridor(Msg(Point(40, 28 + Deg(10))), {{40, 28}}, 50));

  s_.route_filter = true;
  s_.corridor_nm = 50;
  EXPECT_TRUE(IsVisible(Msg(Point(10, 10)), ctx_));  // no active route
  ctx_.route = route;
  EXPECT_TRUE(IsVisible(between, ctx_));
  EXPECT_FALSE(IsVisible(Msg(Point(10, 10)), ctx_));
}

TEST_F(OverlayTest, HitTestCases) {
  const double lat = 40, lon = 30;
  // A point 1.9 NM away and a circle of 3 NM whose centre is 1 NM away.
  MessageStore a = {Msg(Point(lat + Deg(1.9), lon)), Msg(Circle(lat - Deg(1), lon, 3))};
  EXPECT_EQ(HitTest(a, ctx_, -1, lat, lon), 1);
  // Equal distances: the earlier message.
  MessageStore b = {Msg(Point(lat + Deg(1), lon)), Msg(Point(lat - Deg(1), lon))};
  EXPECT_EQ(HitTest(b, ctx_, -1, lat, lon), 0);
  // Inside a later polygon, 0.3 NM from an earlier point.
  MessageStore c = {Msg(Point(lat + Deg(0.3), lon)), Msg(Polygon({{39, 29}, {41, 29}, {41, 31}, {39, 31}}))};
  EXPECT_EQ(HitTest(c, ctx_, -1, lat, lon), 1);
  // A tiny circle still answers within 0.5 NM.
  MessageStore d = {Msg(Circle(lat + Deg(0.4), lon, 0.1))};
  EXPECT_EQ(HitTest(d, ctx_, -1, lat, lon), 0);
  EXPECT_EQ(HitTest(d, ctx_, -1, lat - Deg(0.2), lon), -1);
  // A line answers along its leg; a hidden message only when highlighted.
  MessageStore e = {Msg(Line({{lat + Deg(1), 29.5}, {lat + Deg(1), 30.5}}), CABLE, 'Z')};
  EXPECT_EQ(HitTest(e, ctx_, -1, lat, lon), -1);
  EXPECT_EQ(HitTest(e, ctx_, 0, lat, lon), 0);
  EXPECT_EQ(HitTest({}, ctx_, -1, lat, lon), -1);
  // An area across the antimeridian.
  MessageStore f = {Msg(Polygon({{-20, 178}, {-16, 178}, {-16, -178}, {-20, -178}}))};
  EXPECT_EQ(HitTest(f, ctx_, -1, -18, 179.5), 0);
  EXPECT_EQ(HitTest(f, ctx_, -1, -18, -179.5), 0);
  EXPECT_EQ(HitTest(f, ctx_, -1, -18, 170), -1);
}

TEST_F(OverlayTest, HoverFindsTheFirstAnchorWithinTwelveMiles) {
  const MsiGeom area = Polygon({{39, 29}, {41, 29}, {41, 31}, {39, 31}});
  MessageStore store = {Msg(area)};
  EXPECT_EQ(HoverMessage(store, ctx_, 40 + Deg(11), 30), 0);
  // Inside the area 30 NM from its anchor: the area is what is there.
  EXPECT_EQ(HoverMessage(store, ctx_, 40 + Deg(30), 30), 0);
  EXPECT_EQ(HoverMessage(store, ctx_, 41 + Deg(30), 30), -1);  // outside, far from it
  MsiMessage hidden = Msg(Point(40, 30), MINE, 'Z');
  EXPECT_EQ(HoverMessage({hidden}, ctx_, 40, 30), -1);
  MsiMessage none = Msg(MsiGeom{});
  EXPECT_EQ(HoverMessage({none}, ctx_, 0, 0), -1);  // no points, no anchor
}

TEST_F(OverlayTest, HoverAndClickTexts) {
  MsiMessage m = Msg(Point(40, 30), MINE);
  m.title = "NAVAREA III 0139/26";
  m.raw_text = std::string(200, 'x');
  m.b1 = 'I';
  const std::string t = HoverText(m, 3);
  EXPECT_EQ(t, "I Izmir | MINE - NAVAREA III 0139/26 | " + std::string(160, 'x') + "...");
  m.b1 = '?';
  m.raw_text = "SHORT";
  EXPECT_EQ(HoverText(m, 3), "? | MINE - NAVAREA III 0139/26 | SHORT");
  m.b1 = 'Q';
  EXPECT_EQ(HoverText(m, 3).substr(0, 4), "Q | ");
  // A letter names another station in every NAVAREA (E is Cullercoats in I,
  // Alexandria in III): with no NAVAREA known it stands alone, and the
  // message's own NAVAREA comes before the ship's.
  m.b1 = 'E';
  EXPECT_EQ(HoverText(m, 0).substr(0, 4), "E | ");
  m.navarea = 1;
  EXPECT_EQ(HoverText(m, 3).substr(0, 14), "E Cullercoats ");
  EXPECT_EQ(ClickText(m), std::string(TypeLabel(MINE)) + " | " + TypeColourName(MINE) + " - NAVAREA III 0139/26");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

class FrameScaleTest : public OverlayTest {};

// At 10 px a degree: a line or area under 4 px each way is its symbol
// alone; a patterned fill under one period keeps its under-fill only.
TEST_F(FrameScaleTest, SmallShapesDrawAsTheirSymbol) {
  struct Case {
    const char* what;
    MsiGeom geom;
    MsgType type;
    DrawShape shape;
    bool pattern_pass;
  };
  const Case cases[] = {
      {"tiny area", Polygon({{0, 0}, {0.2, 0}, {0.2, 0.2}}), WEATHER, DrawShape::kPoint, true},
      {"tiny line", Line({{0, 0}, {0.1, 0.3}}), CABLE, DrawShape::kPoint, true},
      {"area 3 px by 5 px", Polygon({{0, 0}, {0.3, 0}, {0.3, 0.5}}), WEATHER, DrawShape::kPolygon, false},
      {"large area", Polygon({{0, 0}, {3, 0}, {3, 3}}), WEATHER, DrawShape::kPolygon, true},
      // The disc is never under 6 px, so a tiny circle stays a circle.
      {"tiny circle", Circle(0, 0, 0.01), WEATHER, DrawShape::kCircle, true},
  };
  s_.pattern_fill = true;
  for (const Case& c : cases) {
    const Frame f = FrameOf({Msg(c.geom, c.type)}, ctx_, s_, -1);
    ASSERT_EQ(f.items.size(), 1u) << c.what;
    EXPECT_EQ(f.items[0].shape, c.shape) << c.what;
    if (f.items[0].pattern != PATTERN_NONE && c.shape != DrawShape::kPoint) {
      EXPECT_EQ(f.items[0].pattern_pass, c.pattern_pass) << c.what << " period " << f.items[0].stipple_period;
    }
    EXPECT_TRUE(f.drawn) << c.what;
  }
  // The highlighted message keeps its shape to carry the halo.
  const Frame hl = FrameOf({Msg(Polygon({{0, 0}, {0.2, 0}, {0.2, 0.2}}), WEATHER)}, ctx_, s_, 0);
  ASSERT_EQ(hl.items.size(), 1u);
  EXPECT_EQ(hl.items[0].shape, DrawShape::kPolygon);
}

PixelProjector TenPerDegree() {
  return [](double lat, double lon) { return PixPoint{lon * 10.0, -lat * 10.0}; };
}

// The kept frame is the one BuildFrame makes, and is built again exactly
// when something it depends on changes.
TEST_F(FrameScaleTest, CachedFrameFollowsEveryChange) {
  MessageStore store = {Msg(Polygon({{40, 30}, {41, 30}, {41, 31}}), WEATHER), Msg(Point(40.5, 30.5), MINE),
                        Msg(Polygon({{-40, -30}, {-41, -30}, {-41, -31}}), MILITARY)};
  ViewBounds view{39, 42, 29, 32, 50000, true};
  const std::vector<double> key{1.0};
  FrameCache cache;
  auto same_as_built = [&](const Frame& f, int hl) {
    const Frame want = BuildFrame(store, ctx_, s_, &view, hl, TenPerDegree());
    ASSERT_EQ(f.items.size(), want.items.size());
    for (size_t i = 0; i < f.items.size(); ++i) {
      EXPECT_EQ(f.items[i].message, want.items[i].message);
      EXPECT_EQ(f.items[i].points.size(), want.items[i].points.size());
      EXPECT_EQ(f.items[i].colour.a, want.items[i].colour.a);
    }
    EXPECT_EQ(f.drawn, want.drawn);
  };
  same_as_built(cache.Get(store, ctx_, s_, view, key, -1, TenPerDegree()), -1);
  EXPECT_EQ(cache.builds(), 1);
  cache.Get(store, ctx_, s_, view, key, -1, TenPerDegree());
  EXPECT_EQ(cache.builds(), 1) << "nothing changed";
  struct Step {
    const char* what;
    std::function<void()> change;
    int highlighted;
  };
  std::vector<double> key2 = key;
  const Step steps[] = {
      {"view port", [&] { key2 = {2.0}; }, -1},
      {"highlight", [] {}, 2},
      {"settings", [&] { s_.overlay_alpha = 0.7; }, 2},
      {"filters", [&] { s_.type_mask = WithTypeVisible(s_.type_mask, MINE, false); }, 2},
      {"store replaced", [&] { store = MessageStore(store.begin(), store.begin() + 2); }, 2},
      {"geometry replaced", [&] { store[0].geoms[0] = Polygon({{40, 30}, {40.5, 30}, {40.5, 30.5}, {40, 30.5}}); }, 2},
  };
  int builds = 1;
  for (const Step& st : steps) {
    st.change();
    same_as_built(cache.Get(store, ctx_, s_, view, key2, st.highlighted, TenPerDegree()), st.highlighted);
    EXPECT_EQ(cache.builds(), ++builds) << st.what;
  }
}

// With the boxes of an index, hover and clicks answer as without them,
// also for a long line whose great-circle leg bows north of its ends.
TEST_F(FrameScaleTest, IndexedMouseAnswersAsUnindexed) {
  MessageStore store = {Msg(Line({{60, -40}, {60, 40}}), CABLE), Msg(Circle(45, 10, 30), MINE),
                        Msg(Polygon({{10, 170}, {12, -170}, {8, -170}}), WEATHER), Msg(Point(45.2, 10.1), WRECK)};
  GeomIndex index;
  index.Sync(store);
  const double probes[][2] = {{60, 0},   {65.9, 0}, {66, 0},  {45, 10},  {45.4, 10.4}, {10, 179.5},
                              {10, -175}, {9.6, 175}, {45.2, 10.1}, {0, 0}, {89, 0}};
  for (const auto& p : probes) {
    EXPECT_EQ(HitTest(store, ctx_, -1, p[0], p[1], &index), HitTest(store, ctx_, -1, p[0], p[1])) << p[0] << " " << p[1];
    EXPECT_EQ(HoverMessage(store, ctx_, p[0], p[1], &index), HoverMessage(store, ctx_, p[0], p[1])) << p[0] << " " << p[1];
  }
  // The great circle from 60N 40W to 60N 40E passes 66.14N at 0E.
  EXPECT_EQ(HitTest(store, ctx_, -1, 66.13, 0.0, &index), 0);
}

// The legend counts the visible messages the frame draws, once each
// however many parts they have; hidden, culled and highlighted-but-hidden
// ones are not counted.
TEST_F(FrameScaleTest, LegendCountsTheVisibleMessagesInView) {
  MessageStore store = {Msg(Polygon({{40, 30}, {41, 30}, {41, 31}}), MINE), Msg(Point(40.5, 30.5), MINE),
                        Msg(Point(40.6, 30.6), MINE), Msg(Point(40.7, 30.7), MINE),
                        Msg(Point(40.2, 30.2), WRECK), Msg(Point(40.3, 30.3), WRECK),
                        Msg(Point(40.4, 30.4), MILITARY), Msg(Point(-40, -30), CABLE)};
  store[3].active = false;  // hidden
  store[6].active = false;  // hidden, and highlighted below
  store[0].geoms.push_back(Point(40.9, 30.9));  // a second part: still one message
  ViewBounds view{39, 42, 29, 32, 50000, true};
  std::array<int, kMsgTypeCount> want{};
  want[MINE] = 3;
  want[WRECK] = 2;
  EXPECT_EQ(BuildFrame(store, ctx_, s_, &view, 6, TenPerDegree()).counts, want);
  FrameCache cache;
  EXPECT_EQ(cache.Get(store, ctx_, s_, view, {1.0}, 6, TenPerDegree()).counts, want);
  // The highlighted message counts once the filters show it again.
  store[6].active = true;
  want[MILITARY] = 1;
  EXPECT_EQ(cache.Get(store, ctx_, s_, view, {1.0}, 6, TenPerDegree()).counts, want);
}

// The Overlay page's legend line names the colours the chart draws with.
TEST_F(FrameScaleTest, LegendLineFollowsTheColourTable) {
  const std::string line = LegendLine();
  EXPECT_EQ(line.rfind("Legend: DRILLING orange | MILITARY red | MINE magenta", 0), 0u) << line;
  EXPECT_NE(line.find("| WEATHER pink stripe |"), std::string::npos) << line;
  EXPECT_NE(line.find("| OTHER red hatch"), std::string::npos) << line;
  EXPECT_EQ(line.find("lime"), std::string::npos) << line;
  SetOverride(OTHER, {0.6f, 1.0f, 0.0f, 0.6f});
  EXPECT_NE(LegendLine().find("| OTHER lime hatch"), std::string::npos) << LegendLine();
  ClearOverride(OTHER);
  const std::pair<TypeRgb, const char*> words[] = {
      {{0.15f, 0.50f, 1.0f, 1}, "blue"}, {{0.55f, 0.35f, 0.12f, 1}, "brown"}, {{0.60f, 0.20f, 1.0f, 1}, "violet"},
      {{0.0f, 0.6f, 0.1f, 1}, "green"},  {{1, 1, 1, 1}, "white"}};
  for (const auto& [rgb, word] : words) EXPECT_STREQ(ColourWord(rgb), word);
}

}  // namespace
}  // namespace orvane
