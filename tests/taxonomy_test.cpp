// The colour taxonomy: built-in buckets, colors.json read from real files
// in a temporary data root, the load-once rule and the overrides.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "common/paths.h"
#include "overlay/taxonomy.h"
#include "test_support.h"

namespace orvane {
namespace {

void ExpectSameBucket(const BucketStyle& got, const BucketStyle& want) {
  EXPECT_EQ(got.rgba, want.rgba);
  EXPECT_EQ(got.kind, want.kind);
  EXPECT_EQ(got.stripe_rgba, want.stripe_rgba);
  EXPECT_EQ(got.angle_deg, want.angle_deg);
  EXPECT_EQ(got.pitch_px, want.pitch_px);
  EXPECT_EQ(got.spacing_px, want.spacing_px);
  EXPECT_EQ(got.line_width_px, want.line_width_px);
  EXPECT_EQ(got.label, want.label);
}

class TaxonomyTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("ORVANE_COLORS_PATH");
    ResetTaxonomyForTesting();
  }
  void TearDown() override {
    unsetenv("ORVANE_COLORS_PATH");
    ResetTaxonomyForTesting();
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = root_.dir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // The plug-in's own data folder, the second place looked at.
  std::string WriteDefault(const std::string& text) {
    const std::string dir = PluginDataDir() + "/taxonomy";
    EnsureDirectory(dir);
    std::ofstream(dir + "/colors.json", std::ios::binary) << text;
    return dir + "/colors.json";
  }
  TaxonomyFile Load(const std::string& text) { return LoadTaxonomyFile(Write("colors.json", text)); }

  test::TempDataRoot root_;
};

TEST_F(TaxonomyTest, BuiltinTable) {
  const BucketStyle fresh;
  EXPECT_EQ(fresh.rgba, (TypeRgb{0.86f, 0.08f, 0.08f, 0.65f}));
  EXPECT_EQ(fresh.kind, PATTERN_NONE);
  EXPECT_TRUE(fresh.label.empty());

  EXPECT_EQ(BuiltinStyle(DRILLING).label, "Offshore drilling / MODU");
  EXPECT_EQ(BuiltinStyle(DRILLING).rgba, (TypeRgb{1.0f, 0.45f, 0.05f, 0.55f}));
  EXPECT_EQ(BuiltinStyle(AIDS).rgba, (TypeRgb{0.15f, 0.50f, 1.0f, 0.50f}));
  EXPECT_EQ(BuiltinStyle(WEATHER).kind, PATTERN_STRIPE);
  EXPECT_EQ(BuiltinStyle(RESTRICT).kind, PATTERN_HATCH);
  EXPECT_EQ(BuiltinStyle(OTHER).kind, PATTERN_HATCH);
  EXPECT_EQ(BuiltinStyle(OTHER).label, "IMPORTANT unclassified (danger)");
  EXPECT_EQ(BuiltinStyle(MINE).stripe_rgba, (TypeRgb{1.0f, 0.55f, 0.85f, 0.55f}));
  // A value outside the thirteen takes the OTHER bucket.
  EXPECT_EQ(BuiltinStyle(static_cast<MsgType>(40)).label, BuiltinStyle(OTHER).label);
  EXPECT_EQ(BuiltinStyle(static_cast<MsgType>(-1)).rgba, BuiltinStyle(OTHER).rgba);

  EXPECT_EQ(HaloStyle().rgba, (TypeRgb{0.08f, 0.08f, 0.10f, 0.95f}));
  EXPECT_EQ(HaloStyle().width_px, 8.0f);
  EXPECT_EQ(HighlightStyle().rgba, (TypeRgb{1.0f, 1.0f, 0.35f, 1.0f}));
  EXPECT_EQ(HighlightStyle().width_px, 5.0f);
  EXPECT_EQ(PatternKindFromName("stripe"), PATTERN_STRIPE);
  EXPECT_EQ(PatternKindFromName("hatch"), PATTERN_HATCH);
  EXPECT_EQ(PatternKindFromName("Hatch"), PATTERN_NONE);
  EXPECT_EQ(PatternKindFromName(""), PATTERN_NONE);
}

TEST_F(TaxonomyTest, ShippedFileStatesTheBuiltins) {
  const TaxonomyFile f = LoadTaxonomyFile(ORVANE_DATA_DIR "/taxonomy/colors.json");
  ASSERT_TRUE(f.ok) << f.reason;
  EXPECT_EQ(f.schema_version, 1);
  ASSERT_EQ(f.buckets.size(), static_cast<size_t>(kMsgTypeCount));
  for (int i = 0; i < kMsgTypeCount; ++i) {
    SCOPED_TRACE(TypeName(static_cast<MsgType>(i)));
    ExpectSameBucket(f.buckets[i], BuiltinStyle(static_cast<MsgType>(i)));
  }
}

TEST_F(TaxonomyTest, NoFileAnywhereGivesTheBuiltins) {
  EXPECT_FALSE(EnsureLoaded());
  EXPECT_EQ(SchemaVersion(), 0);
  for (int i = 0; i < kMsgTypeCount; ++i) {
    const MsgType t = static_cast<MsgType>(i);
    EXPECT_EQ(EffectiveRgba(t), BuiltinStyle(t).rgba);
    EXPECT_EQ(PatternKindOf(t), BuiltinStyle(t).kind);
    EXPECT_EQ(BucketLabel(t), BuiltinStyle(t).label);
  }
  EXPECT_TRUE(EffectiveStyle(MINE).label.empty());
}

TEST_F(TaxonomyTest, BrokenFirstCandidateFallsToTheSecond) {
  setenv("ORVANE_COLORS_PATH", Write("broken.json", "{\"version\": 4, \"buckets\": {").c_str(), 1);
  WriteDefault(R"({"version": 7, "buckets": {"AIDS": {"rgb": [0, 255, 0]}}})");
  EXPECT_TRUE(EnsureLoaded());
  EXPECT_EQ(SchemaVersion(), 7);
  EXPECT_EQ(EffectiveRgba(AIDS), (TypeRgb{0.0f, 1.0f, 0.0f, 0.50f}));
  EXPECT_EQ(EffectiveRgba(MINE), BuiltinStyle(MINE).rgba);
}

TEST_F(TaxonomyTest, EnvironmentFileWinsAndTheLoadRunsOnce) {
  setenv("ORVANE_COLORS_PATH", Write("first.json", R"({"version": 2, "buckets": {}})").c_str(), 1);
  WriteDefault(R"({"version": 5, "buckets": {}})");
  EXPECT_TRUE(EnsureLoaded());
  EXPECT_EQ(SchemaVersion(), 2);
  // Changing the file afterwards changes nothing in this process.
  Write("first.json", R"({"version": 9, "buckets": {}})");
  EXPECT_TRUE(EnsureLoaded());
  EXPECT_EQ(SchemaVersion(), 2);
}

TEST_F(TaxonomyTest, ArraysWhereObjectsBelongFallBackToBuiltins) {
  setenv("ORVANE_COLORS_PATH", Write("array_root.json", R"([{"buckets": {}}])").c_str(), 1);
  WriteDefault(R"({"version": 3, "buckets": [{"AIDS": {"rgb": [0, 0, 0]}}]})");
  EXPECT_FALSE(EnsureLoaded());
  EXPECT_EQ(SchemaVersion(), 0);
  EXPECT_EQ(EffectiveRgba(AIDS), BuiltinStyle(AIDS).rgba);
}

TEST_F(TaxonomyTest, FileRejections) {
  EXPECT_FALSE(LoadTaxonomyFile(root_.dir() + "/missing.json").ok);
  EXPECT_FALSE(Load("not json").ok);
  EXPECT_FALSE(Load(R"({"version": 1})").ok);
  EXPECT_FALSE(Load(R"({"buckets": "AIDS"})").ok);
  EXPECT_TRUE(Load(R"({"buckets": {}})").ok);
}

TEST_F(TaxonomyTest, BucketEntries) {
  // Only AIDS given: the other twelve keep their built-in values; names are
  // matched exactly, so "Aids" and "FOG" are ignored.
  TaxonomyFile f = Load(R"({"buckets": {
      "AIDS": {"label": "Buoys", "rgb": [0, 0, 255], "default_a": 0.25},
      "Aids": {"rgb": [255, 255, 255]},
      "FOG": {"rgb": [255, 255, 255]},
      "MINE": "not an object"}})");
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.buckets[AIDS].label, "Buoys");
  EXPECT_EQ(f.buckets[AIDS].rgba, (TypeRgb{0.0f, 0.0f, 1.0f, 0.25f}));
  for (int i = 0; i < kMsgTypeCount; ++i)
    if (i != AIDS) ExpectSameBucket(f.buckets[i], BuiltinStyle(static_cast<MsgType>(i)));

  // CABLE_PIPE is a second name for CABLE.
  f = Load(R"({"buckets": {"CABLE_PIPE": {"rgb": [255, 0, 0]}}})");
  EXPECT_EQ(f.buckets[CABLE].rgba, (TypeRgb{1.0f, 0.0f, 0.0f, 0.55f}));
  // Both present: the later key in sorted order wins.
  f = Load(R"({"buckets": {"CABLE_PIPE": {"rgb": [0, 255, 0]}, "CABLE": {"rgb": [255, 0, 0]}}})");
  EXPECT_EQ(f.buckets[CABLE].rgba, (TypeRgb{0.0f, 1.0f, 0.0f, 0.55f}));

  // "rgb": [255, "x", 0] reads red only; a boolean reads as 0 or 1.
  f = Load(R"({"buckets": {"MINE": {"rgb": [255, "x", 0]}, "WRECK": {"rgb": [true, false, 51, 9]}}})");
  EXPECT_EQ(f.buckets[MINE].rgba, (TypeRgb{1.0f, 0.05f, 0.85f, 0.55f}));
  EXPECT_EQ(f.buckets[WRECK].rgba, (TypeRgb{1.0f / 255.0f, 0.0f, 0.2f, 0.55f}));

  // Wrong member types keep the field's value.
  f = Load(R"({"buckets": {"MINE": {"label": 5, "rgb": "red", "default_a": "0.3"}}})");
  ExpectSameBucket(f.buckets[MINE], BuiltinStyle(MINE));

  // An entry starts from the built-in bucket, never from an earlier entry.
  f = Load(R"({"buckets": {"OTHER": {"label": "Anything else"}}})");
  EXPECT_EQ(f.buckets[OTHER].label, "Anything else");
  EXPECT_EQ(f.buckets[OTHER].rgba, BuiltinStyle(OTHER).rgba);
}

TEST_F(TaxonomyTest, PatternAndHatchRules) {
  TaxonomyFile f = Load(R"({"buckets": {
      "WEATHER": {"hatch": true},
      "MINE": {"hatch": true},
      "DRIFT": {"pattern": "dots", "hatch": true},
      "AIDS": {"pattern": 3, "hatch": true},
      "RESTRICT": {"hatch": false},
      "SPACE": {"pattern": "stripe"}}})");
  EXPECT_EQ(f.buckets[WEATHER].kind, PATTERN_STRIPE);
  EXPECT_EQ(f.buckets[MINE].kind, PATTERN_HATCH);
  EXPECT_EQ(f.buckets[DRIFT].kind, PATTERN_NONE);
  EXPECT_EQ(f.buckets[AIDS].kind, PATTERN_HATCH);  // "pattern" not a string: "hatch" decides
  EXPECT_EQ(f.buckets[RESTRICT].kind, PATTERN_HATCH);
  EXPECT_EQ(f.buckets[SPACE].kind, PATTERN_STRIPE);

  // "patterns" apply only beside a "buckets" entry of the same key.
  f = Load(R"({"buckets": {"MINE": {}},
      "patterns": {
        "WEATHER": {"rgba": [0, 0, 1, 0.3]},
        "MINE": {"kind": "stripe", "pitch_px": 12, "spacing_px": 3, "line_width_px": 2, "angle_deg": 30,
                 "rgba": [0, 1, 0, 0.4], "stripe_rgba": [0.1, 0.2, "x", 0.4]}}})");
  EXPECT_EQ(f.buckets[WEATHER].rgba, BuiltinStyle(WEATHER).rgba);
  const BucketStyle& mine = f.buckets[MINE];
  EXPECT_EQ(mine.kind, PATTERN_STRIPE);
  EXPECT_EQ(mine.pitch_px, 12.0f);
  EXPECT_EQ(mine.spacing_px, 3.0f);
  EXPECT_EQ(mine.line_width_px, 2.0f);
  EXPECT_EQ(mine.angle_deg, 30.0f);
  EXPECT_EQ(mine.rgba, (TypeRgb{0.0f, 1.0f, 0.0f, 0.4f}));
  EXPECT_EQ(mine.stripe_rgba, (TypeRgb{0.1f, 0.2f, 0.85f, 0.55f}));
}

TEST_F(TaxonomyTest, SchemaVersionMustBeAnInteger) {
  EXPECT_EQ(Load(R"({"version": 2.5, "buckets": {}})").schema_version, 0);
  EXPECT_EQ(Load(R"({"version": "3", "buckets": {}})").schema_version, 0);
  EXPECT_EQ(Load(R"({"version": 3, "buckets": {}})").schema_version, 3);
  EXPECT_EQ(Load(R"({"buckets": {}})").schema_version, 0);
}

TEST_F(TaxonomyTest, OverridesAreClampedAndReplaceTheColourOnly) {
  SetOverride(MINE, {1.2f, -0.5f, 0.5f, 2.0f});
  ASSERT_TRUE(GetOverride(MINE).has_value());
  EXPECT_EQ(*GetOverride(MINE), (TypeRgb{1.0f, 0.0f, 0.5f, 1.0f}));
  EXPECT_EQ(EffectiveRgba(MINE), (TypeRgb{1.0f, 0.0f, 0.5f, 1.0f}));
  EXPECT_EQ(PatternKindOf(MINE), BuiltinStyle(MINE).kind);
  EXPECT_EQ(EffectiveStyle(MINE).stripe_rgba, BuiltinStyle(MINE).stripe_rgba);

  SetOverride(WEATHER, {NAN, 0.5f, INFINITY, -INFINITY});
  EXPECT_EQ(*GetOverride(WEATHER), (TypeRgb{0.0f, 0.5f, 1.0f, 0.0f}));
  EXPECT_EQ(PatternKindOf(WEATHER), PATTERN_STRIPE);

  ClearOverride(MINE);
  EXPECT_FALSE(GetOverride(MINE).has_value());
  EXPECT_EQ(EffectiveRgba(MINE), BuiltinStyle(MINE).rgba);
  ClearAllOverrides();
  EXPECT_FALSE(GetOverride(WEATHER).has_value());
}

}  // namespace
}  // namespace orvane
