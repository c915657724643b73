#include "overlay/gl_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
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

// Vertices of the primitive being sent, x y pairs, drawn from a client
// array: one call per primitive instead of one per vertex.
class Batch {
 public:
  void Clear() { v_.clear(); }
  // As glVertex2d would hand them on: GL keeps positions as floats.
  void Add(double x, double y) { v_.insert(v_.end(), {static_cast<float>(x), static_cast<float>(y)}); }
  void Add(const PixPoint& p) { Add(p.x, p.y); }
  void Draw(GLenum mode) {
    if (v_.empty()) return;
    glBegin(mode);
    for (size_t i = 0; i < v_.size(); i += 2) glVertex2fv(&v_[i]);
    glEnd();
    v_.clear();
  }

 private:
  std::vector<float> v_;
};

// A symbol's closed outlines and lines as separate segments, offsets from
// its place, made once per category; drawn in one call with its rings.
const std::vector<std::array<double, 4>>& Segments(MsgType t) {
  static std::array<std::vector<std::array<double, 4>>, kMsgTypeCount + 1> cache;
  static std::array<bool, kMsgTypeCount + 1> made{};
  const int i = static_cast<int>(t) >= 0 && static_cast<int>(t) < kMsgTypeCount ? static_cast<int>(t) : kMsgTypeCount;
  if (!made[i]) {
    const GlSymbol& s = SymbolOf(t);
    auto& out = cache[i];
    for (const auto& loop : s.loops)
      for (size_t k = 0; k < loop.size(); ++k) {
        const Off& p = loop[k];
        const Off& q = loop[(k + 1) % loop.size()];
        out.push_back({double(p.x), double(p.y), double(q.x), double(q.y)});
      }
    for (const auto& l : s.lines) out.push_back({double(l[0]), double(l[1]), double(l[2]), double(l[3])});
    made[i] = true;
  }
  return cache[i];
}

// The symbol's strokes in its category's colour over a white halo: an
// octagon behind it (a rounder disc costs the software rasteriser twice the
// frame). No change of line width between items, so the GL keeps gathering
// their vertices into few draws.
void DrawSymbol(Batch& batch, MsgType t, const PixPoint& at) {
  const GlSymbol& s = SymbolOf(t);
  const TypeRgb c = SymbolColour(t);
  const TypeRgb halo = SymbolHalo();
  glColor4f(halo.r, halo.g, halo.b, halo.a);
  batch.Add(at);
  for (int i = 0; i <= kSymbolHaloSides; ++i) batch.Add(RimPoint(at, kSymbolHaloRadius, i, kSymbolHaloSides));
  batch.Draw(GL_TRIANGLE_FAN);
  glLineWidth(kSymbolStrokeWidth);
  glColor4f(c.r, c.g, c.b, 1.0f);
  for (const auto& seg : Segments(t)) {
    batch.Add(at.x + seg[0], at.y + seg[1]);
    batch.Add(at.x + seg[2], at.y + seg[3]);
  }
  for (const Ring& r : s.rings)
    for (int i = 0; i < r.sides; ++i) {
      batch.Add(RimPoint(at, r.radius, i, r.sides));
      batch.Add(RimPoint(at, r.radius, (i + 1) % r.sides, r.sides));
    }
  batch.Draw(GL_LINES);
}

void FillShape(Batch& batch, const DrawItem& it) {
  if (it.shape == DrawShape::kCorridor) {
    // Each convex piece's fan, as the triangles it is made of.
    for (const std::vector<PixPoint>& piece : it.pieces)
      for (size_t k = 1; k + 1 < piece.size(); ++k) {
        batch.Add(piece[0]);
        batch.Add(piece[k]);
        batch.Add(piece[k + 1]);
      }
    batch.Draw(GL_TRIANGLES);
    return;
  }
  if (!it.triangles.empty()) {
    // An area that is not convex: its own triangles, not a fan that would
    // spill over its bays.
    for (const PixPoint& p : it.triangles) batch.Add(p);
    batch.Draw(GL_TRIANGLES);
    return;
  }
  batch.Add(it.anchor);
  if (it.shape == DrawShape::kCircle) {
    for (int i = 0; i < kDiscRimPoints; ++i) batch.Add(RimPoint(it.anchor, it.radius_px, i, kDiscRimPoints - 1));
  } else {
    for (const PixPoint& p : it.points) batch.Add(p);
    batch.Add(it.points.front());
  }
  batch.Draw(GL_TRIANGLE_FAN);
}

// Stipple bitmaps by pattern, period and thickness, made once.
const Stipple& StippleFor(PatternKind kind, int period, int thickness) {
  static std::vector<std::pair<std::array<int, 3>, Stipple>> made;
  const std::array<int, 3> key{static_cast<int>(kind), period, thickness};
  for (const auto& m : made)
    if (m.first == key) return m.second;
  made.push_back({key, kind == PATTERN_STRIPE ? StripeStipple(period, thickness) : HatchStipple(period, thickness)});
  return made.back().second;
}

void Fill(Batch& batch, const DrawItem& it, const Stipple** current) {
  const DrawColourResult& c = it.colour;
  const float a = c.a;
  if (it.pattern == PATTERN_NONE) {
    glColor4f(c.r, c.g, c.b, a);
    FillShape(batch, it);
    return;
  }
  glColor4f(c.r, c.g, c.b, (it.pattern == PATTERN_STRIPE ? 0.42f : 0.22f) * a);
  FillShape(batch, it);
  if (!it.pattern_pass) return;
  const Stipple& bits = StippleFor(it.pattern, it.stipple_period, it.stipple_thickness);
  if (*current != &bits) {
    glPolygonStipple(bits.data());
    *current = &bits;
  }
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
  FillShape(batch, it);
  glDisable(GL_POLYGON_STIPPLE);
}

void OutlineShape(Batch& batch, const DrawItem& it) {
  if (it.shape == DrawShape::kCircle) {
    for (int i = 0; i < kCircleOutlinePoints; ++i) batch.Add(RimPoint(it.anchor, it.radius_px, i, kCircleOutlinePoints));
    batch.Draw(GL_LINE_LOOP);
  } else {
    for (const PixPoint& p : it.points) batch.Add(p);
    batch.Draw(it.shape == DrawShape::kPolygon ? GL_LINE_LOOP : GL_LINE_STRIP);
  }
}

void Outline(Batch& batch, const DrawItem& it, double overlay_line_width) {
  if (it.highlighted) {
    for (const LineStyle& ls : {HaloStyle(), HighlightStyle()}) {
      const TypeRgb c = SchemeColour(ls.rgba);
      glColor4f(c.r, c.g, c.b, c.a);
      glLineWidth(ls.width_px);
      OutlineShape(batch, it);
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
  OutlineShape(batch, it);
  if (it.doubtful) glDisable(GL_LINE_STIPPLE);
}

}  // namespace

void DrawRouteBandGL(const std::vector<std::vector<PixPoint>>& band) {
  if (band.empty() || !glGetString(GL_VERSION)) return;
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  const TypeRgb c = SchemeColour({kRouteBandRgba[0], kRouteBandRgba[1], kRouteBandRgba[2], kRouteBandRgba[3]});
  glColor4f(c.r, c.g, c.b, c.a);
  // As a corridor warning's band: the pieces overlap a little at the bends.
  for (const std::vector<PixPoint>& piece : band) {
    glBegin(GL_TRIANGLE_FAN);
    for (const PixPoint& p : piece) glVertex2d(p.x, p.y);
    glEnd();
  }
  glPopAttrib();
}

bool DrawFrameGL(const Frame& frame, double overlay_line_width) {
  // Without a current context every call would go nowhere or worse.
  if (!glGetString(GL_VERSION)) return false;
  glPushAttrib(GL_POINT_BIT | GL_LINE_BIT | GL_POLYGON_BIT | GL_POLYGON_STIPPLE_BIT | GL_ENABLE_BIT |
               GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_HINT_BIT);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  static Batch batch;
  batch.Clear();
  const Stipple* current = nullptr;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_POLYGON_SMOOTH);
  glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);

  if (!frame.stations.empty()) {
    const TypeRgb st = SchemeColour({0.2f, 0.55f, 1.0f, 0.85f});
    glColor4f(st.r, st.g, st.b, st.a);
    glPointSize(5.0f);
    for (const PixPoint& p : frame.stations) batch.Add(p);
    batch.Draw(GL_POINTS);
  }

  for (const DrawItem& it : frame.items) {
    if (it.shape == DrawShape::kPolygon || it.shape == DrawShape::kCircle || it.shape == DrawShape::kCorridor)
      Fill(batch, it, &current);
    if (it.shape != DrawShape::kPoint) Outline(batch, it, overlay_line_width);
    DrawSymbol(batch, it.type, it.anchor);
  }

  glPopClientAttrib();
  glPopAttrib();
  return frame.drawn;
}

}  // namespace orvane
