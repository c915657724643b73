// Which messages the chart shows, the two drawing callbacks, what the mouse
// touches, and the hover line.
#include <wx/choicdlg.h>
#include <wx/window.h>

#include <cstdlib>

#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "overlay/dc_renderer.h"
#include "overlay/filters.h"
#include "overlay/frame.h"
#include "overlay/gl_renderer.h"
#include "parse/geography.h"
#include "ui/nt_dialog.h"
#include "ui/theme.h"

using namespace orvane;

namespace {

// The waypoints of the active route; empty when there is none. The host's
// route object is released when this returns.
std::vector<LatLon> ActiveRouteWaypoints() {
  std::vector<LatLon> pts;
  const wxString guid = GetActiveRouteGUID();
  if (guid.empty()) return pts;
  const std::unique_ptr<PlugIn_Route> route = GetRoute_Plugin(guid);
  if (!route) return pts;
  pts.reserve(route->waypoints.size());
  for (const PlugIn_Waypoint& w : route->waypoints) pts.emplace_back(w.m_lat, w.m_lon);
  return pts;
}

ViewBounds BoundsOf(const PlugIn_ViewPort& vp) {
  ViewBounds b;
  b.lat_min = vp.lat_min;
  b.lat_max = vp.lat_max;
  b.lon_min = vp.lon_min;
  b.lon_max = vp.lon_max;
  b.chart_scale = vp.chart_scale;
  b.valid = vp.bValid;
  return b;
}

// Every view port value the pixel positions depend on.
std::vector<double> ViewKey(const PlugIn_ViewPort& vp) {
  return {vp.clat,    vp.clon,    vp.view_scale_ppm, vp.rotation, vp.chart_scale, double(vp.pix_width),
          double(vp.pix_height), vp.lat_min, vp.lat_max, vp.lon_min, vp.lon_max, vp.bValid ? 1.0 : 0.0};
}

PixelProjector ProjectorFor(PlugIn_ViewPort* vp) {
  return [vp](double lat, double lon) {
    wxPoint p;
    GetCanvasPixLL(vp, &p, lat, lon);
    return PixPoint{static_cast<double>(p.x), static_cast<double>(p.y)};
  };
}

}  // namespace

void orvane_pi::FillFilterContext(FilterContext* ctx) {
  ctx->settings = &settings_;
  ctx->has_fix = have_fix_;
  ctx->own_lat = own_lat_;
  ctx->own_lon = own_lon_;
  ctx->route.clear();
  // The host is asked only when the route filter needs it.
  if (settings_.route_filter) ctx->route = ActiveRouteWaypoints();
}

bool orvane_pi::IsVisible(const MsiMessage& m) {
  FilterContext ctx;
  FillFilterContext(&ctx);
  return orvane::IsVisible(m, ctx);
}

size_t orvane_pi::CountVisible() {
  FilterContext ctx;
  FillFilterContext(&ctx);
  return orvane::CountVisible(store_, ctx);
}

bool orvane_pi::InRouteCorridor(const MsiMessage& m) {
  FilterContext ctx;
  FillFilterContext(&ctx);
  return orvane::InRouteCorridor(m, ctx);
}

std::vector<int> orvane_pi::RouteNavareas() {
  const std::vector<LatLon> pts = ActiveRouteWaypoints();
  if (pts.empty()) return {};
  return NavareasAlong(pts);
}

FrameCache& orvane_pi::frame_cache() {
  if (!frame_cache_) frame_cache_ = std::make_shared<FrameCache>();
  return *frame_cache_;
}

int orvane_pi::frame_builds() { return frame_cache().builds(); }

int orvane_pi::HitTest(double lat, double lon) {
  FilterContext ctx;
  FillFilterContext(&ctx);
  return orvane::HitTest(store_, ctx, highlighted_, lat, lon, &frame_cache().Index(store_));
}

void orvane_pi::HighlightMessage(int index) {
  if (index >= 0 && static_cast<size_t>(index) >= store_.size()) return;
  highlighted_ = index < 0 ? -1 : index;  // a negative index clears the highlight
  settings_.show = true;  // shown for this session, not saved
  if (dialog_) dialog_->SetShowChecked(true);
  if (canvas_) RequestRefresh(canvas_);
}

bool orvane_pi::DrawGate(int canvas_index, int priority, bool gl) {
  if (canvas_index != 0 || (priority != 0 && priority != -1)) return false;
  last_draw_gl_ = gl;
  return true;
}

bool orvane_pi::RenderGLOverlayMultiCanvas(wxGLContext*, PlugIn_ViewPort* vp, int canvas_index, int priority) {
  if (!DrawGate(canvas_index, priority, true)) return false;
  if (!settings_.show || !vp) return false;
  last_vp_ = *vp;
  has_vp_ = true;
  FilterContext ctx;
  FillFilterContext(&ctx);
  const ViewBounds view = BoundsOf(*vp);
  if (settings_.route_filter) DrawRouteBandGL(RouteBand(ctx.route, settings_.corridor_nm, ProjectorFor(vp)));
  const Frame& frame = frame_cache().Get(store_, ctx, settings_, view, ViewKey(*vp), highlighted_, ProjectorFor(vp));
  const bool drawn = DrawFrameGL(frame, settings_.overlay_line_width);
  if (settings_.show_legend) DrawLegendGL(frame, settings_.overlay_alpha, settings_.pattern_fill, vp->pix_width);
  return drawn;
}

bool orvane_pi::RenderOverlayMultiCanvas(wxDC& dc, PlugIn_ViewPort* vp, int canvas_index, int priority) {
  if (!DrawGate(canvas_index, priority, false)) return false;
  if (!settings_.show || !vp) return false;
  last_vp_ = *vp;
  has_vp_ = true;
  FilterContext ctx;
  FillFilterContext(&ctx);
  const ViewBounds view = BoundsOf(*vp);
  if (settings_.route_filter) DrawRouteBandDC(dc, RouteBand(ctx.route, settings_.corridor_nm, ProjectorFor(vp)));
  const Frame& frame = frame_cache().Get(store_, ctx, settings_, view, ViewKey(*vp), highlighted_, ProjectorFor(vp));
  const bool drawn = DrawFrameDC(dc, frame, hover_text_);
  if (settings_.show_legend) DrawLegendDC(dc, frame, settings_.overlay_alpha, settings_.pattern_fill, vp->pix_width);
  return drawn;
}

void orvane_pi::SetCursorLatLon(double lat, double lon) {
  cursor_lat_ = lat;
  cursor_lon_ = lon;
  if (settings_.show) UpdateHover();
}

void orvane_pi::UpdateHover() {
  hover_text_.clear();
  FilterContext ctx;
  FillFilterContext(&ctx);
  const int i = HoverMessage(store_, ctx, cursor_lat_, cursor_lon_, &frame_cache().Index(store_));
  if (i >= 0) hover_text_ = HoverText(store_[i], ship_navarea_);
  if (dialog_) dialog_->SetHoverText(ToWx(hover_text_));
}

namespace {

// A short list of the messages under a click, in store order; the store
// index of the one chosen, -1 when the list is cancelled.
int ChooseMessage(wxWindow* parent, const MessageStore& store, const std::vector<int>& hits) {
  wxArrayString rows;
  for (int i : hits) rows.Add(wxString::FromUTF8((std::string(TypeName(store[i].type)) + " - " + store[i].title).c_str()));
  auto* d = new wxSingleChoiceDialog(parent, TrWx("Several warnings lie here. Open which one?"), TrWx("Warnings here"),
                                     rows);
  const int row = d->ShowModal() == wxID_OK ? d->GetSelection() : -1;
  d->Destroy();
  return row >= 0 && row < static_cast<int>(hits.size()) ? hits[row] : -1;
}

}  // namespace

std::vector<int> orvane_pi::HitTestAll(double lat, double lon) {
  FilterContext ctx;
  FillFilterContext(&ctx);
  return orvane::HitTestAll(store_, ctx, highlighted_, lat, lon, &frame_cache().Index(store_));
}

void orvane_pi::SelectFromChart(int index) {
  HighlightMessage(index);
  hover_text_ = ClickText(store_[index]);
  if (dialog_) {
    dialog_->SetHoverText(ToWx(hover_text_));
    dialog_->SelectMessage(index);
  }
}

bool orvane_pi::MouseEventHook(wxMouseEvent& event) {
  if (!settings_.show || !has_vp_) return false;
  const wxPoint at = event.GetPosition();
  const bool near_press = std::abs(at.x - press_x_) <= kChartClickSlopPx && std::abs(at.y - press_y_) <= kChartClickSlopPx;
  // The left button only selects on its release, and never takes the
  // event: the host pans with the same press.
  if (event.GetEventType() == wxEVT_LEFT_DOWN) {
    press_armed_ = true;
    press_x_ = at.x;
    press_y_ = at.y;
    return false;
  }
  if (event.GetEventType() == wxEVT_MOTION) {
    if (press_armed_ && !near_press) press_armed_ = false;  // a drag, not a click
    return false;
  }
  if (event.GetEventType() == wxEVT_LEFT_UP) {
    const bool click = press_armed_ && near_press;
    press_armed_ = false;
    if (!click) return false;
    double lat = 0.0, lon = 0.0;
    GetCanvasLLPix(&last_vp_, at, &lat, &lon);
    const int hit = HitTest(lat, lon);
    if (hit >= 0) SelectFromChart(hit);
    return false;
  }
  if (!event.LeftDClick() && !event.RightDown()) return false;
  press_armed_ = false;
  double lat = 0.0, lon = 0.0;
  GetCanvasLLPix(&last_vp_, at, &lat, &lon);
  const std::vector<int> hits = HitTestAll(lat, lon);
  if (hits.empty()) return false;
  const int chosen = hits.size() == 1 ? hits[0] : ChooseMessage(canvas_, store_, hits);
  if (chosen < 0) return true;
  SelectFromChart(chosen);
  ShowMessageDetail(chosen);
  return true;
}

void orvane_pi::SetColorScheme(PI_ColorScheme scheme) {
  SetDrawScheme(scheme == PI_SCHEME_NIGHT ? Scheme::kNight : scheme == PI_SCHEME_DUSK ? Scheme::kDusk : Scheme::kDay);
  // Dark windows by dusk and night; by day the window's own theme choice.
  if (dialog_) ApplyTheme(dialog_, DrawScheme() == Scheme::kDay ? settings_.ui_theme : 1);
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::SetShowLegend(bool on) {
  settings_.show_legend = on;
  SaveSettings();
  if (dialog_) dialog_->SetLegendChecked(on);
  if (canvas_) RequestRefresh(canvas_);
}

// Filter setters: each stores and saves, then redraws what depends on it.
void orvane_pi::SetShow(bool show) {
  settings_.show = show;
  if (!show && canvas_) canvas_->UnsetToolTip();
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
}

void orvane_pi::SetRange(double d) {
  SetRangeFromDistance(&settings_, d);
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
  RefreshStatus();
}

void orvane_pi::SetRouteFilter(bool on) {
  settings_.route_filter = on;
  SaveSettings();
  if (canvas_) RequestRefresh(canvas_);
  RefreshStatus();
}

void orvane_pi::SetTypeVisible(MsgType t, bool on) {
  settings_.type_mask = WithTypeVisible(settings_.type_mask, t, on);
  SaveSettings();
  RefreshStatus();
}
