// orvane-host: a small chart plotter that loads the Orvane plug-in, gives it
// a toolbar and a chart canvas, and forwards the host callbacks.
//   orvane-host [--plugin PATH] [--quit-after SECONDS]
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/cmdline.h>
#include <wx/dcbuffer.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include "orvane_host/mercator.h"
#include "orvane_host/plugin_api.h"
#include "plugin_loader.h"

#ifndef ORVANE_DEFAULT_PLUGIN_PATH
#define ORVANE_DEFAULT_PLUGIN_PATH "liborvane_pi.so"
#endif

namespace {

using orvane::host::PluginLoader;

class ChartCanvas;

// What the host operations act on; one frame per process.
struct HostState {
  wxFrame* frame = nullptr;
  ChartCanvas* canvas = nullptr;
  wxToolBar* toolbar = nullptr;
  std::map<int, opencpn_plugin_118*> tools;
  int next_tool_id = wxID_HIGHEST + 100;
};
HostState g_host;

class ChartCanvas : public wxPanel {
 public:
  explicit ChartCanvas(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &ChartCanvas::OnPaint, this);
  }
  void set_plugin(opencpn_plugin_118* p) { plugin_ = p; }
  PlugIn_ViewPort ViewPort() const {
    const wxSize s = GetClientSize();
    return orvane::host::MakeViewPort(clat_, clon_, ppm_, s.x, s.y);
  }

 private:
  void OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(wxColour(200, 220, 235)));
    dc.Clear();
    PlugIn_ViewPort vp = ViewPort();
    DrawGraticule(dc, vp);
    if (plugin_) plugin_->RenderOverlayMultiCanvas(dc, &vp, 0, 0);
  }
  void DrawGraticule(wxDC& dc, const PlugIn_ViewPort& vp) {
    dc.SetPen(wxPen(wxColour(150, 170, 190), 1));
    for (int lat = -80; lat <= 80; lat += 10) {
      const wxPoint a = orvane::host::LatLonToPixel(vp, lat, vp.lon_min);
      const wxPoint b = orvane::host::LatLonToPixel(vp, lat, vp.lon_max);
      dc.DrawLine(a, b);
    }
    for (int lon = -180; lon <= 180; lon += 10) {
      const wxPoint a = orvane::host::LatLonToPixel(vp, vp.lat_min, lon);
      const wxPoint b = orvane::host::LatLonToPixel(vp, vp.lat_max, lon);
      dc.DrawLine(a, b);
    }
  }

  opencpn_plugin_118* plugin_ = nullptr;
  double clat_ = 40.0, clon_ = 20.0;
  double ppm_ = 0.00025;  // the Mediterranean and the Black Sea at once
};

class HostApp : public wxApp {
 public:
  bool OnInit() override {
    // Like a chart plotter's own log: plug-in log lines go to a stream, not to message boxes.
    delete wxLog::SetActiveTarget(new wxLogStderr());
    wxCmdLineParser parser(argc, argv);
    parser.AddOption("p", "plugin", "plug-in library to load", wxCMD_LINE_VAL_STRING);
    parser.AddOption("q", "quit-after", "close cleanly after this many seconds", wxCMD_LINE_VAL_DOUBLE);
    parser.AddSwitch("h", "help", "show this help", wxCMD_LINE_OPTION_HELP);
    if (parser.Parse() != 0) return false;
    wxString plugin_path = ORVANE_DEFAULT_PLUGIN_PATH;
    parser.Found("plugin", &plugin_path);
    double quit_after = 0;
    const bool quit = parser.Found("quit-after", &quit_after);

    frame_ = new wxFrame(nullptr, wxID_ANY, "orvane-host", wxDefaultPosition, wxSize(1100, 760));
    g_host.frame = frame_;
    g_host.toolbar = frame_->CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    g_host.canvas = new ChartCanvas(frame_);
    frame_->CreateStatusBar();
    frame_->Bind(wxEVT_TOOL, &HostApp::OnTool, this);
    frame_->Bind(wxEVT_CLOSE_WINDOW, &HostApp::OnFrameClose, this);
    frame_->Show();

    std::string error;
    if (!loader_.Open(plugin_path.ToStdString(), &error)) {
      std::fprintf(stderr, "orvane-host: cannot load %s: %s\n", plugin_path.mb_str().data(), error.c_str());
      frame_->Destroy();
      return false;
    }
    const int caps = loader_.Start(this);
    g_host.canvas->set_plugin(loader_.plugin());
    g_host.toolbar->Realize();
    frame_->SetStatusText(wxString::Format("%s loaded, capabilities 0x%08X", loader_.plugin()->GetCommonName(),
                                           static_cast<unsigned>(caps)));
    if (quit) {
      quit_timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { frame_->Close(true); });
      quit_timer_.StartOnce(static_cast<int>(quit_after * 1000));
    }
    return true;
  }

 private:
  void OnTool(wxCommandEvent& e) {
    auto it = g_host.tools.find(e.GetId());
    if (it != g_host.tools.end()) it->second->OnToolbarToolCallback(e.GetId());
  }
  void OnFrameClose(wxCloseEvent& e) {
    quit_timer_.Stop();
    g_host.canvas->set_plugin(nullptr);
    loader_.Stop();  // DeInit, then destroy_pi
    g_host = HostState();
    e.Skip();
  }

  wxFrame* frame_ = nullptr;
  PluginLoader loader_;
  wxTimer quit_timer_;
};

}  // namespace

wxIMPLEMENT_APP(HostApp);

// Host operations the plug-in calls.

int InsertPlugInTool(wxString label, wxBitmap* bitmap, wxBitmap* bmpRollover, wxItemKind kind, wxString shortHelp,
                     wxString longHelp, wxObject* clientData, int position, int tool_sel,
                     opencpn_plugin_118* plugin) {
  if (!g_host.toolbar || !bitmap) return -1;
  const int id = g_host.next_tool_id++;
  g_host.toolbar->AddTool(id, label, *bitmap, bmpRollover ? *bmpRollover : wxNullBitmap, kind, shortHelp,
                          longHelp, clientData);
  g_host.toolbar->Realize();
  g_host.tools[id] = plugin;
  return id;
}

wxWindow* GetOCPNCanvasWindow() { return g_host.canvas; }

void RequestRefresh(wxWindow* window) {
  if (window) window->Refresh(false);
}

void GetCanvasPixLL(PlugIn_ViewPort* vp, wxPoint* pp, double lat, double lon) {
  *pp = orvane::host::LatLonToPixel(*vp, lat, lon);
}

void GetCanvasLLPix(PlugIn_ViewPort* vp, wxPoint p, double* plat, double* plon) {
  orvane::host::PixelToLatLon(*vp, p, plat, plon);
}

wxString GetActiveRouteGUID() { return wxString(); }

std::unique_ptr<PlugIn_Route> GetRoute_Plugin(const wxString&) { return nullptr; }
