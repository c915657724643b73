#include "overlay/gl_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace orvane {
namespace {

struct Off {
  int x, y;
};
struct Ring {
  int radius, sides;
};
// A category symbol: closed outlines, single lines and regular rings.
struct GlSymbol {
  std::vector<std::vector<Off>> loops;
  std::vector<std::array<int, 4>> lines;
  std::vector<Ring> rings;
};

const std::vector<Off> kSquare = {{-7, -7}, {7, -7}, {7, 7}, {-7, 7}};

// Indexed by MsgType value; anything else takes the plain ring.
const GlSymbol& SymbolOf(MsgType t) {
  static const std::array<GlSymbol, kMsgTypeCount> kTable = {{
      /* DRILLING */ {{kSquare}, {}, {}},
      /* MILITARY */ {{{{0, -9}, {-8, 7}, {8, 7}}}, {}, {}},
      /* MINE */ {{}, {{-6, 0, 6, 0}, {0, -6, 0, 6}}, {{8, 16}}},
      /* SAR_OPS */ {{}, {{-7, 0, 7, 0}, {0, -7, 0, 7}}, {{4, 12}}},
      /* PIRACY */ {{{{0, -8}, {7, 0}, {0, 8}, {-7, 0}}}, {}, {}},
      /* WRECK */ {{}, {{-7, 5, 7, 5}, {-4, 5, 0, -7}, {4, 5, 0, -7}}, {}},
      /* DRIFT */ {{}, {{6, 0, 11, -3}}, {{8, 16}}},
      /* AIDS */ {{}, {{0, 5, 0, 11}}, {{8, 16}}},
      /* CABLE */ {{}, {{-8, -2, 8, 2}, {-8, 2, 8, -2}}, {}},
      /* WEATHER */ {{}, {{0, 8, 0, -8}, {0, -8, -5, -1}, {0, -8, 5, -1}, {-4, 2, 4, 2}}, {}},
      /* SPACE */ {{}, {{0, -8, 0, 8}, {-5, -3, 5, -3}, {-3, 5, 3, 5}}, {}},
      /* RESTRICT */ {{kSquare}, {{-7, -7, 7, 7}}, {}},
      /* OTHER */ {{kSquare}, {{-3, -3, 3, 3}, {-3, 3, 3, -3}}, {}},
  }};
  static const GlSymbol kRing = {{}, {}, {{8, 16}}};
  const int i = static_cast<int>(t);
  return i >= 0 && i < kMsgTypeCount ? kTable[i] : kRing;
}

void Vertex(const PixPoint& p) { glVertex2d(p.x, p.y); }

void DrawSymbol(MsgType t, const PixPoint& at) {
  const GlSymbol& s = SymbolOf(t);
  glColor4f(1.0f, 1.0f, 1.0f, 0.95f);
  glLineWidth(2.0f);
  for (const auto& loop : s.loops) {
    glBegin(GL_LINE_LOOP);
    for (const Off& o : loop) glVertex2d(at.x + o.x, at.y + o.y);
    glEnd();
  }
  if (!s.lines.empty()) {
    glBegin(GL_LINES);
    for (const auto& l : s.lines) {
      glVertex2d(at.x + l[0], at.y + l[1]);
      glVertex2d(at.x + l[2], at.y + l[3]);
    }
    glEnd();
  }
  for (const Ring& r : s.rings) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < r.sides; ++i) Vertex(RimPoint(at, r.radius, i, r.sides));
    glEnd();
  }
  glPointSize(5.0f);
  glColor4f(0.85f, 0.05f, 0.05f, 1.0f);
  glBegin(GL_POINTS);
  Vertex(at);
  glEnd();
}

void FillShape(const DrawItem& it) {
  if (it.shape == DrawShape::kCorridor) {
    for (const std::vector<PixPoint>& piece : it.pieces) {
      glBegin(GL_TRIANGLE_FAN);
      for (const PixPoint& p : piece) Vertex(p);
      glEnd();
    }
    return;
  }
  if (!it.triangles.empty()) {
    // An area that is not convex: its own triangles, not a fan that would
    // spill over its bays.
    glBegin(GL_TRIANGLES);
    for (const PixPoint& p : it.triangles) Vertex(p);
    glEnd();
    return;
  }
  glBegin(GL_TRIANGLE_FAN);
  if (it.shape == DrawShape::kCircle) {
    Vertex(it.anchor);
    for (int i = 0; i < kDiscRimPoints; ++i) Vertex(RimPoint(it.anchor, it.radius_px, i, kDiscRimPoints - 1));
  } else {
    Vertex(it.anchor);
    for (const PixPoint& p : it.points) Vertex(p);
    Vertex(it.points.front());
  }
  glEnd();
}

void Fill(const DrawItem& it) {
  const DrawColourResult& c = it.colour;
  const float a = c.a;
  if (it.pattern == PATTERN_NONE) {
    glColor4f(c.r, c.g, c.b, a);
    FillShape(it);
    return;
  }
  Stipple bits;
  if (it.pattern == PATTERN_STRIPE) {
    glColor4f(c.r, c.g, c.b, 0.42f * a);
    FillShape(it);
    bits = StripeStipple(it.stipple_period, it.stipple_thickness);
  } else {
    glColor4f(c.r, c.g, c.b, 0.22f * a);
    FillShape(it);
    bits = HatchStipple(it.stipple_period, it.stipple_thickness);
  }
  glPolygonStipple(bits.data());
  glEnable(GL_POLYGON_STIPPLE);
  if (it.pattern == PATTERN_STRIPE) {
    const TypeRgb& s = it.style.stripe_rgba;
    const float sa = std::min(0.95f * a, 0.9f);
    if (s.a > 0.01f)
      glColor4f(s.r, s.g, s.b, sa);
    else
      glColor4f(1.0f, 0.55f, 0.85f, sa);
  } else {
    glColor4f(c.r, c.g, c.b, std::min(0.9f * a, 0.85f));
  }
  FillShape(it);
  glDisable(GL_POLYGON_STIPPLE);
}

void OutlineShape(const DrawItem& it) {
  if (it.shape == DrawShape::kCircle) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < kCircleOutlinePoints; ++i) Vertex(RimPoint(it.anchor, it.radius_px, i, kCircleOutlinePoints));
  } else {
    glBegin(it.shape == DrawShape::kPolygon ? GL_LINE_LOOP : GL_LINE_STRIP);
    for (const PixPoint& p : it.points) Vertex(p);
  }
  glEnd();
}

void Outline(const DrawItem& it, double overlay_line_width) {
  if (it.highlighted) {
    for (const LineStyle& ls : {HaloStyle(), HighlightStyle()}) {
      glColor4f(ls.rgba.r, ls.rgba.g, ls.rgba.b, ls.rgba.a);
      glLineWidth(ls.width_px);
      OutlineShape(it);
    }
    return;
  }
  const DrawColourResult& c = it.colour;
  glColor4f(0.9f * c.r, 0.9f * c.g, 0.9f * c.b, c.a);
  const double w = it.shape == DrawShape::kCircle ? 2.5 : std::max(overlay_line_width, 1.0);
  glLineWidth(static_cast<float>(std::min(w, 64.0)));
  if (it.doubtful) {
    glLineStipple(2, 0x0F0F);  // dashed: the receiver heard this one badly
    glEnable(GL_LINE_STIPPLE);
  }
  OutlineShape(it);
  if (it.doubtful) glDisable(GL_LINE_STIPPLE);
}

}  // namespace

bool DrawFrameGL(const Frame& frame, double overlay_line_width) {
  // Without a current context every call would go nowhere or worse.
  if (!glGetString(GL_VERSION)) return false;
  glPushAttrib(GL_POINT_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_POLYGON_STIPPLE_BIT | GL_ENABLE_BIT |
               GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_HINT_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_POLYGON_SMOOTH);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);

  if (!frame.stations.empty()) {
    glColor4f(0.2f, 0.55f, 1.0f, 0.85f);
    glPointSize(5.0f);
    glBegin(GL_POINTS);
    for (const PixPoint& p : frame.stations) Vertex(p);
    glEnd();
  }

  for (const DrawItem& it : frame.items) {
    if (it.shape == DrawShape::kPolygon || it.shape == DrawShape::kCircle || it.shape == DrawShape::kCorridor) Fill(it);
    if (it.shape != DrawShape::kPoint) Outline(it, overlay_line_width);
    DrawSymbol(it.type, it.anchor);
  }

  glPopAttrib();
  return frame.drawn;
}

}  // namespace orvane
