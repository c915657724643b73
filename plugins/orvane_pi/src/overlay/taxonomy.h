// The category colour taxonomy: one bucket (fill colour, pattern, label) per
// chart category, built in, replaceable from colors.json, with the user's
// per-category colour overrides on top. Everything that draws or lists a
// category takes its colours from here.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

// One colour: red, green, blue, alpha, each 0..1.
struct TypeRgb {
  float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
  bool operator==(const TypeRgb& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
  bool operator!=(const TypeRgb& o) const { return !(*this == o); }
};

enum PatternKind : int32_t { PATTERN_NONE = 0, PATTERN_STRIPE = 1, PATTERN_HATCH = 2 };

struct BucketStyle {
  TypeRgb rgba{0.86f, 0.08f, 0.08f, 0.65f};
  PatternKind kind = PATTERN_NONE;
  TypeRgb stripe_rgba{1.0f, 0.55f, 0.85f, 0.55f};
  float angle_deg = 45.0f;  // carried for the file format; no drawing uses it
  float pitch_px = 8.0f;
  float spacing_px = 6.0f;
  float line_width_px = 1.5f;
  std::string label;
};

// A fixed line style for the highlighted message.
struct LineStyle {
  TypeRgb rgba;
  float width_px;
};

// Buckets of all thirteen categories, indexed by MsgType value.
using BucketTable = std::vector<BucketStyle>;

// What reading one colors.json gave.
struct TaxonomyFile {
  bool ok = false;
  std::string reason;  // why the file was not used
  BucketTable buckets;
  int schema_version = 0;
};

// Reads one colors.json. Fails (and changes nothing anywhere) when the file
// cannot be opened, is not JSON or has no "buckets" object.
TaxonomyFile LoadTaxonomyFile(const std::string& path);

// The files tried in order: $ORVANE_COLORS_PATH, then the plug-in's data
// folder's taxonomy/colors.json.
std::vector<std::string> TaxonomyCandidatePaths();

BucketStyle BuiltinStyle(MsgType t);
BucketTable BuiltinBuckets();
PatternKind PatternKindFromName(const std::string& name);
LineStyle HaloStyle();
LineStyle HighlightStyle();

// The process-wide taxonomy. The load runs once per process, whether it
// finds a file or not; it returns whether a file was loaded.
bool EnsureLoaded();
BucketStyle EffectiveStyle(MsgType t);  // without the label
TypeRgb EffectiveRgba(MsgType t);
PatternKind PatternKindOf(MsgType t);
std::string BucketLabel(MsgType t);
int SchemaVersion();
std::optional<TypeRgb> GetOverride(MsgType t);
// Each channel is clamped to 0..1; below 0 or not a number becomes 0.
void SetOverride(MsgType t, TypeRgb rgba);
void ClearOverride(MsgType t);
void ClearAllOverrides();

// Forgets the process-wide taxonomy so that the next EnsureLoaded loads
// again. Only tests call it: the plug-in loads once per process.
void ResetTaxonomyForTesting();

}  // namespace orvane
