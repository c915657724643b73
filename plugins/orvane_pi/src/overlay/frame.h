// The drawing decisions of one chart frame, shared by the OpenGL and the
// device-context renderers: what is drawn, where, in which colour and
// pattern. The renderers only issue the calls for the items built here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "overlay/filters.h"
#include "overlay/geom_index.h"
#include "overlay/taxonomy.h"
#include "parse/msi_model.h"
#include "settings/settings.h"

namespace orvane {

// The part of the chart in view, as the host's view port gives it.
struct ViewBounds {
  double lat_min = 0.0, lat_max = 0.0, lon_min = 0.0, lon_max = 0.0;
  double chart_scale = 1.0;
  bool valid = false;
};

constexpr double kViewMarginDeg = 0.5;
constexpr double kMinCircleRadiusPx = 6.0;
// Pixel values are held inside this range before they become integers, so
// a far-off point or a huge radius draws a bounded shape.
constexpr double kPixelLimit = 1.0e6;
constexpr int kDiscRimPoints = 49;  // i = 0..48, the last closing the fan
constexpr int kCircleOutlinePoints = 48;
// A line or area narrower and lower than this on the screen is drawn as its
// category symbol alone.
constexpr double kSymbolOnlyPx = 4.0;

// The colour scheme the overlay draws in: by day as the colour table says;
// at dusk and at night every colour is dimmed, white included.
enum class Scheme { kDay = 0, kDusk = 1, kNight = 2 };
void SetDrawScheme(Scheme s);
Scheme DrawScheme();
// The share of its brightness a colour keeps: 1, 0.55 at dusk, 0.3 at night.
float SchemeLevel();
// A colour as the current scheme draws it (alpha unchanged).
TypeRgb SchemeColour(const TypeRgb& c);
// Label and legend text and their background in the current scheme: dark
// on pale by day, dim on near-black at dusk and night.
TypeRgb SchemeText();
TypeRgb SchemeTextBackground();
// The white halo under symbols, dimmed with the scheme.
TypeRgb SymbolHalo();

// Category symbols: strokes in the category's colour, darkened so light
// colours hold against their white halo.
constexpr float kSymbolStrokeWidth = 2.0f;
// The halo: a disc behind the symbol, reaching past its strokes (the
// OpenGL path draws it with this many sides).
constexpr double kSymbolHaloRadius = 11.5;
constexpr int kSymbolHaloSides = 8;
TypeRgb SymbolColour(MsgType t);

// Rounds to the nearest integer, halves away from zero, after clamping.
int RoundPixel(double v);
double ClampPixel(double v);

struct DrawColourResult {
  float r = 0, g = 0, b = 0, a = 0;
  PatternKind kind = PATTERN_NONE;
};
DrawColourResult DrawColour(MsgType t, float overlay_alpha);

// view null or not valid: everything is in view.
bool PointInView(double lat, double lon, const ViewBounds* view);
// Bounding box of the geometry (circles with their radius) against the view
// widened by half a degree; a view across the antimeridian tests latitude only.
bool GeomInView(const MsiGeom& g, const ViewBounds* view);
// The same test for a box from GeomBox (of a geometry with points).
bool BoxInView(const GeoBox& b, const ViewBounds* view);

// Longitudes made continuous along the list (no jump of more than 180
// degrees between neighbours), so a shape across the antimeridian stays whole.
std::vector<LatLon> UnwrapLongitudes(const std::vector<LatLon>& pts);
double NormaliseLon(double lon);  // into -180..180
// Mean of the points (unwrapped), longitude back in -180..180; (0, 0) for none.
LatLon GeomAnchor(const MsiGeom& g);
// A ring that crosses itself in its given order is sorted by angle about
// its mean; any other ring, and fewer than 3 points, are left as they are.
void SortRingByAngle(std::vector<LatLon>* pts);

int StipplePeriod(int base, int line_weight, double chart_scale);
using Stipple = std::array<uint8_t, 128>;  // 32 x 32, MSB leftmost, set = fill
Stipple StripeStipple(int period, int thickness);
Stipple HatchStipple(int period, int thickness);
bool StippleBit(const Stipple& s, int row, int col);
// Pattern measures from colors.json as safe integers.
int PatternPitch(float pitch_px);        // 8 when not above 0
int PatternSpacing(float spacing_px);    // 6 when not above 0
int PatternLineWidth(float line_width);  // at least 1

struct PixPoint {
  double x = 0.0, y = 0.0;
};

enum class DrawShape { kPolygon, kPolyline, kCircle, kPoint, kCorridor };

// Triangles (three points each) covering a simple ring in pixels, for a
// ring that is not convex; empty when a fan from any vertex covers it.
std::vector<PixPoint> TriangulateRing(const std::vector<PixPoint>& ring);

// The band within r pixels of a line: a quad along each leg, a wedge
// closing the outer side of each bend and a round cap at each end. Every
// piece is convex and wound the same way, so their union fills once under
// the winding rule.
std::vector<std::vector<PixPoint>> CorridorPieces(const std::vector<PixPoint>& line, double r);

// One geometry to draw.
struct DrawItem {
  DrawShape shape = DrawShape::kPoint;
  int message = -1;  // index in the store
  MsgType type = OTHER;
  bool highlighted = false;
  bool doubtful = false;  // positions of a message received with many errors: dashed
  std::vector<PixPoint> points;  // ring or line in pixels
  PixPoint anchor;               // symbol place (circle: the centre)
  double radius_px = 0.0;        // circles, and the half-width of corridors
  std::vector<PixPoint> triangles;              // fill of a ring that is not convex
  std::vector<std::vector<PixPoint>> pieces;    // fill of a corridor
  DrawColourResult colour;       // fill; alpha raised for the highlight
  float base_alpha = 0.0f;       // fill alpha before the highlight raise
  PatternKind pattern = PATTERN_NONE;  // none when PatternFill is off
  BucketStyle style;                   // stripe colour and pattern measures
  int line_weight = 1;
  int stipple_period = 0;     // stripe or hatch period in pixels
  int stipple_thickness = 0;  // band or line thickness in pixels
  bool pattern_pass = true;   // false: a fill smaller than one pattern period shows no pattern
};

struct Frame {
  std::vector<DrawItem> items;
  // Visible messages drawn in this frame, by category (the legend's counts;
  // a highlighted message the filters hide is not counted).
  std::array<int, kMsgTypeCount> counts{};
  std::vector<PixPoint> stations;  // NAVTEX transmitters in view
  bool drawn = false;              // at least one geometry drawn
};

// Latitude, longitude to canvas pixels (the host's conversion).
using PixelProjector = std::function<PixPoint(double lat, double lon)>;

// Walks the store: each message that is visible or highlighted, each of its
// geometries in view (all of them for the highlighted one).
Frame BuildFrame(const MessageStore& store, const FilterContext& ctx, const Settings& settings,
                 const ViewBounds* view, int highlighted, const PixelProjector& project);

// The route filter's corridor as a band of corridor_nm about the route's
// legs in pixels (convex pieces, as CorridorPieces); empty without a route.
std::vector<std::vector<PixPoint>> RouteBand(const std::vector<LatLon>& route, double corridor_nm,
                                             const PixelProjector& project);
// The band's faint fill.
constexpr float kRouteBandRgba[4] = {0.35f, 0.45f, 0.6f, 0.14f};

// The last frame, built again only when the view port, the store's
// geometries, the drawing settings or colours, the highlight or the set of
// drawn messages change; and the boxes the mouse passes use.
class FrameCache {
 public:
  // view_key: every view port value the projection depends on.
  const Frame& Get(const MessageStore& store, const FilterContext& ctx, const Settings& settings,
                   const ViewBounds& view, const std::vector<double>& view_key, int highlighted,
                   const PixelProjector& project);
  // The boxes of the store's geometries, brought up to date.
  const GeomIndex& Index(const MessageStore& store) {
    index_.Sync(store);
    return index_;
  }
  int builds() const { return builds_; }

 private:
  GeomIndex index_;
  Frame frame_;
  bool valid_ = false;
  std::vector<double> view_key_;
  uint64_t generation_ = 0;
  int highlighted_ = -1;
  bool hl_visible_ = false;
  std::vector<float> style_;
  std::vector<int> drawn_, drawn_scratch_;
  int builds_ = 0;
};

// Rim point i of n around a centre, clamped.
PixPoint RimPoint(const PixPoint& c, double r, int i, int n);

}  // namespace orvane
