#include "overlay/swatch_dc.h"

#include <algorithm>
#include <cmath>

#include <wx/brush.h>
#include <wx/pen.h>
#include <wx/settings.h>

#include "overlay/taxonomy.h"

namespace orvane {
namespace {

unsigned char Byte(float v) {
  if (!(v >= 0.0f)) return 0;
  return static_cast<unsigned char>(std::lround(std::min(v, 1.0f) * 255.0f));
}

wxColour Opaque(const TypeRgb& c) { return wxColour(Byte(c.r), Byte(c.g), Byte(c.b)); }

}  // namespace

void PaintBucketSwatch(wxDC& dc, const wxSize& size, MsgType t) {
  const int w = std::max(4, size.GetWidth());
  const int h = std::max(4, size.GetHeight());
  const BucketStyle s = EffectiveStyle(t);
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT), 1, wxPENSTYLE_SOLID));
  dc.SetBrush(wxBrush(Opaque(s.rgba), wxBRUSHSTYLE_SOLID));
  dc.DrawRectangle(0, 0, w, h);
  if (s.kind == PATTERN_STRIPE) {
    dc.SetPen(wxPen(Opaque(s.stripe_rgba), 2, wxPENSTYLE_SOLID));
    const float pitch = std::isfinite(s.pitch_px) ? s.pitch_px : 0.0f;
    const int step = std::max(4, static_cast<int>(std::clamp(pitch, 0.0f, 10000.0f)));
    for (int x = -h; x < w + h; x += step) dc.DrawLine(x, 0, x + h, h);
  } else if (s.kind == PATTERN_HATCH) {
    // Hatch lines in the fill colour itself would vanish on the opaque fill;
    // the same hue at half brightness keeps the hatch visible.
    const TypeRgb dark{s.rgba.r * 0.5f, s.rgba.g * 0.5f, s.rgba.b * 0.5f, 1.0f};
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(Opaque(dark), wxBRUSHSTYLE_CROSSDIAG_HATCH));
    dc.DrawRectangle(1, 1, w - 2, h - 2);
  }
}

}  // namespace orvane
