// The two drawing callbacks read back as pixels: an OpenGL frame rendered
// offscreen by Mesa (OSMesa) and a device-context frame drawn into a memory
// bitmap, over a Mercator view port of the test host. Also the mouse hook,
// the hover line and the route asked once per frame.
#include <gtest/gtest.h>

#include <GL/osmesa.h>
#include <GL/gl.h>

#include <wx/choicdlg.h>
#include <wx/dcmemory.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/testing.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "orvane_host/mercator.h"
#include "orvane_pi/orvane_pi.h"
#include "overlay/frame.h"
#include "overlay/taxonomy.h"
#include "test_host.h"
#include "test_support.h"
#include "ui/message_detail.h"
#include "ui/nt_dialog.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

// Counts the detail views a click opens and closes each with OK.
class ExpectDetailOpened : public wxExpectModalBase<MessageDetailDialog, ExpectDetailOpened> {
 public:
  explicit ExpectDetailOpened(int* opened) : opened_(opened) {}

 protected:
  int OnInvoked(MessageDetailDialog*) const override {
    ++*opened_;
    return wxID_OK;
  }

 private:
  int* opened_;
};

// Answers the list of messages under a click: records its rows and picks
// one of them (-1: cancels).
class ExpectChooser : public wxExpectModalBase<wxSingleChoiceDialog, ExpectChooser> {
 public:
  ExpectChooser(int pick, std::vector<std::string>* rows) : pick_(pick), rows_(rows) {}

 protected:
  int OnInvoked(wxSingleChoiceDialog* d) const override {
    // The list box is the dialog's only one.
    for (wxWindow* w : d->GetChildren())
      if (auto* box = dynamic_cast<wxListBox*>(w))
        for (unsigned i = 0; i < box->GetCount(); ++i) rows_->push_back(box->GetString(i).ToStdString());
    if (pick_ < 0) return wxID_CANCEL;
    d->SetSelection(pick_);
    return wxID_OK;
  }

 private:
  int pick_;
  std::vector<std::string>* rows_;
};

using testhost::Host;
constexpr int kW = 256, kH = 256;

struct Rgb {
  int r, g, b;
};

MsiMessage Area(MsgType t, double lat0, double lon0, double lat1, double lon1, char b2 = '?') {
  MsiMessage m;
  m.type = t;
  m.b2 = b2;
  m.title = "AREA";
  m.geoms.push_back({GEOM_POLYGON, {{lat0, lon0}, {lat1, lon0}, {lat1, lon1}, {lat0, lon1}}, 0.0});
  return m;
}

// What a colour of alpha a over white gives.
Rgb OverWhite(TypeRgb c, double a) {
  auto ch = [a](float v) { return static_cast<int>(std::lround(255.0 * (1.0 - a) + 255.0 * v * a)); };
  return {ch(c.r), ch(c.g), ch(c.b)};
}

void ExpectNear(Rgb got, Rgb want, int tol, const char* what) {
  EXPECT_NEAR(got.r, want.r, tol) << what;
  EXPECT_NEAR(got.g, want.g, tol) << what;
  EXPECT_NEAR(got.b, want.b, tol) << what;
}

class RenderTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("ORVANE_COLORS_PATH");
    ResetTaxonomyForTesting();
    testhost::Reset();
    canvas_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    Host().canvas = canvas_;
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    plugin_->LoadSettings();
    plugin_->SetOverlayAlpha(0.85);
    // About four degrees across, centred in the Black Sea.
    vp_ = host::MakeViewPort(43.0, 33.0, 5.5e-4, kW, kH);
    Host().viewport = vp_;
  }
  void TearDown() override {
    plugin_.reset();
    canvas_->Destroy();
    ResetTaxonomyForTesting();
  }
  wxPoint Px(double lat, double lon) const { return host::LatLonToPixel(vp_, lat, lon); }

  test::TempDataRoot root_;
  wxFrame* canvas_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
  PlugIn_ViewPort vp_;
};

// One frame in an offscreen Mesa buffer, top row first.
class GlTarget {
 public:
  GlTarget() : buf_(kW * kH * 4, 0) {
    ctx_ = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
    ok_ = ctx_ && OSMesaMakeCurrent(ctx_, buf_.data(), GL_UNSIGNED_BYTE, kW, kH);
    if (!ok_) return;
    OSMesaPixelStore(OSMESA_Y_UP, 0);
    glViewport(0, 0, kW, kH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kW, kH, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  ~GlTarget() {
    if (ctx_) OSMesaDestroyContext(ctx_);
  }
  bool ok() const { return ok_; }
  void Clear() {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  Rgb At(int x, int y) {
    glFinish();
    const uint8_t* p = &buf_[(y * kW + x) * 4];
    return {p[0], p[1], p[2]};
  }

 private:
  std::vector<uint8_t> buf_;
  OSMesaContext ctx_ = nullptr;
  bool ok_ = false;
};

// One frame in a memory bitmap.
struct DcFrame {
  bool drawn = false;
  wxImage image;
  Rgb At(int x, int y) const { return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)}; }
};

class Renders : public RenderTest, public testing::WithParamInterface<bool> {
 protected:
  bool gl() const { return GetParam(); }
  // Draws one frame through the callback under test and reads it back.
  std::function<Rgb(int, int)> Draw(int canvas = 0, int priority = 0, bool* drawn = nullptr) {
    bool d;
    if (gl()) {
      if (!gl_) gl_ = std::make_unique<GlTarget>();
      gl_->Clear();
      d = plugin_->RenderGLOverlayMultiCanvas(nullptr, &vp_, canvas, priority);
      GlTarget* t = gl_.get();
      if (drawn) *drawn = d;
      return [t](int x, int y) { return t->At(x, y); };
    }
    wxBitmap bmp(kW, kH, 24);
    {
      wxMemoryDC dc(bmp);
      dc.SetBackground(*wxWHITE_BRUSH);
      dc.Clear();
      d = plugin_->RenderOverlayMultiCanvas(dc, &vp_, canvas, priority);
    }
    auto frame = std::make_shared<DcFrame>();
    frame->drawn = d;
    frame->image = bmp.ConvertToImage();
    if (drawn) *drawn = d;
    return [frame](int x, int y) { return frame->At(x, y); };
  }
  void SetUp() override {
    RenderTest::SetUp();
    if (gl()) {
      gl_ = std::make_unique<GlTarget>();
      ASSERT_TRUE(gl_->ok()) << "no offscreen Mesa context";
    }
  }
  // The largest spread of red, green or blue along a stretch of a row.
  static int Spread(const std::function<Rgb(int, int)>& at, int x0, int x1, int y) {
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (int x = x0; x < x1; ++x) {
      const Rgb c = at(x, y);
      const int v[3] = {c.r, c.g, c.b};
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], v[k]);
        hi[k] = std::max(hi[k], v[k]);
      }
    }
    return std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
  }
  std::unique_ptr<GlTarget> gl_;
};

TEST_P(Renders, FillColourInsideAPolygon) {
  plugin_->ReplaceStoreForTesting({Area(MINE, 42.0, 32.0, 44.0, 34.0)});
  bool drawn = false;
  auto at = Draw(0, 0, &drawn);
  EXPECT_TRUE(drawn);
  const wxPoint c = Px(43.0, 33.0);
  // Left of the symbol and off the fan's diagonals; 0.85 x 0.55 = 0.4675.
  ExpectNear(at(c.x - 30, c.y + 8), OverWhite(EffectiveRgba(MINE), 0.4675), 4, "fill");
  ExpectNear(at(2, 2), {255, 255, 255}, 0, "outside");
}

TEST_P(Renders, ConcaveAreaLeavesItsBayAndCorridorItsSurroundings) {
  // A "U" written in text order: the bay between the arms is sea.
  MsiMessage u;
  u.type = MINE;
  u.title = "U";
  u.geoms.push_back({GEOM_POLYGON,
                     {{42, 32}, {44, 32}, {44, 32.6}, {42.6, 32.6}, {42.6, 33.4}, {44, 33.4}, {44, 34}, {42, 34}},
                     0.0});
  plugin_->SetPatternFill(false);
  plugin_->ReplaceStoreForTesting({u});
  auto at = Draw();
  const wxPoint bay = Px(43.8, 33.0), arm = Px(43.8, 32.3);
  ExpectNear(at(bay.x, bay.y), {255, 255, 255}, 0, "bay");
  ExpectNear(at(arm.x, arm.y), OverWhite(EffectiveRgba(MINE), 0.4675), 4, "arm");

  // A corridor 10 NM either side of its line.
  MsiMessage c;
  c.type = RESTRICT;
  c.title = "ROUTE";
  c.geoms.push_back({GEOM_POLYLINE, {{43, 32}, {43, 34}}, 10.0});
  plugin_->ReplaceStoreForTesting({c});
  auto band = Draw();
  const wxPoint in = Px(43.1, 32.5), out = Px(43.3, 32.5);
  ExpectNear(band(in.x, in.y), OverWhite(EffectiveRgba(RESTRICT), 0.4675), 4, "inside the corridor");
  ExpectNear(band(out.x, out.y), {255, 255, 255}, 0, "beyond the corridor");
}

TEST_P(Renders, StripesAndHatchOnlyWithPatternFill) {
  plugin_->ReplaceStoreForTesting({Area(WEATHER, 42.0, 31.6, 44.0, 32.9), Area(RESTRICT, 42.0, 33.1, 44.0, 34.4)});
  const wxPoint w = Px(43.2, 32.25), r = Px(43.2, 33.75);
  auto on = Draw();
  EXPECT_GT(Spread(on, w.x - 20, w.x - 2, w.y - 14), 25) << "WEATHER stripes";
  EXPECT_GT(Spread(on, r.x - 20, r.x - 2, r.y - 14), 25) << "RESTRICT hatch";
  plugin_->SetPatternFill(false);
  auto off = Draw();
  EXPECT_LE(Spread(off, w.x - 20, w.x - 2, w.y - 14), 3);
  EXPECT_LE(Spread(off, r.x - 20, r.x - 2, r.y - 14), 3);
  ExpectNear(off(w.x - 10, w.y - 14), OverWhite(EffectiveRgba(WEATHER), 0.4675), 4, "plain WEATHER fill");
}

TEST_P(Renders, HighlightedMessageHiddenByFiltersGetsTheYellowOutline) {
  plugin_->ReplaceStoreForTesting({Area(MINE, 42.0, 32.0, 44.0, 34.0, 'E')});
  plugin_->SetB2Visible('E', false);
  const wxPoint top = Px(44.0, 33.5);
  bool drawn = true;
  auto hidden = Draw(0, 0, &drawn);
  EXPECT_FALSE(drawn);
  ExpectNear(hidden(top.x, top.y), {255, 255, 255}, 0, "hidden, not highlighted");
  plugin_->HighlightMessage(0);
  auto lit = Draw(0, 0, &drawn);
  EXPECT_TRUE(drawn);
  const Rgb edge = lit(top.x, top.y);
  EXPECT_GT(edge.r, 220);
  EXPECT_GT(edge.g, 220);
  EXPECT_LT(edge.b, 140);
  // The dark halo shows just outside the yellow line.
  const Rgb halo = lit(top.x, top.y - 3);
  EXPECT_LT(halo.r, 100);
}

TEST_P(Renders, NothingForCanvasOneOrPriorityTwo) {
  plugin_->ReplaceStoreForTesting({Area(MINE, 42.0, 32.0, 44.0, 34.0)});
  for (auto [canvas, priority] : {std::pair{1, 0}, std::pair{0, 2}}) {
    bool drawn = true;
    auto at = Draw(canvas, priority, &drawn);
    EXPECT_FALSE(drawn);
    const wxPoint c = Px(43.0, 33.0);
    ExpectNear(at(c.x - 30, c.y + 8), {255, 255, 255}, 0, "untouched");
    ExpectNear(at(c.x, c.y), {255, 255, 255}, 0, "no symbol");
  }
  EXPECT_FALSE(plugin_->has_viewport());
}

TEST_P(Renders, RouteIsAskedOncePerFrameAndFiltersTheChart) {
  MessageStore store;
  for (int i = 0; i < 5; ++i) store.push_back(Area(MINE, 42.0 + i * 0.3, 31.0, 42.2 + i * 0.3, 31.2));
  store.push_back(Area(MILITARY, 43.5, 34.0, 43.9, 34.4));
  plugin_->ReplaceStoreForTesting(store);
  Host().active_route_guid = "r1";
  PlugIn_Route route;
  route.m_GUID = "r1";
  route.waypoints = {{44.5, 34.2, "a", "A"}, {42.5, 34.2, "b", "B"}};
  Host().routes["r1"] = route;
  plugin_->SetCorridorNm(10);
  plugin_->SetRouteFilter(true);
  const int before = Host().route_requests;
  auto at = Draw();
  EXPECT_EQ(Host().route_requests, before + 1);
  const wxPoint in = Px(43.7, 34.05), out = Px(42.1, 31.05);
  EXPECT_NE(at(in.x, in.y).g, 255) << "on the route";
  ExpectNear(at(out.x, out.y), {255, 255, 255}, 0, "off the route");
  EXPECT_EQ(plugin_->CountVisible(), 1u);
  EXPECT_EQ(Host().route_requests, before + 2);
}

// The legend box sits in the top-right corner with one row per category on
// the chart, each with its swatch; switched off, the corner stays clear.
TEST_P(Renders, LegendListsTheCategoriesOnTheChart) {
  MessageStore store = {Area(MINE, 42.0, 31.2, 42.4, 31.6), Area(MINE, 42.5, 31.2, 42.7, 31.4),
                        Area(WRECK, 42.0, 31.8, 42.2, 32.0), Area(AIDS, 40.0, 10.0, 40.2, 10.2)};
  plugin_->ReplaceStoreForTesting(store);
  auto at = Draw();
  const int right = kW - 11, top = 10;
  // The box's border: two rows of 20 pixels and 4 above and below.
  EXPECT_LT(at(right, top).g, 160) << "top border";
  EXPECT_LT(at(right, top + 2 * 20 + 7).g, 160) << "bottom border after two rows";
  ExpectNear(at(right, top + 2 * 20 + 9), {255, 255, 255}, 0, "below the box");
  // Each row's swatch in its category's colour: find it along the row.
  auto find = [&](int y, const std::function<bool(Rgb)>& is) {
    for (int x = right; x > kW / 3; --x)
      if (is(at(x, y))) return true;
    return false;
  };
  EXPECT_TRUE(find(top + 4 + 10, [](Rgb c) { return c.r > 150 && c.g < 150 && c.b > 150; })) << "MINE magenta";
  EXPECT_TRUE(find(top + 24 + 10, [](Rgb c) { return c.r > c.g + 40 && c.r > c.b + 40; })) << "WRECK red-brown";
  plugin_->SetShowLegend(false);
  EXPECT_FALSE(plugin_->settings().show_legend);
  auto off = Draw();
  ExpectNear(off(right, top), {255, 255, 255}, 0, "legend off");
  for (int x = kW / 2; x <= right; x += 4) ExpectNear(off(x, top + 14), {255, 255, 255}, 0, "legend off");
}

// A symbol is stroked in its category's colour on a white halo, which
// shows over another category's fill.
TEST_P(Renders, SymbolsInTheirCategoryColourOnAWhiteHalo) {
  MsiMessage mine;
  mine.type = MINE;
  mine.title = "MINE";
  mine.geoms.push_back({GEOM_POINT, {{43.0, 33.0}}, 0.0});
  plugin_->SetShowLegend(false);
  // The area's own symbol and label lie down and left of the point.
  plugin_->ReplaceStoreForTesting({Area(AIDS, 42.0, 32.0, 43.6, 33.6), mine});
  auto at = Draw();
  const wxPoint c = Px(43.0, 33.0);
  const TypeRgb want = SymbolColour(MINE);
  // The ring of radius 8: some pixel on it carries the stroke colour.
  bool stroke = false;
  for (int dx = 7; dx <= 9 && !stroke; ++dx) {
    const Rgb p = at(c.x + dx, c.y);
    stroke = std::abs(p.r - 255 * want.r) < 40 && std::abs(p.g - 255 * want.g) < 40 && std::abs(p.b - 255 * want.b) < 40;
  }
  EXPECT_TRUE(stroke) << "MINE's ring in its colour";
  // Just outside the ring, the halo is white over the blue fill.
  bool halo = false;
  for (int dx = 9; dx <= 10 && !halo; ++dx) {
    const Rgb p = at(c.x + dx, c.y);
    halo = p.r > 225 && p.g > 225 && p.b > 225;
  }
  EXPECT_TRUE(halo) << "white halo";
  const Rgb fill = at(c.x + 20, c.y - 6);
  EXPECT_GT(fill.b, fill.r + 40) << "the blue fill around it";
}

// The route filter's corridor is a faint band along the active route's
// legs, as wide as the setting, and only while the filter is on.
TEST_P(Renders, RouteCorridorBandOnlyWithTheRouteFilter) {
  plugin_->SetShowLegend(false);
  plugin_->ReplaceStoreForTesting({});
  Host().active_route_guid = "r1";
  PlugIn_Route route;
  route.m_GUID = "r1";
  route.waypoints = {{42.0, 31.5, "a", "A"}, {44.0, 34.5, "b", "B"}};
  Host().routes["r1"] = route;
  plugin_->SetCorridorNm(20);
  const wxPoint on_leg = Px(43.0, 33.0);
  // 20 NM is a third of a degree: 0.15 degree of latitude off the leg lies
  // inside the band, 1 degree outside.
  const wxPoint beside = Px(43.0 + 0.15, 33.0 - 0.1), far = Px(42.0, 34.0);
  for (bool filter : {false, true}) {
    plugin_->SetRouteFilter(filter);
    auto at = Draw();
    const Rgb c = at(on_leg.x, on_leg.y), b = at(beside.x, beside.y);
    if (filter) {
      EXPECT_LT(c.r, 250) << "band on the leg";
      EXPECT_GT(c.r, 190) << "a faint band";
      EXPECT_LT(c.r, c.b) << "its grey-blue";
      EXPECT_LT(b.r, 250) << "band beside the leg";
    } else {
      ExpectNear(c, {255, 255, 255}, 0, "no band without the filter");
    }
    ExpectNear(at(far.x, far.y), {255, 255, 255}, 0, "far from the route");
  }
  // A narrower corridor leaves the side point outside.
  plugin_->SetCorridorNm(3);
  auto narrow = Draw();
  ExpectNear(narrow(beside.x, beside.y), {255, 255, 255}, 0, "outside a 3 NM band");
}

// At night nothing the overlay draws is brighter than its night colours:
// a frame of every category, patterns, a highlight, labels, the hover line,
// the legend and the route band, over a black chart, stays below a bound
// that the day frame exceeds; dusk lies between.
TEST_P(Renders, NightFrameStaysDim) {
  MessageStore store;
  for (int t = 0; t < kMsgTypeCount; ++t) {
    const double lat = 42.0 + (t % 4) * 0.45, lon = 31.2 + (t / 4) * 0.45;
    store.push_back(Area(static_cast<MsgType>(t), lat, lon, lat + 0.35, lon + 0.35));
  }
  plugin_->ReplaceStoreForTesting(store);
  plugin_->HighlightMessage(2);
  plugin_->SetCursorLatLon(42.1, 31.3);  // a hover line in the corner
  Host().active_route_guid = "r1";
  PlugIn_Route route;
  route.m_GUID = "r1";
  route.waypoints = {{42.0, 31.0, "a", "A"}, {44.0, 35.0, "b", "B"}};
  Host().routes["r1"] = route;
  plugin_->SetRouteFilter(true);
  // The brightest channel of any pixel, over black.
  auto brightest = [&]() {
    int top = 0;
    if (gl()) {
      GlTarget t;
      EXPECT_TRUE(t.ok());
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
      plugin_->RenderGLOverlayMultiCanvas(nullptr, &vp_, 0, 0);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const Rgb c = t.At(x, y);
          top = std::max({top, c.r, c.g, c.b});
        }
      return top;
    }
    wxBitmap bmp(kW, kH, 24);
    {
      wxMemoryDC dc(bmp);
      dc.SetBackground(*wxBLACK_BRUSH);
      dc.Clear();
      plugin_->RenderOverlayMultiCanvas(dc, &vp_, 0, 0);
    }
    const wxImage img = bmp.ConvertToImage();
    const unsigned char* p = img.GetData();
    for (int i = 0; i < kW * kH * 3; ++i) top = std::max<int>(top, p[i]);
    return top;
  };
  constexpr int kNightBound = 80;  // under a third of full brightness
  plugin_->SetColorScheme(PI_SCHEME_DAY);
  const int day = brightest();
  plugin_->SetColorScheme(PI_SCHEME_DUSK);
  const int dusk = brightest();
  plugin_->SetColorScheme(PI_SCHEME_NIGHT);
  const int night = brightest();
  plugin_->SetColorScheme(PI_SCHEME_DAY);
  EXPECT_GT(day, 200);
  EXPECT_LE(night, kNightBound);
  EXPECT_GT(dusk, night);
  EXPECT_LT(dusk, day);
  EXPECT_EQ(brightest(), day) << "back to day";
}

INSTANTIATE_TEST_SUITE_P(Paths, Renders, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "OpenGL" : "DeviceContext"; });

TEST_F(RenderTest, DeviceContextWritesLabelsAndTheHoverLine) {
  plugin_->ReplaceStoreForTesting({Area(MINE, 42.0, 32.0, 44.0, 34.0)});
  plugin_->SetCursorLatLon(43.0, 33.0);
  EXPECT_EQ(plugin_->hover_text().substr(0, 12), "? | MINE - A");
  wxBitmap bmp(kW, kH, 24);
  {
    wxMemoryDC dc(bmp);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    EXPECT_TRUE(plugin_->RenderOverlayMultiCanvas(dc, &vp_, 0, -1));
  }
  const wxImage img = bmp.ConvertToImage();
  // The label and the hover line sit on their pale background with dark text.
  const wxPoint c = Px(43.0, 33.0);
  int pale = 0, dark = 0;
  for (int x = c.x + 9; x < c.x + 40; ++x)
    for (int y = c.y - 7; y < c.y + 4; ++y) {
      if (img.GetRed(x, y) == 255 && img.GetGreen(x, y) == 255 && img.GetBlue(x, y) == 220) ++pale;
      if (img.GetRed(x, y) < 80) ++dark;
    }
  EXPECT_GT(pale, 20);
  EXPECT_GT(dark, 5);
  EXPECT_EQ(img.GetBlue(14, 14), 220);
  plugin_->SetCursorLatLon(30.0, 10.0);
  EXPECT_EQ(plugin_->hover_text(), "");
}

TEST_F(RenderTest, OpenGlStateIsRestored) {
  GlTarget t;
  ASSERT_TRUE(t.ok());
  plugin_->ReplaceStoreForTesting({Area(WEATHER, 42.0, 32.0, 44.0, 34.0)});
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  glLineWidth(1.0f);
  EXPECT_TRUE(plugin_->RenderGLOverlayMultiCanvas(nullptr, &vp_, 0, 0));
  EXPECT_TRUE(plugin_->last_draw_was_gl());
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));
  EXPECT_FALSE(glIsEnabled(GL_POLYGON_SMOOTH));
  GLfloat colour[4], width;
  glGetFloatv(GL_CURRENT_COLOR, colour);
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_NEAR(colour[2], 0.3f, 1e-6);
  EXPECT_EQ(width, 1.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTest, MouseClicksHighlightAndOpen) {
  plugin_->ReplaceStoreForTesting({Area(MINE, 42.0, 32.0, 44.0, 34.0)});
  wxMouseEvent right(wxEVT_RIGHT_DOWN);
  const wxPoint c = Px(43.0, 33.0);
  right.SetPosition(c);
  EXPECT_FALSE(plugin_->MouseEventHook(right));  // no frame drawn yet
  wxBitmap bmp(kW, kH, 24);
  {
    wxMemoryDC dc(bmp);
    plugin_->RenderOverlayMultiCanvas(dc, &vp_, 0, 0);
  }
  // The right press highlights the area and opens its text in the detail view.
  int opened = 0;
  bool consumed = false;
  wxTEST_DIALOG(consumed = plugin_->MouseEventHook(right), ExpectDetailOpened(&opened));
  EXPECT_TRUE(consumed);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(plugin_->highlighted(), 0);
  EXPECT_EQ(plugin_->hover_text(), std::string(TypeLabel(MINE)) + " | " + TypeColourName(MINE) + " - AREA");
  wxMouseEvent left(wxEVT_LEFT_DOWN);
  left.SetPosition(wxPoint(2, 2));
  EXPECT_FALSE(plugin_->MouseEventHook(left));  // empty chart
  EXPECT_EQ(plugin_->highlighted(), 0);
  wxMouseEvent move(wxEVT_MOTION);
  move.SetPosition(c);
  EXPECT_FALSE(plugin_->MouseEventHook(move));
  plugin_->HighlightMessage(5);  // beyond the store: ignored
  EXPECT_EQ(plugin_->highlighted(), 0);
  plugin_->SetShow(false);
  plugin_->HighlightMessage(-1);  // clears it, and shows the overlay again
  EXPECT_EQ(plugin_->highlighted(), -1);
  EXPECT_TRUE(plugin_->show());
}

wxMouseEvent MouseAt(wxEventType type, wxPoint at) {
  wxMouseEvent e(type);
  e.SetPosition(at);
  if (type == wxEVT_MOTION) e.SetLeftDown(true);
  return e;
}

// The left button selects on a click and never on a drag, and the host
// gets every left event to pan with.
TEST_F(RenderTest, LeftClickSelectsAndDragOnlyPans) {
  plugin_->ReplaceStoreForTesting({Area(MINE, 42.0, 32.0, 44.0, 34.0), Area(WRECK, 42.0, 31.0, 42.5, 31.5)});
  wxBitmap bmp(kW, kH, 24);
  {
    wxMemoryDC dc(bmp);
    plugin_->RenderOverlayMultiCanvas(dc, &vp_, 0, 0);
  }
  const wxPoint mine = Px(43.0, 33.0), wreck = Px(42.25, 31.25);
  struct Case {
    const char* what;
    std::vector<std::pair<wxEventType, wxPoint>> events;
    int highlighted;
  };
  const Case cases[] = {
      {"press alone", {{wxEVT_LEFT_DOWN, mine}}, -1},
      {"press, drag away, release", {{wxEVT_LEFT_DOWN, mine}, {wxEVT_MOTION, mine + wxPoint(30, 0)}, {wxEVT_LEFT_UP, mine + wxPoint(30, 0)}}, -1},
      {"press, drag away and back, release", {{wxEVT_LEFT_DOWN, mine}, {wxEVT_MOTION, mine + wxPoint(0, 20)}, {wxEVT_MOTION, mine}, {wxEVT_LEFT_UP, mine}}, -1},
      {"press and release", {{wxEVT_LEFT_DOWN, mine}, {wxEVT_LEFT_UP, mine}}, 0},
      {"press and release 3 px apart", {{wxEVT_LEFT_DOWN, wreck}, {wxEVT_MOTION, wreck + wxPoint(2, 1)}, {wxEVT_LEFT_UP, wreck + wxPoint(3, 0)}}, 1},
      {"release without a press", {{wxEVT_LEFT_UP, wreck}}, -1},
      {"press and release on open water", {{wxEVT_LEFT_DOWN, wxPoint(2, 2)}, {wxEVT_LEFT_UP, wxPoint(2, 2)}}, -1},
  };
  for (const Case& c : cases) {
    plugin_->HighlightMessage(-1);
    for (const auto& [type, at] : c.events) {
      wxMouseEvent e = MouseAt(type, at);
      EXPECT_FALSE(plugin_->MouseEventHook(e)) << c.what << ": the host pans";
    }
    EXPECT_EQ(plugin_->highlighted(), c.highlighted) << c.what;
  }
}

// Where warnings overlap, a right click or a double click offers each of
// them in store order and opens the one chosen; one hit opens at once.
TEST_F(RenderTest, OverlappingHitsAreOffered) {
  MessageStore store = {Area(MINE, 42.0, 32.0, 44.0, 34.0), Area(WRECK, 42.5, 32.5, 43.5, 33.5),
                        Area(MILITARY, 40.0, 30.0, 40.5, 30.5), Area(PIRACY, 42.8, 32.8, 43.2, 33.2, 'Z')};
  store[2].title = "FAR";
  store[3].active = false;  // hidden: not offered
  store[1].title = "WRECK AREA";
  plugin_->ReplaceStoreForTesting(store);
  wxBitmap bmp(kW, kH, 24);
  {
    wxMemoryDC dc(bmp);
    plugin_->RenderOverlayMultiCanvas(dc, &vp_, 0, 0);
  }
  const wxPoint both = Px(43.0, 33.0), one = Px(42.2, 32.2);
  for (wxEventType type : {wxEVT_RIGHT_DOWN, wxEVT_LEFT_DCLICK}) {
    plugin_->HighlightMessage(-1);
    std::vector<std::string> rows;
    int opened = 0;
    bool consumed = false;
    wxMouseEvent e = MouseAt(type, both);
    wxTEST_DIALOG(consumed = plugin_->MouseEventHook(e), ExpectChooser(1, &rows), ExpectDetailOpened(&opened));
    EXPECT_TRUE(consumed);
    EXPECT_EQ(rows, (std::vector<std::string>{"MINE - AREA", "WRECK - WRECK AREA"}));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(plugin_->highlighted(), 1);
  }
  // Cancelled: nothing opens, nothing is chosen.
  plugin_->HighlightMessage(-1);
  std::vector<std::string> rows;
  wxMouseEvent cancel = MouseAt(wxEVT_RIGHT_DOWN, both);
  wxTEST_DIALOG(plugin_->MouseEventHook(cancel), ExpectChooser(-1, &rows));
  EXPECT_EQ(rows.size(), 2u);
  EXPECT_EQ(plugin_->highlighted(), -1);
  // A single hit opens directly.
  int opened = 0;
  wxMouseEvent single = MouseAt(wxEVT_RIGHT_DOWN, one);
  wxTEST_DIALOG(plugin_->MouseEventHook(single), ExpectDetailOpened(&opened));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(plugin_->highlighted(), 0);
}

// A click on the chart selects the message's row in the list.
TEST_F(RenderTest, ClickSelectsTheListRow) {
  ASSERT_NE(plugin_->Init(), 0);
  NtDialog* dlg = plugin_->message_window();
  ASSERT_NE(dlg, nullptr);
  MessageStore store;
  for (int i = 0; i < 40; ++i) store.push_back(Area(MINE, 40.0, 30.0 + i * 0.01, 40.2, 30.1 + i * 0.01));
  store.push_back(Area(WRECK, 42.5, 32.5, 43.5, 33.5));
  plugin_->ReplaceStoreForTesting(store);
  dlg->RefreshList();
  wxBitmap bmp(kW, kH, 24);
  {
    wxMemoryDC dc(bmp);
    plugin_->RenderOverlayMultiCanvas(dc, &vp_, 0, 0);
  }
  const wxPoint at = Px(43.0, 33.0);
  for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent e = MouseAt(type, at);
    plugin_->MouseEventHook(e);
  }
  EXPECT_EQ(plugin_->highlighted(), 40);
  const long row = dlg->message_list()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  ASSERT_GE(row, 0);
  EXPECT_EQ(dlg->RowIndex(row), 40);
  plugin_->DeInit();
}

}  // namespace
}  // namespace orvane
