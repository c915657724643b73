// What one chart frame costs in each drawing path, and one hover pass and
// one click hit test. Two stores: messages of mixed made-up kinds (Mixed),
// and the real warnings of ../shared/corpus, each one's geometries copied
// and shifted to random places in the view until there are 200, 2,000 or
// 10,000 (Corpus). The OpenGL path draws into an offscreen Mesa buffer, the
// device-context path into a memory bitmap (it needs a display: run under
// xvfb-run). The Culled cases put every message outside the view.
#include <benchmark/benchmark.h>

#include <GL/osmesa.h>
#include <GL/gl.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/init.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "orvane_host/mercator.h"
#include "orvane_pi/orvane_pi.h"
#include "overlay/filters.h"
#include "overlay/frame.h"
#include "parse/bulletin.h"
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

PlugIn_ViewPort BenchView() { return host::MakeViewPort(43.0, 33.0, 1.5e-4, kW, kH); }

// The corpus warnings that the chart shows with default settings: each
// file cut at its "====" lines, notes dropped, each chunk parsed alone.
const MessageStore& CorpusMessages() {
  static const MessageStore kMessages = [] {
    MessageStore out;
    const Settings defaults;
    for (const char* name : {"nga_hydrolant.txt", "nga_navarea_iv.txt", "nga_navarea_xii.txt", "nga_hydroarc.txt",
                             "navtex_archive.txt"}) {
      std::ifstream in(std::string(ORVANE_CORPUS_DIR) + "/" + name, std::ios::binary);
      std::string line, chunk;
      auto flush = [&] {
        for (MsiMessage& m : ParseBulletin(chunk))
          if (PassesMessageFilters(m, defaults)) out.push_back(std::move(m));
        chunk.clear();
      };
      while (std::getline(in, line)) {
        if (line.rfind("====", 0) == 0) {
          flush();
        } else if (line.rfind("#@", 0) != 0) {
          chunk += line;
          chunk += '\n';
        }
      }
      flush();
    }
    return out;
  }();
  return kMessages;
}

// n copies of the corpus warnings in turn, each moved as a whole so that
// the anchor of its first geometry lands at a random place in the box.
MessageStore CorpusShifted(int n, double lat0, double lat1, double lon0, double lon1) {
  const MessageStore& src = CorpusMessages();
  MessageStore store;
  if (src.empty()) return store;
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / static_cast<double>(1u << 24);
  };
  store.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    MsiMessage m = src[static_cast<size_t>(i) % src.size()];
    const LatLon a = GeomAnchor(m.geoms.front());
    const double dlat = lat0 + next() * (lat1 - lat0) - a.first;
    const double dlon = lon0 + next() * (lon1 - lon0) - a.second;
    for (MsiGeom& g : m.geoms)
      for (LatLon& p : g.points) p = {std::clamp(p.first + dlat, -85.0, 85.0), NormaliseLon(p.second + dlon)};
    store.push_back(std::move(m));
  }
  return store;
}

enum class Kind { kMixed, kCorpus };

MessageStore MakeStore(Kind kind, int n, bool culled) {
  if (kind == Kind::kMixed) return culled ? Mixed(n, -40.0, 100.0) : Mixed(n, 41.0, 30.0);
  if (culled) return CorpusShifted(n, -70.0, -50.0, -160.0, -100.0);
  const PlugIn_ViewPort vp = BenchView();
  return CorpusShifted(n, vp.lat_min, vp.lat_max, vp.lon_min, vp.lon_max);
}

struct Fixture {
  std::unique_ptr<orvane_pi> plugin;
  PlugIn_ViewPort vp;
  Fixture(int n, bool culled, Kind kind = Kind::kMixed) {
    plugin.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    plugin->ReplaceStoreForTesting(MakeStore(kind, n, culled));
    vp = BenchView();
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
  const std::vector<uint8_t>& pixels() const { return buf_; }

 private:
  std::vector<uint8_t> buf_;
  OSMesaContext ctx_ = nullptr;
  bool ok_ = false;
};

bool g_have_wx = false;

// ORVANE_BENCH_DUMP=folder: each frame case leaves its last frame's pixels
// there, so two builds can be compared pixel for pixel.
bool Dumping() {
  const char* dir = std::getenv("ORVANE_BENCH_DUMP");
  return dir && *dir;
}

void DumpPixels(const benchmark::State& state, const std::string& tag, const std::vector<uint8_t>& px) {
  const char* dir = std::getenv("ORVANE_BENCH_DUMP");
  if (!dir || !*dir) return;
  const std::string name = std::string(dir) + "/" + tag + "_" + std::to_string(state.range(0)) + ".raw";
  std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(px.data()), static_cast<std::streamsize>(px.size()));
}

std::string Tag(const char* path, bool culled, Kind kind) {
  return std::string(path) + (kind == Kind::kCorpus ? "_corpus" : "_mixed") + (culled ? "_culled" : "");
}

bool CorpusMissing(benchmark::State& state, Kind kind) {
  if (kind == Kind::kCorpus && CorpusMessages().empty()) {
    state.SkipWithError("no corpus at " ORVANE_CORPUS_DIR);
    return true;
  }
  return false;
}

void FrameGL(benchmark::State& state, bool culled, Kind kind) {
  if (CorpusMissing(state, kind)) return;
  GlContext gl;
  if (!gl.ok()) {
    state.SkipWithError("no offscreen Mesa context");
    return;
  }
  Fixture f(static_cast<int>(state.range(0)), culled, kind);
  bool drawn = false;
  for (auto _ : state) {
    drawn = f.plugin->RenderGLOverlayMultiCanvas(nullptr, &f.vp, 0, 0);
    benchmark::DoNotOptimize(drawn);
    glFinish();
  }
  state.counters["drawn"] = drawn ? 1 : 0;
  if (Dumping()) {
    // One frame over a white page.
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    f.plugin->RenderGLOverlayMultiCanvas(nullptr, &f.vp, 0, 0);
    glFinish();
    DumpPixels(state, Tag("gl", culled, kind), gl.pixels());
  }
}

void FrameDC(benchmark::State& state, bool culled, Kind kind) {
  if (CorpusMissing(state, kind)) return;
  if (!g_have_wx) {
    state.SkipWithError("no display for the toolkit");
    return;
  }
  Fixture f(static_cast<int>(state.range(0)), culled, kind);
  wxBitmap bmp(kW, kH, 24);
  wxMemoryDC dc(bmp);
  bool drawn = false;
  for (auto _ : state) {
    drawn = f.plugin->RenderOverlayMultiCanvas(dc, &f.vp, 0, 0);
    benchmark::DoNotOptimize(drawn);
  }
  state.counters["drawn"] = drawn ? 1 : 0;
  if (!Dumping()) return;
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  f.plugin->RenderOverlayMultiCanvas(dc, &f.vp, 0, 0);
  dc.SelectObject(wxNullBitmap);
  const wxImage img = bmp.ConvertToImage();
  DumpPixels(state, Tag("dc", culled, kind), std::vector<uint8_t>(img.GetData(), img.GetData() + kW * kH * 3));
}

void BM_FrameGL(benchmark::State& s) { FrameGL(s, false, Kind::kMixed); }
void BM_FrameGLCulled(benchmark::State& s) { FrameGL(s, true, Kind::kMixed); }
void BM_FrameDC(benchmark::State& s) { FrameDC(s, false, Kind::kMixed); }
void BM_FrameDCCulled(benchmark::State& s) { FrameDC(s, true, Kind::kMixed); }
void BM_CorpusFrameGL(benchmark::State& s) { FrameGL(s, false, Kind::kCorpus); }
void BM_CorpusFrameGLCulled(benchmark::State& s) { FrameGL(s, true, Kind::kCorpus); }
void BM_CorpusFrameDC(benchmark::State& s) { FrameDC(s, false, Kind::kCorpus); }
void BM_CorpusFrameDCCulled(benchmark::State& s) { FrameDC(s, true, Kind::kCorpus); }

// The cursor over open water: every message is tested.
void BM_HoverPass(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)), false);
  for (auto _ : state) f.plugin->SetCursorLatLon(47.5, 33.0);
}

void BM_HitTest(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)), false);
  for (auto _ : state) benchmark::DoNotOptimize(f.plugin->HitTest(47.5, 33.0));
}

// Corpus stores: the cursor at the view's centre among the messages
// (InView), and over open water with every message elsewhere (Culled),
// where the whole store is tested.
void CorpusHover(benchmark::State& state, bool culled) {
  if (CorpusMissing(state, Kind::kCorpus)) return;
  Fixture f(static_cast<int>(state.range(0)), culled, Kind::kCorpus);
  for (auto _ : state) f.plugin->SetCursorLatLon(43.0, 33.0);
}

void CorpusHit(benchmark::State& state, bool culled) {
  if (CorpusMissing(state, Kind::kCorpus)) return;
  Fixture f(static_cast<int>(state.range(0)), culled, Kind::kCorpus);
  for (auto _ : state) benchmark::DoNotOptimize(f.plugin->HitTest(43.0, 33.0));
}

void BM_CorpusHoverInView(benchmark::State& s) { CorpusHover(s, false); }
void BM_CorpusHoverCulled(benchmark::State& s) { CorpusHover(s, true); }
void BM_CorpusHitTestInView(benchmark::State& s) { CorpusHit(s, false); }
void BM_CorpusHitTestCulled(benchmark::State& s) { CorpusHit(s, true); }

BENCHMARK(BM_FrameGL)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameGLCulled)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDC)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameDCCulled)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverPass)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitTest)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_CorpusFrameGL)->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorpusFrameGLCulled)->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorpusFrameDC)->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorpusFrameDCCulled)->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorpusHoverInView)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CorpusHoverCulled)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CorpusHitTestInView)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CorpusHitTestCulled)->Arg(10000)->Unit(benchmark::kMicrosecond);

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
