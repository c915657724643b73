#include "overlay/dc_renderer.h"

#include "overlay/legend.h"

#include <wx/brush.h>
#include <wx/dcmemory.h>
#include <wx/dcgraph.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/pen.h>

#include <algorithm>
#include <vector>

namespace orvane {
namespace {

unsigned char Byte(float v) { return static_cast<unsigned char>(std::clamp(v, 0.0f, 1.0f) * 255.0f); }
wxColour Colour(float r, float g, float b, float a) { return wxColour(Byte(r), Byte(g), Byte(b), Byte(a)); }
wxColour Colour(const TypeRgb& c) { return Colour(c.r, c.g, c.b, c.a); }
wxPoint Pix(const PixPoint& p) { return wxPoint(RoundPixel(p.x), RoundPixel(p.y)); }

void LabelText(wxDC& dc, const wxString& text, int x, int y) {
  dc.SetTextForeground(Colour(SchemeText()));
  dc.SetTextBackground(Colour(SchemeTextBackground()));
  dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
  dc.DrawText(text, x, y);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
}

// A category's label on its opaque background, drawn once per category,
// font and scheme into a picture and then laid down in one call.
void DrawCategoryLabel(wxDC& dc, MsgType t, wxPoint at) {
  struct Made {
    int type;
    wxString font;
    wxColour fg, bg;
    wxBitmap bmp;
  };
  static std::vector<Made> made;
  const wxString font = dc.GetFont().IsOk() ? dc.GetFont().GetNativeFontInfoDesc() : wxString();
  const wxColour fg = Colour(SchemeText()), bg = Colour(SchemeTextBackground());
  for (const Made& m : made)
    if (m.type == static_cast<int>(t) && m.font == font && m.fg == fg && m.bg == bg) {
      dc.DrawBitmap(m.bmp, at.x, at.y, false);
      return;
    }
  const wxString text = wxString::FromUTF8(TypeLabel(t));
  const wxSize size = dc.GetTextExtent(text);
  if (size.x <= 0 || size.y <= 0) return;
  wxBitmap bmp(size.x, size.y, 24);
  {
    wxMemoryDC mem(bmp);
    if (dc.GetFont().IsOk()) mem.SetFont(dc.GetFont());
    mem.SetBackground(wxBrush(bg));
    mem.Clear();
    LabelText(mem, text, 0, 0);
  }
  if (made.size() > 64) made.clear();
  made.push_back({static_cast<int>(t), font, fg, bg, bmp});
  dc.DrawBitmap(bmp, at.x, at.y, false);
}

// The category symbols of this path, one row per category.
enum class Part { kRect, kTriangle, kDiamond, kCircle, kLine, kArc };
struct SymbolPart {
  Part part;
  int a, b, c, d;  // rect x, y, w, h; circle r; line x1, y1, x2, y2; arc x, y, w, h
};
using DcSymbol = std::vector<SymbolPart>;

const DcSymbol& SymbolOf(MsgType t) {
  static const std::vector<DcSymbol> kTable = {
      /* DRILLING */ {{Part::kRect, -7, -7, 14, 14}},
      /* MILITARY */ {{Part::kTriangle, 0, 0, 0, 0}},
      /* MINE */ {{Part::kCircle, 8, 0, 0, 0}, {Part::kLine, -6, 0, 6, 0}, {Part::kLine, 0, -6, 0, 6}},
      /* SAR_OPS */ {{Part::kLine, -7, 0, 7, 0}, {Part::kLine, 0, -7, 0, 7}, {Part::kCircle, 4, 0, 0, 0}},
      /* PIRACY */ {{Part::kDiamond, 0, 0, 0, 0}},
      /* WRECK */ {{Part::kLine, -7, 5, 7, 5}, {Part::kLine, -4, 5, 0, -7}, {Part::kLine, 4, 5, 0, -7}},
      /* DRIFT */ {{Part::kCircle, 6, 0, 0, 0}, {Part::kLine, 6, 0, 11, -3}},
      /* AIDS */ {{Part::kCircle, 5, 0, 0, 0}, {Part::kLine, 0, 5, 0, 11}},
      /* CABLE */ {{Part::kLine, -8, -2, 8, 2}, {Part::kLine, -8, 2, 8, -2}},
      /* WEATHER */ {{Part::kArc, -8, -8, 16, 16}},
      /* SPACE */ {{Part::kLine, 0, -8, 0, 8}, {Part::kLine, -5, -3, 5, -3}, {Part::kLine, -3, 5, 3, 5}},
      /* RESTRICT */ {{Part::kRect, -7, -7, 14, 14}, {Part::kLine, -7, -7, 7, 7}},
      /* OTHER */ {{Part::kCircle, 6, 0, 0, 0}},
  };
  const int i = static_cast<int>(t);
  return i >= 0 && i < kMsgTypeCount ? kTable[i] : kTable[OTHER];
}

void DrawSymbolParts(wxDC& dc, MsgType t, wxPoint at);

constexpr int kSymbolBox = 32;  // the picture of one symbol, its place at the middle

// One symbol as a picture with transparency: the halo disc and the strokes
// in the category's colour. Made once per category and colour, then laid
// down in one call wherever the symbol goes.
const wxBitmap& SymbolPicture(MsgType t) {
  struct Made {
    int type;
    wxColour stroke, halo;
    wxBitmap bmp;
  };
  static std::vector<Made> made;
  const wxColour stroke = Colour(SymbolColour(t));
  const TypeRgb h = SymbolHalo();
  const wxColour halo = Colour(h.r, h.g, h.b, h.a);
  for (const Made& m : made)
    if (m.type == static_cast<int>(t) && m.stroke == stroke && m.halo == halo) return m.bmp;
  wxImage img(kSymbolBox, kSymbolBox);
  img.InitAlpha();
  std::fill(img.GetAlpha(), img.GetAlpha() + kSymbolBox * kSymbolBox, 0);
  {
    wxGCDC g(wxGraphicsContext::Create(img));
    const wxPoint mid(kSymbolBox / 2, kSymbolBox / 2);
    g.SetPen(*wxTRANSPARENT_PEN);
    g.SetBrush(wxBrush(halo, wxBRUSHSTYLE_SOLID));
    g.DrawCircle(mid, static_cast<int>(kSymbolHaloRadius));
    g.SetPen(wxPen(stroke, static_cast<int>(kSymbolStrokeWidth), wxPENSTYLE_SOLID));
    g.SetBrush(*wxTRANSPARENT_BRUSH);
    DrawSymbolParts(g, t, mid);
  }
  if (made.size() > 64) made.clear();  // colours edited again and again
  made.push_back({static_cast<int>(t), stroke, halo, wxBitmap(img, 32)});
  return made.back().bmp;
}

// The symbol's strokes in its category's colour on a white halo.
void DrawSymbol(wxDC& dc, MsgType t, wxPoint at) {
  dc.DrawBitmap(SymbolPicture(t), at.x - kSymbolBox / 2, at.y - kSymbolBox / 2, true);
}

void DrawSymbolParts(wxDC& dc, MsgType t, wxPoint at) {
  const int x = at.x, y = at.y;
  for (const SymbolPart& p : SymbolOf(t)) {
    switch (p.part) {
      case Part::kRect: dc.DrawRectangle(x + p.a, y + p.b, p.c, p.d); break;
      case Part::kTriangle: {
        wxPoint tri[3] = {{x, y - 9}, {x - 8, y + 7}, {x + 8, y + 7}};
        dc.DrawPolygon(3, tri);
        break;
      }
      case Part::kDiamond: {
        wxPoint dia[4] = {{x, y - 8}, {x + 7, y}, {x, y + 8}, {x - 7, y}};
        dc.DrawPolygon(4, dia);
        break;
      }
      case Part::kCircle: dc.DrawCircle(x, y, p.a); break;
      case Part::kLine: dc.DrawLine(x + p.a, y + p.b, x + p.c, y + p.d); break;
      case Part::kArc: dc.DrawEllipticArc(x + p.a, y + p.b, p.c, p.d, 20.0, 200.0); break;
    }
  }
}

// An area (polygon or disc) drawn with the current pen and brush.
struct Area {
  const DrawItem& it;
  std::vector<wxPoint> pts;
  void Draw(wxDC& dc) const {
    if (it.shape == DrawShape::kCircle) {
      dc.DrawCircle(Pix(it.anchor), static_cast<int>(it.radius_px));
    } else if (it.shape == DrawShape::kCorridor) {
      // The band's pieces overlap at the bends; the winding rule fills
      // their union once.
      std::vector<int> counts;
      std::vector<wxPoint> all;
      for (const std::vector<PixPoint>& piece : it.pieces) {
        counts.push_back(static_cast<int>(piece.size()));
        for (const PixPoint& p : piece) all.push_back(Pix(p));
      }
      if (!counts.empty()) dc.DrawPolyPolygon(static_cast<int>(counts.size()), counts.data(), all.data(), 0, 0, wxWINDING_RULE);
    } else {
      dc.DrawPolygon(static_cast<int>(pts.size()), pts.data());
    }
  }
};

void DrawArea(wxDC& dc, const Area& area, const wxPen& pen, const wxPen& halo, const wxColour& fill) {
  const DrawItem& it = area.it;
  const wxBrush solid(fill, wxBRUSHSTYLE_SOLID);
  if (it.pattern != PATTERN_NONE) {
    const unsigned char under = std::max<unsigned char>(static_cast<unsigned char>(0.4 * fill.Alpha()), 20);
    dc.SetBrush(wxBrush(wxColour(fill.Red(), fill.Green(), fill.Blue(), under), wxBRUSHSTYLE_SOLID));
    area.Draw(dc);
    // A fill smaller than one period keeps only its under-fill.
    if (it.pattern == PATTERN_STRIPE) {
      const TypeRgb& s = it.style.stripe_rgba;
      const wxColour stripe = Colour(s.r > 0 ? s.r : 1.0f, s.g > 0 ? s.g : 0.55f, s.b > 0 ? s.b : 0.85f,
                                     std::min(it.base_alpha, 0.9f));
      dc.SetBrush(wxBrush(stripe, wxBRUSHSTYLE_FDIAGONAL_HATCH));
    } else {
      dc.SetBrush(wxBrush(fill, wxBRUSHSTYLE_CROSSDIAG_HATCH));
    }
    if (it.pattern_pass) area.Draw(dc);
    dc.SetBrush(solid);
  } else {
    area.Draw(dc);
  }
  if (it.highlighted) {
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(halo);
    area.Draw(dc);
    dc.SetPen(pen);
    area.Draw(dc);
    dc.SetBrush(solid);
  }
}

// A line through the item's points, over a halo when highlighted.
void DrawLine(wxDC& dc, const DrawItem& it, const wxPen& pen, const wxPen& halo) {
  std::vector<wxPoint> pts;
  pts.reserve(it.points.size());
  for (const PixPoint& p : it.points) pts.push_back(Pix(p));
  if (it.highlighted) {
    dc.SetPen(halo);
    dc.DrawLines(static_cast<int>(pts.size()), pts.data());
  }
  dc.SetPen(pen);
  dc.DrawLines(static_cast<int>(pts.size()), pts.data());
}

}  // namespace

bool DrawFrameDC(wxDC& dc, const Frame& frame, const std::string& hover_text) {
  const LineStyle halo_style = HaloStyle();
  const wxPen halo(Colour(SchemeColour(halo_style.rgba)), static_cast<int>(halo_style.width_px), wxPENSTYLE_SOLID);
  for (const DrawItem& it : frame.items) {
    const DrawColourResult& c = it.colour;
    const wxColour fill = Colour(c.r, c.g, c.b, c.a);
    const wxColour outline = it.highlighted ? Colour(SchemeColour(HighlightStyle().rgba))
                                            : wxColour(static_cast<unsigned char>(200 * std::clamp(c.r, 0.f, 1.f)),
                                                       static_cast<unsigned char>(200 * std::clamp(c.g, 0.f, 1.f)),
                                                       static_cast<unsigned char>(200 * std::clamp(c.b, 0.f, 1.f)),
                                                       Byte(c.a));
    // Dashed: positions of a message the receiver heard badly.
    const wxPen pen(outline, it.line_weight, it.doubtful ? wxPENSTYLE_SHORT_DASH : wxPENSTYLE_SOLID);
    dc.SetPen(pen);
    dc.SetBrush(wxBrush(fill, wxBRUSHSTYLE_SOLID));
    const wxPoint anchor = Pix(it.anchor);
    if (it.shape == DrawShape::kPolygon || it.shape == DrawShape::kCircle) {
      Area area{it, {}};
      area.pts.reserve(it.points.size());
      for (const PixPoint& p : it.points) area.pts.push_back(Pix(p));
      DrawArea(dc, area, pen, halo, fill);
    } else if (it.shape == DrawShape::kCorridor) {
      // The band without an outline, then its centre line.
      dc.SetPen(*wxTRANSPARENT_PEN);
      Area band{it, {}};
      DrawArea(dc, band, *wxTRANSPARENT_PEN, *wxTRANSPARENT_PEN, fill);
      dc.SetPen(pen);
      DrawLine(dc, it, pen, halo);
    } else if (it.shape == DrawShape::kPolyline) {
      DrawLine(dc, it, pen, halo);
    }
    DrawSymbol(dc, it.type, anchor);
    if (it.shape != DrawShape::kPoint) DrawCategoryLabel(dc, it.type, wxPoint(anchor.x + 8, anchor.y - 8));
  }
  if (!hover_text.empty()) LabelText(dc, wxString::FromUTF8(hover_text.c_str()), 12, 12);
  return frame.drawn;
}

namespace {

wxString LegendText(MsgType t, int count) {
  return wxString::FromUTF8(TypeLabel(t)) + wxString::Format("  %d", count);
}

}  // namespace

wxSize LegendSize(wxDC& dc, const Frame& frame) {
  int rows = 0, text_w = 0;
  for (int t = 0; t < kMsgTypeCount; ++t) {
    if (frame.counts[t] <= 0) continue;
    ++rows;
    text_w = std::max(text_w, dc.GetTextExtent(LegendText(static_cast<MsgType>(t), frame.counts[t])).x);
  }
  if (rows == 0) return wxSize(0, 0);
  return wxSize(kLegendSwatch + 30 + text_w + 12, rows * kLegendRowHeight + 8);
}

void DrawLegendDC(wxDC& dc, const Frame& frame, double overlay_alpha, bool pattern_fill, int canvas_width) {
  const wxSize size = LegendSize(dc, frame);
  if (size.x == 0) return;
  DrawLegendAt(dc, frame, overlay_alpha, pattern_fill, wxPoint(canvas_width - size.x - kLegendMargin, kLegendMargin));
}

void DrawLegendAt(wxDC& dc, const Frame& frame, double overlay_alpha, bool pattern_fill, wxPoint at) {
  const wxSize size = LegendSize(dc, frame);
  if (size.x == 0) return;
  const int x0 = at.x, y0 = at.y;
  dc.SetPen(wxPen(Colour(SchemeColour({0.35f, 0.35f, 0.35f, 1.0f})), 1, wxPENSTYLE_SOLID));
  const TypeRgb box = DrawScheme() == Scheme::kDay ? TypeRgb{1.0f, 1.0f, 1.0f, 235 / 255.f} : SchemeTextBackground();
  dc.SetBrush(wxBrush(Colour(box), wxBRUSHSTYLE_SOLID));
  dc.DrawRectangle(x0, y0, size.x, size.y);
  int y = y0 + 4;
  for (int t = 0; t < kMsgTypeCount; ++t) {
    if (frame.counts[t] <= 0) continue;
    const MsgType type = static_cast<MsgType>(t);
    DrawColourResult c = DrawColour(type, static_cast<float>(overlay_alpha));
    const TypeRgb dim = SchemeColour({c.r, c.g, c.b, c.a});
    c.r = dim.r;
    c.g = dim.g;
    c.b = dim.b;
    BucketStyle style = EffectiveStyle(type);
    style.stripe_rgba = SchemeColour(style.stripe_rgba.a > 0.01f ? style.stripe_rgba : TypeRgb{1.0f, 0.55f, 0.85f, 1.0f});
    const int sx = x0 + 6, sy = y + (kLegendRowHeight - kLegendSwatch) / 2;
    dc.SetPen(wxPen(wxColour(static_cast<unsigned char>(200 * std::clamp(c.r, 0.f, 1.f)),
                             static_cast<unsigned char>(200 * std::clamp(c.g, 0.f, 1.f)),
                             static_cast<unsigned char>(200 * std::clamp(c.b, 0.f, 1.f)), 255),
                    1, wxPENSTYLE_SOLID));
    dc.SetBrush(wxBrush(Colour(c.r, c.g, c.b, c.a), wxBRUSHSTYLE_SOLID));
    dc.DrawRectangle(sx, sy, kLegendSwatch, kLegendSwatch);
    if (pattern_fill && c.kind != PATTERN_NONE) {
      const TypeRgb& st = style.stripe_rgba;
      if (c.kind == PATTERN_STRIPE)
        dc.SetBrush(wxBrush(Colour(st.r > 0 ? st.r : 1.0f, st.g > 0 ? st.g : 0.55f, st.b > 0 ? st.b : 0.85f, 0.9f),
                            wxBRUSHSTYLE_FDIAGONAL_HATCH));
      else
        dc.SetBrush(wxBrush(Colour(c.r, c.g, c.b, 0.9f), wxBRUSHSTYLE_CROSSDIAG_HATCH));
      dc.DrawRectangle(sx, sy, kLegendSwatch, kLegendSwatch);
    }
    DrawSymbol(dc, type, wxPoint(sx + kLegendSwatch + 14, y + kLegendRowHeight / 2));
    dc.SetTextForeground(Colour(SchemeText()));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxString text = LegendText(type, frame.counts[t]);
    dc.DrawText(text, sx + kLegendSwatch + 30, y + (kLegendRowHeight - dc.GetTextExtent(text).y) / 2);
    y += kLegendRowHeight;
  }
}

void DrawRouteBandDC(wxDC& dc, const std::vector<std::vector<PixPoint>>& band) {
  if (band.empty()) return;
  std::vector<int> counts;
  std::vector<wxPoint> all;
  for (const std::vector<PixPoint>& piece : band) {
    counts.push_back(static_cast<int>(piece.size()));
    for (const PixPoint& p : piece) all.push_back(Pix(p));
  }
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(Colour(SchemeColour({kRouteBandRgba[0], kRouteBandRgba[1], kRouteBandRgba[2], kRouteBandRgba[3]})),
                      wxBRUSHSTYLE_SOLID));
  dc.DrawPolyPolygon(static_cast<int>(counts.size()), counts.data(), all.data(), 0, 0, wxWINDING_RULE);
}

}  // namespace orvane
