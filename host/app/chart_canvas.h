// The host's chart canvas: a Mercator view with pan and zoom, the base map,
// the active route and the own ship, with the plug-in's overlay on top.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <wx/panel.h>

#include "coastline.h"
#include "orvane_host/plugin_api.h"
#include "route.h"

namespace orvane::host {

class ChartCanvas : public wxPanel {
 public:
  explicit ChartCanvas(wxWindow* parent);

  void set_plugin(opencpn_plugin_118* p) { plugin_ = p; }
  void set_coastline(std::vector<Polyline> coast) { coast_ = std::move(coast); }
  // The canvas keeps its own copy: the host replaces or drops its route while
  // a paint may still be pending.
  void set_route(const HostRoute* route) {
    route_ = route ? std::optional<HostRoute>(*route) : std::nullopt;
    Refresh(false);
  }
  void set_own_ship(double lat, double lon) { own_ = std::make_pair(lat, lon); Refresh(false); }
  void CentreOn(double lat, double lon);
  void SetScalePpm(double ppm);
  PlugIn_ViewPort ViewPort() const;
  // Called with the cursor position and the chart scale whenever either changes.
  std::function<void(double lat, double lon, double scale)> on_status;

  // Draws the chart and the overlay into dc, as a paint does.
  void Render(wxDC& dc);

 private:
  void OnPaint(wxPaintEvent&);
  void OnMouse(wxMouseEvent& e);
  void OnSize(wxSizeEvent&) { Refresh(false); }
  void DrawGraticule(wxDC& dc, const PlugIn_ViewPort& vp);
  void DrawCoast(wxDC& dc, const PlugIn_ViewPort& vp);
  void DrawRoute(wxDC& dc, const PlugIn_ViewPort& vp);
  void DrawOwnShip(wxDC& dc, const PlugIn_ViewPort& vp);

  opencpn_plugin_118* plugin_ = nullptr;
  std::vector<Polyline> coast_;
  std::optional<HostRoute> route_;
  std::optional<std::pair<double, double>> own_;
  double clat_ = 40.0, clon_ = 20.0;
  double ppm_ = 0.00025;
  wxPoint drag_from_;
  bool dragging_ = false;
};

}  // namespace orvane::host
