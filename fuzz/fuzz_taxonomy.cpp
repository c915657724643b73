// The colour file loader on arbitrary files: no exception escapes, every
// colour channel and pattern size it hands on is a finite number, and a
// refused file leaves the built-in colours in use.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "fuzz_check.h"
#include "fuzz_files.h"
#include "overlay/taxonomy.h"

using namespace orvane;

namespace {

void CheckRgb(const TypeRgb& c) {
  for (float v : {c.r, c.g, c.b, c.a}) FUZZ_CHECK(std::isfinite(v));
}

bool SameStyle(const BucketStyle& x, const BucketStyle& y) {
  return x.rgba == y.rgba && x.kind == y.kind && x.stripe_rgba == y.stripe_rgba && x.angle_deg == y.angle_deg &&
         x.pitch_px == y.pitch_px && x.spacing_px == y.spacing_px && x.line_width_px == y.line_width_px;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchDir() + "/colors.json";
  static const bool env = (setenv("ORVANE_COLORS_PATH", path.c_str(), 1), true);
  (void)env;
  fuzz::WriteInput(path, data, size);

  TaxonomyFile f;
  try {
    f = LoadTaxonomyFile(path);
  } catch (...) {
    FUZZ_CHECK(!"LoadTaxonomyFile threw");
  }
  FUZZ_CHECK(f.ok || !f.reason.empty());
  FUZZ_CHECK(f.ok == (f.buckets.size() == static_cast<size_t>(kMsgTypeCount)));
  for (const BucketStyle& s : f.buckets) {
    CheckRgb(s.rgba);
    CheckRgb(s.stripe_rgba);
    for (float v : {s.angle_deg, s.pitch_px, s.spacing_px, s.line_width_px}) FUZZ_CHECK(std::isfinite(v));
    FUZZ_CHECK(s.kind == PATTERN_NONE || s.kind == PATTERN_STRIPE || s.kind == PATTERN_HATCH);
    FUZZ_CHECK(IsValidUtf8(s.label));
  }
  const TaxonomyFile again = LoadTaxonomyFile(path);
  FUZZ_CHECK(again.ok == f.ok && again.schema_version == f.schema_version);
  for (size_t i = 0; i < f.buckets.size(); ++i) FUZZ_CHECK(SameStyle(f.buckets[i], again.buckets[i]));

  // The process-wide taxonomy takes the file only when the loader does;
  // otherwise every category keeps its built-in colours.
  ResetTaxonomyForTesting();
  FUZZ_CHECK(EnsureLoaded() == f.ok);
  for (int t = 0; t < kMsgTypeCount; ++t) {
    const MsgType type = static_cast<MsgType>(t);
    const BucketStyle want = f.ok ? f.buckets[t] : BuiltinStyle(type);
    FUZZ_CHECK(SameStyle(EffectiveStyle(type), want));
    CheckRgb(EffectiveRgba(type));  // file values are not range-checked, only finite
  }
  return 0;
}
