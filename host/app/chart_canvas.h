// The host's chart canvas: a Mercator view with pan and zoom, the base map,
// the active route and the own ship, with the plug-in's overlay on top.
// Two windows share it: an OpenGL canvas (the default) and a device-context
// canvas.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/string.h>
#include <wx/window.h>

#include "coastline.h"
#include "orvane_host/mercator.h"
#include "orvane_host/plugin_api.h"
#include "route.h"

namespace orvane::host {

// The chart scale 1:N as the view scale of the view port (pixels per metre).
double PpmForChartScale(double n);

class ChartCanvas {
 public:
  // An OpenGL canvas when asked for and the display supports it, otherwise
  // a device-context canvas.
  static ChartCanvas* Create(wxWindow* parent, bool opengl);
  virtual ~ChartCanvas() = default;

  virtual wxWindow* window() = 0;
  virtual bool is_opengl() const = 0;

  void set_plugin(opencpn_plugin_118* p) { plugin_ = p; Refresh(); }
  void set_coastline(std::vector<Polyline> coast) {
    coast_ = std::move(coast);
    base_valid_ = false;
    Refresh();
  }
  // The canvas keeps its own copy: the host replaces or drops its route while
  // a paint may still be pending.
  void set_route(const HostRoute* route) {
    route_ = route ? std::optional<HostRoute>(*route) : std::nullopt;
    base_valid_ = false;
    Refresh();
  }
  void set_own_ship(double lat, double lon) { own_ = std::make_pair(lat, lon); Refresh(); }
  // The share of its brightness the chart keeps: 1 by day, less at dusk and night.
  void set_brightness(double level) {
    brightness_ = level;
    base_valid_ = false;
    Refresh();
  }
  void CentreOn(double lat, double lon);
  void SetScalePpm(double ppm);
  PlugIn_ViewPort ViewPort() const;

  // Called with the cursor position and the chart scale whenever either changes.
  std::function<void(double lat, double lon, double scale)> on_status;
  // Called once after the first paint with the plug-in loaded.
  std::function<void()> on_first_full_paint;

  // Writes the canvas as it is drawn now as a PNG; false when it cannot.
  virtual bool SaveCanvasPng(const wxString& path) = 0;

 protected:
  void Refresh();
  // Mouse, key and size events of the canvas window w.
  void BindEvents(wxWindow* w) {
    w->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
      Refresh();
      e.Skip();
    });
    w->Bind(wxEVT_KEY_DOWN, &ChartCanvas::HandleKey, this);
    for (auto type : {wxEVT_MOTION, wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN,
                      wxEVT_RIGHT_UP, wxEVT_MOUSEWHEEL})
      w->Bind(type, &ChartCanvas::HandleMouse, this);
  }
  // The base map and the route under the overlay, drawn for vp. It is drawn
  // again only when the view, the window size, the map or the route changed,
  // not for every repaint the overlay asks for (hover, highlight).
  const wxBitmap& BaseLayer(const PlugIn_ViewPort& vp);
  // Counts the times the base layer was drawn, so a canvas can tell when
  // what it made of it is out of date.
  int base_generation() const { return base_generation_; }
  void DrawOwnShip(wxDC& dc, const PlugIn_ViewPort& vp);
  std::optional<wxPoint> OwnShipPixel(const PlugIn_ViewPort& vp) const {
    if (!own_) return std::nullopt;
    return LatLonToPixel(vp, own_->first, own_->second);
  }
  void HandleMouse(wxMouseEvent& e);
  void HandleKey(wxKeyEvent& e);
  void NoteFullPaint();

  opencpn_plugin_118* plugin_ = nullptr;
  // The layers the host draws; the plug-in draws on the legacy one (0) only.
  static constexpr int kLayers[] = {0, 64, 128};

 private:
  void DrawBase(wxDC& dc, const PlugIn_ViewPort& vp);
  void DrawGraticule(wxDC& dc, const PlugIn_ViewPort& vp);
  void DrawCoast(wxDC& dc, const PlugIn_ViewPort& vp);
  void DrawRoute(wxDC& dc, const PlugIn_ViewPort& vp);
  void ZoomAbout(const wxPoint& p, double factor);

  std::vector<Polyline> coast_;
  std::optional<HostRoute> route_;
  std::optional<std::pair<double, double>> own_;
  double clat_ = 40.0, clon_ = 20.0;
  double ppm_ = 0.00025;
  wxPoint drag_from_;
  bool dragging_ = false;
  bool full_paint_seen_ = false;
  wxBitmap base_;
  bool base_valid_ = false;
  double brightness_ = 1.0;
  double base_clat_ = 0, base_clon_ = 0, base_ppm_ = 0;
  int base_generation_ = 0;
};

}  // namespace orvane::host
