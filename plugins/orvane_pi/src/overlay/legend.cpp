#include "overlay/legend.h"

namespace orvane {
namespace {

struct Named {
  const char* word;
  float r, g, b;
};

// Words a navigator reads a colour by; the nearest one names it.
constexpr Named kNamed[] = {
    {"red", 0.86f, 0.08f, 0.08f},    {"deep-red", 0.55f, 0.0f, 0.0f},   {"crimson", 0.75f, 0.05f, 0.25f},
    {"orange", 1.0f, 0.55f, 0.0f},   {"amber", 1.0f, 0.75f, 0.0f},      {"yellow", 1.0f, 1.0f, 0.0f},
    {"lime", 0.6f, 1.0f, 0.0f},      {"green", 0.0f, 0.6f, 0.1f},       {"teal", 0.0f, 0.5f, 0.5f},
    {"cyan", 0.0f, 0.9f, 0.9f},      {"blue", 0.1f, 0.3f, 0.95f},       {"navy", 0.0f, 0.0f, 0.45f},
    {"violet", 0.55f, 0.25f, 0.85f}, {"magenta", 0.9f, 0.0f, 0.9f},     {"pink", 1.0f, 0.55f, 0.75f},
    {"brown", 0.55f, 0.3f, 0.1f},    {"grey", 0.5f, 0.5f, 0.5f},        {"black", 0.0f, 0.0f, 0.0f},
    {"white", 1.0f, 1.0f, 1.0f},
};

}  // namespace

const char* ColourWord(const TypeRgb& c) {
  const Named* best = &kNamed[0];
  float best_d = 1e9f;
  for (const Named& n : kNamed) {
    const float dr = c.r - n.r, dg = c.g - n.g, db = c.b - n.b;
    const float d = dr * dr + dg * dg + db * db;
    if (d < best_d) {
      best_d = d;
      best = &n;
    }
  }
  return best->word;
}

std::string LegendLine() {
  std::string line = "Legend: ";
  for (int t = 0; t < kMsgTypeCount; ++t) {
    const BucketStyle s = EffectiveStyle(static_cast<MsgType>(t));
    if (t > 0) line += " | ";
    line += TypeName(static_cast<MsgType>(t));
    line += ' ';
    line += ColourWord(s.rgba);
    if (s.kind == PATTERN_STRIPE) line += " stripe";
    if (s.kind == PATTERN_HATCH) line += " hatch";
  }
  return line;
}

}  // namespace orvane
