#include "overlay/taxonomy.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "common/paths.h"

namespace orvane {
namespace {

using nlohmann::json;

struct BuiltinRow {
  const char* label;
  float r, g, b, a;
  PatternKind kind;
};

// Colours that stand apart from chart water blue and land green; patterns
// separate the categories whose colours colour-blind users confuse.
constexpr BuiltinRow kBuiltins[kMsgTypeCount] = {
    {"Offshore drilling / MODU", 1.0f, 0.45f, 0.05f, 0.55f, PATTERN_NONE},         // DRILLING
    {"Military / firing", 0.90f, 0.10f, 0.10f, 0.55f, PATTERN_NONE},               // MILITARY
    {"Mines / UXO", 0.85f, 0.05f, 0.85f, 0.55f, PATTERN_NONE},                     // MINE
    {"SAR / person search", 1.0f, 0.65f, 0.05f, 0.55f, PATTERN_NONE},              // SAR_OPS
    {"Piracy / armed robbery", 0.80f, 0.20f, 0.0f, 0.55f, PATTERN_NONE},           // PIRACY
    {"Wreck / sunk vessel", 0.60f, 0.20f, 0.20f, 0.55f, PATTERN_NONE},             // WRECK
    {"Drifting hazard", 0.95f, 0.15f, 0.25f, 0.55f, PATTERN_NONE},                 // DRIFT
    {"Aids to navigation", 0.15f, 0.50f, 1.0f, 0.50f, PATTERN_NONE},               // AIDS
    {"Cable / pipe / underwater", 0.55f, 0.35f, 0.12f, 0.55f, PATTERN_NONE},       // CABLE
    {"Weather / ice", 1.0f, 0.25f, 0.75f, 0.55f, PATTERN_STRIPE},                  // WEATHER
    {"Missile / space / range", 0.60f, 0.20f, 1.0f, 0.55f, PATTERN_NONE},          // SPACE
    {"Restricted / exclusion", 0.50f, 0.0f, 0.0f, 0.55f, PATTERN_HATCH},           // RESTRICT
    {"IMPORTANT unclassified (danger)", 0.86f, 0.08f, 0.08f, 0.65f, PATTERN_HATCH},  // OTHER
};

int Index(MsgType t) {
  const int v = static_cast<int>(t);
  return (v >= 0 && v < kMsgTypeCount) ? v : static_cast<int>(OTHER);
}

float Clamp01(float v) {
  if (!(v >= 0.0f)) return 0.0f;  // also not a number
  return v > 1.0f ? 1.0f : v;
}

// A number or a boolean (read as 0 or 1); anything else ends an array read.
bool ReadChannel(const json& v, double* out) {
  if (v.is_boolean()) {
    *out = v.get<bool>() ? 1.0 : 0.0;
    return true;
  }
  if (v.is_number()) {
    *out = v.get<double>();
    return true;
  }
  return false;
}

// A number too large for a float would become infinite and poison every
// size and colour computed from it; such a value is ignored like a wrong type.
bool FitsFloat(double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

// Reads up to n channels of an array, each divided by scale, stopping at
// the first element that is not a number; the channels read before it stay.
void ReadRgba(const json& arr, TypeRgb* c, size_t n, double scale) {
  if (!arr.is_array()) return;
  float* const ch[4] = {&c->r, &c->g, &c->b, &c->a};
  for (size_t i = 0; i < n && i < arr.size(); ++i) {
    double v;
    if (!ReadChannel(arr[i], &v)) return;
    if (!FitsFloat(v / scale)) return;
    *ch[i] = static_cast<float>(v / scale);
  }
}

void ReadNumber(const json& obj, const char* key, float* out) {
  const auto it = obj.find(key);
  if (it != obj.end() && it->is_number() && FitsFloat(it->get<double>())) *out = static_cast<float>(it->get<double>());
}

void ApplyBucketEntry(MsgType t, const json& e, BucketStyle* s) {
  if (auto it = e.find("label"); it != e.end() && it->is_string()) s->label = it->get<std::string>();
  if (auto it = e.find("rgb"); it != e.end()) ReadRgba(*it, &s->rgba, 3, 255.0);
  ReadNumber(e, "default_a", &s->rgba.a);
  const auto pattern = e.find("pattern");
  if (pattern != e.end() && pattern->is_string()) {
    s->kind = PatternKindFromName(pattern->get<std::string>());
  } else if (auto h = e.find("hatch"); h != e.end() && h->is_boolean() && h->get<bool>()) {
    // The old boolean switch: weather has always been striped, the rest hatched.
    s->kind = t == WEATHER ? PATTERN_STRIPE : PATTERN_HATCH;
  }
}

void ApplyPatternEntry(const json& e, BucketStyle* s) {
  if (auto it = e.find("kind"); it != e.end() && it->is_string()) s->kind = PatternKindFromName(it->get<std::string>());
  ReadNumber(e, "angle_deg", &s->angle_deg);
  ReadNumber(e, "pitch_px", &s->pitch_px);
  ReadNumber(e, "spacing_px", &s->spacing_px);
  ReadNumber(e, "line_width_px", &s->line_width_px);
  if (auto it = e.find("rgba"); it != e.end()) ReadRgba(*it, &s->rgba, 4, 1.0);
  if (auto it = e.find("stripe_rgba"); it != e.end()) ReadRgba(*it, &s->stripe_rgba, 4, 1.0);
}

// The process-wide state and its one lock. Not recursive: every public
// operation runs EnsureLoaded first and takes the lock only afterwards.
struct Taxonomy {
  std::mutex mu;
  BucketTable buckets;  // empty until the first load attempt
  std::map<int, TypeRgb> overrides;
  bool attempted = false;
  bool loaded = false;
  int schema_version = 0;
};

Taxonomy& State() {
  static Taxonomy t;
  return t;
}

BucketStyle BucketOf(const Taxonomy& tx, MsgType t) {
  const int i = Index(t);
  return i < static_cast<int>(tx.buckets.size()) ? tx.buckets[i] : BuiltinStyle(static_cast<MsgType>(i));
}

}  // namespace

BucketStyle BuiltinStyle(MsgType t) {
  const BuiltinRow& row = kBuiltins[Index(t)];
  BucketStyle s;
  s.rgba = {row.r, row.g, row.b, row.a};
  s.kind = row.kind;
  s.label = row.label;
  return s;
}

BucketTable BuiltinBuckets() {
  BucketTable t;
  for (int i = 0; i < kMsgTypeCount; ++i) t.push_back(BuiltinStyle(static_cast<MsgType>(i)));
  return t;
}

PatternKind PatternKindFromName(const std::string& name) {
  if (name == "stripe") return PATTERN_STRIPE;
  if (name == "hatch") return PATTERN_HATCH;
  return PATTERN_NONE;
}

LineStyle HaloStyle() { return {{0.08f, 0.08f, 0.10f, 0.95f}, 8.0f}; }
LineStyle HighlightStyle() { return {{1.0f, 1.0f, 0.35f, 1.0f}, 5.0f}; }

TaxonomyFile LoadTaxonomyFile(const std::string& path) {
  TaxonomyFile out;
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    out.reason = "cannot open " + path;
    return out;
  }
  const json root = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (root.is_discarded()) {
    out.reason = "not valid JSON: " + path;
    return out;
  }
  const auto buckets = root.is_object() ? root.find("buckets") : root.end();
  if (!root.is_object() || buckets == root.end() || !buckets->is_object()) {
    out.reason = "no \"buckets\" object: " + path;
    return out;
  }
  out.buckets = BuiltinBuckets();
  if (auto v = root.find("version"); v != root.end() && v->is_number_integer()) {
    const auto n = v->get<int64_t>();
    // A version that does not fit an int says nothing usable.
    if (n >= INT32_MIN && n <= INT32_MAX) out.schema_version = static_cast<int>(n);
  }
  const json empty = json::object();
  const auto pat_it = root.find("patterns");
  const json& patterns = (pat_it != root.end() && pat_it->is_object()) ? *pat_it : empty;

  // Members come sorted by key, so of "CABLE" and "CABLE_PIPE" the later wins.
  for (const auto& [key, entry] : buckets->items()) {
    if (!entry.is_object()) continue;
    const MsgType t = ParseTypeName(key);
    if (t == OTHER && key != "OTHER") continue;
    BucketStyle s = BuiltinStyle(t);  // each entry starts from the built-in bucket
    ApplyBucketEntry(t, entry, &s);
    if (auto p = patterns.find(key); p != patterns.end() && p->is_object()) ApplyPatternEntry(*p, &s);
    out.buckets[t] = std::move(s);
  }
  out.ok = true;
  return out;
}

std::vector<std::string> TaxonomyCandidatePaths() {
  std::vector<std::string> paths;
  if (const char* env = std::getenv("ORVANE_COLORS_PATH"); env && *env) paths.emplace_back(env);
  paths.push_back(PluginDataDir() + "/taxonomy/colors.json");
  return paths;
}

bool EnsureLoaded() {
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  if (tx.attempted) return tx.loaded;
  tx.attempted = true;  // never retried, whatever the outcome
  for (const std::string& path : TaxonomyCandidatePaths()) {
    if (path.empty()) continue;
    TaxonomyFile f = LoadTaxonomyFile(path);
    if (!f.ok) continue;
    tx.buckets = std::move(f.buckets);
    tx.schema_version = f.schema_version;
    tx.loaded = true;
    return true;
  }
  tx.buckets = BuiltinBuckets();
  tx.schema_version = 0;
  tx.loaded = false;
  return false;
}

BucketStyle EffectiveStyle(MsgType t) {
  EnsureLoaded();
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  BucketStyle s = BucketOf(tx, t);
  s.label.clear();
  if (auto it = tx.overrides.find(Index(t)); it != tx.overrides.end()) s.rgba = it->second;
  return s;
}

TypeRgb EffectiveRgba(MsgType t) { return EffectiveStyle(t).rgba; }
PatternKind PatternKindOf(MsgType t) { return EffectiveStyle(t).kind; }

std::string BucketLabel(MsgType t) {
  EnsureLoaded();
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  return BucketOf(tx, t).label;
}

int SchemaVersion() {
  EnsureLoaded();
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  return tx.schema_version;
}

std::optional<TypeRgb> GetOverride(MsgType t) {
  EnsureLoaded();
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  auto it = tx.overrides.find(Index(t));
  if (it == tx.overrides.end()) return std::nullopt;
  return it->second;
}

void SetOverride(MsgType t, TypeRgb c) {
  EnsureLoaded();
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  tx.overrides[Index(t)] = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b), Clamp01(c.a)};
}

void ClearOverride(MsgType t) {
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  tx.overrides.erase(Index(t));
}

void ClearAllOverrides() {
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  tx.overrides.clear();
}

void ResetTaxonomyForTesting() {
  Taxonomy& tx = State();
  std::lock_guard<std::mutex> lock(tx.mu);
  tx.buckets.clear();
  tx.overrides.clear();
  tx.attempted = tx.loaded = false;
  tx.schema_version = 0;
}

}  // namespace orvane
