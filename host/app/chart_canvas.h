// The host's chart canvas: a Mercator view with pan and zoom, the base map,
// the active route and the own ship, with the plug-in's overlay on top.
// Two windows share it: an OpenGL canvas (the default) and a device-context
// canvas.
#pragma once

#include <functional>
#include <optional>
#include <vector>

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
  void set_coastline(std::vector<Polyline> coast) { coast_ = std::move(coast); Refresh(); }
  // The canvas keeps its own copy: the host replaces or drops its route while
  // a paint may still be pending.
  void set_route(const HostRoute* route) {
    route_ = route ? std::optional<HostRoute>(*route) : std::nullopt;
    Refresh();
  }
  void set_own_ship(double lat, double lon) { own_ = std::make_pair(lat, lon); Refresh(); }
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
  // Base map and route under the overlay, own ship over it.
  void DrawBase(wxDC& dc, const PlugIn_ViewPort& vp);
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
};

}  // namespace orvane::host
