// What one chart frame costs in each drawing path, and one hover pass and
// one click hit test, with 200 and 2,000 messages of mixed kinds. The
// OpenGL path draws into an offscreen Mesa buffer, the device-context path
// into a memory bitmap (it needs a display: run under xvfb-run). The Culled
// cases put every message outside the view.
#include <benchmark/benchmark.h>

#include <GL/osmesa.h>
#include <GL/gl.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/init.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "orvane_host/mercator.h"
#include "orvane_pi/orvane_pi.h"
#include "test_host.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace {

using namespace orvane;
constexpr int kW = 1024, kH = 768;

// Message i: a polygon, circle, line or point of category i mod 13, inside
// the box at (lat0, lon0) of 4 by 6 degrees.
MessageStore Mixed(int n, double lat0, double lon0) {
  MessageStore store;
  for (int i = 0; i < n; ++i) {
    MsiMessage m;
    m.type = static_cast<MsgType>(i % kMsgTypeCount);
    m.title = "NAVAREA III " + std::to_string(i) + "/26";
    m.raw_text = std::string(220, 'X');
    const double lat = lat0 + (i * 37 % 400) / 100.0, lon = lon0 + (i * 53 % 600) / 100.0;
    MsiGeom g;
    switch (i % 4) {
      case 0:
        g.kind = GEOM_POLYGON;
        g.points = {{lat, lon}, {lat + 0.1, lon + 0.05}, {lat + 0.12, lon + 0.2}, {lat, lon + 0.25}, {lat - 0.05, lon + 0.1}};
        break;
      case 1:
        g.kind = GEOM_CIRCLE;
        g.points = {{lat, lon}};
        g.radius_nm = 2.0 + i % 20;
        break;
      case 2:
        g.kind = GEOM_POLYLINE;
        g.points = {{lat, lon}, {lat + 0.05, lon + 0.1}, {lat + 0.02, lon + 0.3}};
        break;
      default:
        g.kind = GEOM_POINT;
        g.points = {{lat, lon}};
    }
    m.geoms.push_back(g);
    store.push_back(std::move(m));
  }
  return store;
}

struct Fixture {
  std::unique_ptr<orvane_pi> plugin;
  PlugIn_ViewPort vp;
  Fixture(int n, bool culled) {
    plugin.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    plugin->ReplaceStoreForTesting(culled ? Mixed(n, -40.0, 100.0) : Mixed(n, 41.0, 30.0));
    vp = host::MakeViewPort(43.0, 33.0, 1.5e-4, kW, kH);
    testhost::Host().viewport = vp;
  }
};

class GlContext {
 public:
  GlContext() : buf_(kW * kH * 4) {
    ctx_ = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
    ok_ = ctx_ && OSMesaMakeCurrent(ctx_, buf_.data(), GL_UNSIGNED_BYTE, kW, kH);
    if (!ok_) return;
    glViewport(0, 0, kW, kH);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, kW, kH, 0, -1, 1);
  }
  ~GlContext() {
    if (ctx_) OSMesaDestroyContext(ctx_);
  }
  bool ok() const { return ok_; }

 private:
  std::vector<uint8_t> buf_;
  OSMesaContext ctx_ = nullptr;
  bool ok_ = false;
};

bool g_have_wx = false;

void FrameGL(benchmark::State& state, bool culled) {
  GlContext gl;
  if (!gl.ok()) {
    state.SkipWithError("no offscreen Mesa context");
    return;
  }
  Fixture f(static_cast<int>(state.range(0)), culled);
  for (auto _ : state) {
    benchmark::DoNotOptimize(f.plugin->RenderGLOverlayMultiCanvas(nullptr, &f.vp, 0, 0));
    glFinish();
  }
}

void FrameDC(benchmark::State& state, bool culled) {
  if (!g_have_wx) {
    state.SkipWithError("no display for the toolkit");
    return;
  }
  Fixture f(static_cast<int>(state.range(0)), culled);
  wxBitmap bmp(kW, kH, 24);
  wxMemoryDC dc(bmp);
  for (auto _ : state) benchmark::DoNotOptimize(f.plugin->RenderOverlayMultiCanvas(dc, &f.vp, 0, 0));
}

void BM_FrameGL(benchmark::State& s) { FrameGL(s, false); }
void BM_FrameGLCulled(benchmark::State& s) { FrameGL(s, true); }
void BM_FrameDC(benchmark::State& s) { FrameDC(s, false); }
void BM_FrameDCCulled(benchmark::State& s) { FrameDC(s, true); }

// The cursor over open water: every message is tested.
void BM_HoverPass(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)), false);
  for (auto _ : state) f.plugin->SetCursorLatLon(47.5, 33.0);
}

void BM_HitTest(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(f.plugin->HitTest(47.5, 33.0));
}

BENCHMARK(BM_FrameGL)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameGLCulled)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDC)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDCCulled)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverPass)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitTest)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  wxApp::SetInstance(new wxApp());
  int wx_argc = 1;
  g_have_wx = wxEntryStart(wx_argc, argv);
  if (!g_have_wx) {
    // The plug-in object makes its toolbar bitmaps, which needs the toolkit.
    std::fprintf(stderr, "overlay_bench needs a display (run it under xvfb-run)\n");
    return 0;
  }
  benchmark::RunSpecifiedBenchmarks();
  if (g_have_wx) wxEntryCleanup();
  return 0;
}
