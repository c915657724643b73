#include "chart_canvas.h"

#include <algorithm>
#include <cmath>

#include <wx/dcbuffer.h>

#include "orvane_host/mercator.h"

namespace orvane::host {

ChartCanvas::ChartCanvas(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &ChartCanvas::OnPaint, this);
  Bind(wxEVT_SIZE, &ChartCanvas::OnSize, this);
  for (auto type : {wxEVT_MOTION, wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN,
                    wxEVT_RIGHT_UP, wxEVT_MOUSEWHEEL})
    Bind(type, &ChartCanvas::OnMouse, this);
}

void ChartCanvas::CentreOn(double lat, double lon) {
  clat_ = std::clamp(lat, -80.0, 80.0);
  clon_ = lon;
  Refresh(false);
}

void ChartCanvas::SetScalePpm(double ppm) {
  ppm_ = std::clamp(ppm, 2e-6, 2.0);
  Refresh(false);
}

PlugIn_ViewPort ChartCanvas::ViewPort() const {
  const wxSize s = GetClientSize();
  return MakeViewPort(clat_, clon_, ppm_, std::max(1, s.x), std::max(1, s.y));
}

void ChartCanvas::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  Render(dc);
}

void ChartCanvas::Render(wxDC& dc) {
  dc.SetBackground(wxBrush(wxColour(200, 222, 238)));
  dc.Clear();
  PlugIn_ViewPort vp = ViewPort();
  DrawGraticule(dc, vp);
  DrawCoast(dc, vp);
  DrawRoute(dc, vp);
  if (plugin_) plugin_->RenderOverlayMultiCanvas(dc, &vp, 0, 0);
  DrawOwnShip(dc, vp);
}

void ChartCanvas::DrawGraticule(wxDC& dc, const PlugIn_ViewPort& vp) {
  dc.SetPen(wxPen(wxColour(160, 180, 200), 1));
  const double span = vp.lon_max - vp.lon_min;
  const int step = span > 120 ? 20 : span > 40 ? 10 : span > 10 ? 5 : 1;
  for (int lat = -80; lat <= 80; lat += step)
    dc.DrawLine(LatLonToPixel(vp, lat, vp.lon_min), LatLonToPixel(vp, lat, vp.lon_max));
  for (int lon = -180; lon <= 180; lon += step)
    dc.DrawLine(LatLonToPixel(vp, vp.lat_min, lon), LatLonToPixel(vp, vp.lat_max, lon));
}

void ChartCanvas::DrawCoast(wxDC& dc, const PlugIn_ViewPort& vp) {
  dc.SetPen(wxPen(wxColour(110, 100, 80), 1));
  std::vector<wxPoint> pts;
  for (const Polyline& line : coast_) {
    pts.clear();
    for (const auto& [lat, lon] : line) {
      if (lat < vp.lat_min - 2 || lat > vp.lat_max + 2 || lon < vp.lon_min - 2 || lon > vp.lon_max + 2) {
        if (pts.size() >= 2) dc.DrawLines(static_cast<int>(pts.size()), pts.data());
        pts.clear();
        continue;
      }
      pts.push_back(LatLonToPixel(vp, lat, lon));
    }
    if (pts.size() >= 2) dc.DrawLines(static_cast<int>(pts.size()), pts.data());
  }
}

void ChartCanvas::DrawRoute(wxDC& dc, const PlugIn_ViewPort& vp) {
  if (!route_ || route_->points.empty()) return;
  std::vector<wxPoint> pts;
  for (const auto& [lat, lon] : route_->points) pts.push_back(LatLonToPixel(vp, lat, lon));
  dc.SetPen(wxPen(wxColour(200, 0, 160), 2, wxPENSTYLE_SHORT_DASH));
  if (pts.size() >= 2) dc.DrawLines(static_cast<int>(pts.size()), pts.data());
  dc.SetBrush(*wxWHITE_BRUSH);
  dc.SetPen(wxPen(wxColour(200, 0, 160), 2));
  for (const wxPoint& p : pts) dc.DrawCircle(p, 4);
}

void ChartCanvas::DrawOwnShip(wxDC& dc, const PlugIn_ViewPort& vp) {
  if (!own_) return;
  const wxPoint c = LatLonToPixel(vp, own_->first, own_->second);
  const wxPoint hull[] = {{c.x, c.y - 12}, {c.x + 7, c.y + 9}, {c.x - 7, c.y + 9}};
  dc.SetPen(wxPen(*wxBLACK, 2));
  dc.SetBrush(wxBrush(wxColour(255, 255, 0)));
  dc.DrawPolygon(3, hull);
  dc.DrawCircle(c, 2);
}

void ChartCanvas::OnMouse(wxMouseEvent& e) {
  const PlugIn_ViewPort vp = ViewPort();
  double lat, lon;
  PixelToLatLon(vp, e.GetPosition(), &lat, &lon);
  if (plugin_) {
    plugin_->SetCursorLatLon(lat, lon);
    if (plugin_->MouseEventHook(e)) return;  // the plug-in took the event
  }
  if (on_status) on_status(lat, lon, vp.chart_scale);

  if (e.GetEventType() == wxEVT_MOUSEWHEEL) {
    // Zoom about the cursor: the point under it stays put.
    const double f = e.GetWheelRotation() > 0 ? 1.25 : 0.8;
    const double ppm = std::clamp(ppm_ * f, 2e-6, 2.0);
    PlugIn_ViewPort after = MakeViewPort(clat_, clon_, ppm, vp.pix_width, vp.pix_height);
    double lat2, lon2;
    PixelToLatLon(after, e.GetPosition(), &lat2, &lon2);
    ppm_ = ppm;
    CentreOn(clat_ + (lat - lat2), clon_ + (lon - lon2));
    return;
  }
  if (e.LeftDown()) {
    dragging_ = true;
    drag_from_ = e.GetPosition();
    if (!HasCapture()) CaptureMouse();
  } else if (e.LeftUp()) {
    dragging_ = false;
    if (HasCapture()) ReleaseMouse();
  } else if (e.Dragging() && dragging_) {
    const wxPoint centre(vp.pix_width / 2 - (e.GetPosition().x - drag_from_.x),
                         vp.pix_height / 2 - (e.GetPosition().y - drag_from_.y));
    double nlat, nlon;
    PixelToLatLon(vp, centre, &nlat, &nlon);
    drag_from_ = e.GetPosition();
    CentreOn(nlat, nlon);
  }
  e.Skip();
}

}  // namespace orvane::host
