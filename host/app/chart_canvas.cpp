#include "chart_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <GL/gl.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/glcanvas.h>
#include <wx/image.h>
#include <wx/panel.h>

#include "orvane_host/mercator.h"

namespace orvane::host {

namespace {
constexpr double kMinPpm = 2e-6, kMaxPpm = 2.0;
const wxColour kSea(200, 222, 238);

// "40°N", "0°", "20°W": the degree sign given as UTF-8, not left to the locale.
wxString DegreeLabel(int deg, const char* positive, const char* negative) {
  return wxString::Format("%d", std::abs(deg)) + wxString::FromUTF8("\xC2\xB0") +
         (deg > 0 ? positive : deg < 0 ? negative : "");
}
}  // namespace

double PpmForChartScale(double n) { return 1.0 / (std::max(n, 1.0) * 0.00028); }

void ChartCanvas::Refresh() {
  if (wxWindow* w = window()) w->Refresh(false);
}

void ChartCanvas::CentreOn(double lat, double lon) {
  clat_ = std::clamp(lat, -80.0, 80.0);
  clon_ = std::remainder(lon, 360.0);
  Refresh();
}

void ChartCanvas::SetScalePpm(double ppm) {
  ppm_ = std::clamp(ppm, kMinPpm, kMaxPpm);
  Refresh();
}

PlugIn_ViewPort ChartCanvas::ViewPort() const {
  const wxSize s = const_cast<ChartCanvas*>(this)->window()->GetClientSize();
  return MakeViewPort(clat_, clon_, ppm_, std::max(1, s.x), std::max(1, s.y));
}

void ChartCanvas::NoteFullPaint() {
  if (full_paint_seen_ || !plugin_) return;
  full_paint_seen_ = true;
  if (on_first_full_paint) window()->CallAfter([this] { if (on_first_full_paint) on_first_full_paint(); });
}

const wxBitmap& ChartCanvas::BaseLayer(const PlugIn_ViewPort& vp) {
  if (!base_valid_ || !base_.IsOk() || base_.GetWidth() != vp.pix_width || base_.GetHeight() != vp.pix_height ||
      base_clat_ != vp.clat || base_clon_ != vp.clon || base_ppm_ != vp.view_scale_ppm) {
    if (!base_.IsOk() || base_.GetWidth() != vp.pix_width || base_.GetHeight() != vp.pix_height)
      base_.Create(vp.pix_width, vp.pix_height, 24);
    {
      wxMemoryDC mem(base_);
      DrawBase(mem, vp);
    }
    if (brightness_ < 1.0) {
      // Dusk and night: sea, land, coastline, graticule and route dimmed alike.
      wxImage img = base_.ConvertToImage();
      unsigned char* p = img.GetData();
      const size_t n = static_cast<size_t>(img.GetWidth()) * img.GetHeight() * 3;
      for (size_t i = 0; i < n; ++i) p[i] = static_cast<unsigned char>(p[i] * brightness_);
      base_ = wxBitmap(img, 24);
    }
    base_clat_ = vp.clat;
    base_clon_ = vp.clon;
    base_ppm_ = vp.view_scale_ppm;
    base_valid_ = true;
    ++base_generation_;
  }
  return base_;
}

void ChartCanvas::DrawBase(wxDC& dc, const PlugIn_ViewPort& vp) {
  dc.SetBackground(wxBrush(kSea));
  dc.Clear();
  DrawGraticule(dc, vp);
  DrawCoast(dc, vp);
  DrawRoute(dc, vp);
}

// Lines every 1, 5, 10 or 20 degrees with their labels along the top and
// left edges, so the chart has its bearings without a base map.
void ChartCanvas::DrawGraticule(wxDC& dc, const PlugIn_ViewPort& vp) {
  dc.SetPen(wxPen(wxColour(160, 180, 200), 1));
  dc.SetFont(*wxSMALL_FONT);
  dc.SetTextForeground(wxColour(70, 90, 110));
  const double span = vp.lon_max - vp.lon_min;
  const int step = span > 120 ? 20 : span > 40 ? 10 : span > 10 ? 5 : 1;
  for (int lat = -80; lat <= 80; lat += step) {
    const wxPoint a = LatLonToPixel(vp, lat, vp.lon_min), b = LatLonToPixel(vp, lat, vp.lon_max);
    dc.DrawLine(a, b);
    if (a.y > 12 && a.y < vp.pix_height - 4)
      dc.DrawText(DegreeLabel(lat, "N", "S"), 3, a.y - 13);
  }
  const int first = static_cast<int>(std::floor(vp.lon_min / step)) * step;
  for (int lon = first; lon <= vp.lon_max + step; lon += step) {
    const wxPoint a = LatLonToPixel(vp, vp.lat_max, lon), b = LatLonToPixel(vp, vp.lat_min, lon);
    dc.DrawLine(a, b);
    const int shown = static_cast<int>(std::lround(std::remainder(lon, 360.0)));
    if (a.x > 40 && a.x < vp.pix_width - 30)
      dc.DrawText(DegreeLabel(shown, "E", "W"), a.x + 3, 2);
  }
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
  const std::optional<wxPoint> pixel = OwnShipPixel(vp);
  if (!pixel) return;
  const wxPoint c = *pixel;
  const wxPoint hull[] = {{c.x, c.y - 12}, {c.x + 7, c.y + 9}, {c.x - 7, c.y + 9}};
  dc.SetPen(wxPen(*wxBLACK, 2));
  dc.SetBrush(wxBrush(wxColour(255, 255, 0)));
  dc.DrawPolygon(3, hull);
  dc.DrawCircle(c, 2);
}

void ChartCanvas::ZoomAbout(const wxPoint& p, double factor) {
  // The point under the cursor stays put.
  const PlugIn_ViewPort vp = ViewPort();
  double lat, lon, lat2, lon2;
  PixelToLatLon(vp, p, &lat, &lon);
  const double ppm = std::clamp(ppm_ * factor, kMinPpm, kMaxPpm);
  PixelToLatLon(MakeViewPort(clat_, clon_, ppm, vp.pix_width, vp.pix_height), p, &lat2, &lon2);
  ppm_ = ppm;
  CentreOn(clat_ + (lat - lat2), clon_ + (lon - lon2));
  if (on_status) on_status(lat, lon, ViewPort().chart_scale);
}

void ChartCanvas::HandleMouse(wxMouseEvent& e) {
  const PlugIn_ViewPort vp = ViewPort();
  double lat, lon;
  PixelToLatLon(vp, e.GetPosition(), &lat, &lon);
  if (plugin_) {
    plugin_->SetCursorLatLon(lat, lon);
    if (plugin_->MouseEventHook(e)) return;  // the plug-in took the event
  }
  if (on_status) on_status(lat, lon, vp.chart_scale);

  if (e.GetEventType() == wxEVT_MOUSEWHEEL) {
    ZoomAbout(e.GetPosition(), e.GetWheelRotation() > 0 ? 1.25 : 0.8);
    return;
  }
  if (e.LeftDown()) {
    window()->SetFocus();
    dragging_ = true;
    drag_from_ = e.GetPosition();
    if (!window()->HasCapture()) window()->CaptureMouse();
  } else if (e.LeftUp()) {
    dragging_ = false;
    if (window()->HasCapture()) window()->ReleaseMouse();
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

// Arrows pan by a quarter of the view, + and - zoom about the centre.
void ChartCanvas::HandleKey(wxKeyEvent& e) {
  const PlugIn_ViewPort vp = ViewPort();
  wxPoint centre(vp.pix_width / 2, vp.pix_height / 2);
  switch (e.GetKeyCode()) {
    case WXK_LEFT: centre.x -= vp.pix_width / 4; break;
    case WXK_RIGHT: centre.x += vp.pix_width / 4; break;
    case WXK_UP: centre.y -= vp.pix_height / 4; break;
    case WXK_DOWN: centre.y += vp.pix_height / 4; break;
    case '+': case '=': case WXK_NUMPAD_ADD: ZoomAbout(centre, 1.5); return;
    case '-': case WXK_NUMPAD_SUBTRACT: ZoomAbout(centre, 1 / 1.5); return;
    default: e.Skip(); return;
  }
  double lat, lon;
  PixelToLatLon(vp, centre, &lat, &lon);
  CentreOn(lat, lon);
}

namespace {

// The device-context canvas: everything drawn with one buffered paint DC.
class DcCanvas : public wxPanel, public ChartCanvas {
 public:
  explicit DcCanvas(wxWindow* parent) : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &DcCanvas::OnPaint, this);
    BindEvents(this);
  }
  wxWindow* window() override { return this; }
  bool is_opengl() const override { return false; }

  bool SaveCanvasPng(const wxString& path) override {
    const PlugIn_ViewPort vp = ViewPort();
    wxBitmap bmp(vp.pix_width, vp.pix_height, 24);
    {
      wxMemoryDC mem(bmp);
      Render(mem, vp);
    }
    return bmp.SaveFile(path, wxBITMAP_TYPE_PNG);
  }

 private:
  void OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Render(dc, ViewPort());
    NoteFullPaint();
  }
  void Render(wxDC& dc, PlugIn_ViewPort vp) {
    dc.DrawBitmap(BaseLayer(vp), 0, 0);
    if (plugin_)
      for (int layer : kLayers) plugin_->RenderOverlayMultiCanvas(dc, &vp, 0, layer);
    DrawOwnShip(dc, vp);
  }
};

// The OpenGL canvas: the base map is drawn with a memory DC and put down as
// pixels, then the plug-in draws with OpenGL in a pixel projection (origin
// top left), as a chart plotter's GL canvas offers it.
class GlCanvas : public wxGLCanvas, public ChartCanvas {
 public:
  GlCanvas(wxWindow* parent, const wxGLAttributes& attrs)
      : wxGLCanvas(parent, attrs, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &GlCanvas::OnPaint, this);
    BindEvents(this);
  }
  ~GlCanvas() override { delete context_; }
  wxWindow* window() override { return this; }
  bool is_opengl() const override { return true; }

  bool SaveCanvasPng(const wxString& path) override {
    if (!IsShownOnScreen() || !MakeCurrent()) return false;
    const PlugIn_ViewPort vp = ViewPort();
    Render(vp);
    glFinish();
    wxImage img(vp.pix_width, vp.pix_height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, vp.pix_width, vp.pix_height, GL_RGB, GL_UNSIGNED_BYTE, img.GetData());
    return img.Mirror(false).SaveFile(path, wxBITMAP_TYPE_PNG);  // GL rows run bottom up
  }

 private:
  bool MakeCurrent() {
    if (!context_) context_ = new wxGLContext(this);
    return context_->IsOK() && SetCurrent(*context_);
  }

  void OnPaint(wxPaintEvent&) {
    wxPaintDC paint(this);  // GTK wants the paint acknowledged
    if (!MakeCurrent()) return;
    Render(ViewPort());
    SwapBuffers();
    NoteFullPaint();
  }

  void Render(PlugIn_ViewPort vp) {
    const int w = vp.pix_width, h = vp.pix_height;
    const wxBitmap& base = BaseLayer(vp);
    if (image_generation_ != base_generation()) {
      base_image_ = base.ConvertToImage();
      image_generation_ = base_generation();
    }
    // The view port is in device pixels: at a content scale of 2 the canvas
    // has twice the pixels of its logical size.
    const double f = window()->GetContentScaleFactor();
    glViewport(0, 0, static_cast<int>(std::lround(w * f)), static_cast<int>(std::lround(h * f)));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(kSea.Red() / 255.f, kSea.Green() / 255.f, kSea.Blue() / 255.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos2i(0, 0);
    glPixelZoom(static_cast<float>(f), static_cast<float>(-f));
    glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, base_image_.GetData());
    glPixelZoom(1.f, 1.f);
    if (plugin_)
      for (int layer : kLayers) plugin_->RenderGLOverlayMultiCanvas(context_, &vp, 0, layer);
    DrawOwnShipGl(vp);
  }

  void DrawOwnShipGl(const PlugIn_ViewPort& vp) {
    std::optional<wxPoint> c = OwnShipPixel(vp);
    if (!c) return;
    const float x = c->x, y = c->y;
    glColor3ub(255, 255, 0);
    glBegin(GL_TRIANGLES);
    glVertex2f(x, y - 12);
    glVertex2f(x + 7, y + 9);
    glVertex2f(x - 7, y + 9);
    glEnd();
    glColor3ub(0, 0, 0);
    glLineWidth(2.f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x, y - 12);
    glVertex2f(x + 7, y + 9);
    glVertex2f(x - 7, y + 9);
    glEnd();
  }

  wxGLContext* context_ = nullptr;
  wxImage base_image_;  // the base layer as pixels for glDrawPixels
  int image_generation_ = -1;
};

}  // namespace

ChartCanvas* ChartCanvas::Create(wxWindow* parent, bool opengl) {
  if (opengl) {
    wxGLAttributes attrs;
    attrs.PlatformDefaults().RGBA().DoubleBuffer().EndList();
    if (wxGLCanvas::IsDisplaySupported(attrs)) return new GlCanvas(parent, attrs);
    std::fprintf(stderr, "orvane-host: this display has no OpenGL; using the device-context canvas\n");
  }
  return new DcCanvas(parent);
}

}  // namespace orvane::host
