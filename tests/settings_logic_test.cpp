// The settings rules without a file or a window: limits, masks, override
// text and the locale-free number texts.
#include <gtest/gtest.h>

#include <cmath>

#include "settings/settings.h"

namespace orvane {
namespace {

TEST(SettingsKeys, SavedInOrderWithTheirDefaults) {
  EXPECT_EQ(SettingsKeys(),
            (std::vector<std::string>{"Show", "RangeAll", "RangeNm", "RouteFilter", "CorridorNm", "FetchIntervalMin",
                                      "FetchScheduleEnabled", "NavareaAuto", "CoastalFeedsEnabled", "IncludeArchive",
                                      "AdmiraltyHtmlEnabled", "NgaHtmlEnabled", "AdjacentPrefetch", "FetchGapMs",
                                      "ExtraFeedUrls", "NavareaMask", "OverlayAlpha", "OverlayLineWidth",
                                      "PatternFill", "ShowLegend", "UiTheme", "TypeMask", "B2Mask", "ReceiverSource",
                                      "ReceiverSerialDevice", "ReceiverBaud", "ReceiverTcp", "ReceiverUdp",
                                      "ReceiverFile", "ReceiverGarbledPercent", "ReceiverB1Mask", "ReceiverB2Mask"}));
  const Settings s;
  EXPECT_TRUE(s.show);
  EXPECT_TRUE(s.show_legend);
  EXPECT_EQ(s.range_nm, 1000.0);
  EXPECT_EQ(s.corridor_nm, 50.0);
  EXPECT_EQ(s.fetch_gap_ms, 750);
  EXPECT_EQ(s.navarea_mask, 0x1FFFFF);
  EXPECT_EQ(s.type_mask, 0xFFFF);
  EXPECT_EQ(s.b2_mask, static_cast<int32_t>(0xFDFFFFFF));
  EXPECT_EQ(ColorOverrideKey(SAR_OPS), "ColorOverride_SAR_OPS");
  EXPECT_EQ(ColorOverrideKey(OTHER), "ColorOverride_OTHER");
}

TEST(SettingsLimits, Table) {
  EXPECT_EQ(LimitFetchIntervalMin(2), 5);
  EXPECT_EQ(LimitFetchIntervalMin(99999999999), 1440);
  EXPECT_EQ(LimitFetchGapMs(100), 750);
  EXPECT_EQ(LimitFetchGapMs(60001), 60000);
  EXPECT_EQ(LimitOverlayAlpha(1.0), 0.85);
  EXPECT_EQ(LimitOverlayAlpha(0.0), 0.1);
  EXPECT_EQ(LimitOverlayAlpha(NAN), 0.35);
  EXPECT_EQ(LimitOverlayLineWidth(0.5), 1.0);
  EXPECT_EQ(LimitOverlayLineWidth(9.0), 6.0);
  EXPECT_EQ(LimitUiTheme(7), 0);
  EXPECT_EQ(LimitUiTheme(-1), 0);
  EXPECT_EQ(LimitUiTheme(2), 2);
  // A corridor of no width, a negative one or NaN would hide every warning.
  EXPECT_EQ(LimitCorridorNm(0.0), 50.0);
  EXPECT_EQ(LimitCorridorNm(-3.0), 50.0);
  EXPECT_EQ(LimitCorridorNm(NAN), 50.0);
  EXPECT_EQ(LimitCorridorNm(12.5), 12.5);
  EXPECT_EQ(LimitNavareaMask(-1), 0x1FFFFF);
  EXPECT_EQ(LimitNavareaMask(0), 0);  // a setter keeps an empty selection
  EXPECT_EQ(LoadNavareaMask(0, nullptr), 0x1FFFFF);
  EXPECT_EQ(LoadNavareaMask(-1, nullptr), 0x1FFFFF);
  EXPECT_EQ(LoadNavareaMask((1 << 22) | 4, nullptr), 4);
}

TEST(SettingsLimits, ReceiverRules) {
  const Settings s;
  EXPECT_EQ(s.receiver_source, 0);  // off until the user picks an input
  EXPECT_EQ(s.receiver_baud, 4800);
  EXPECT_EQ(s.receiver_tcp, "127.0.0.1:10110");
  EXPECT_EQ(s.receiver_udp, "127.0.0.1:10110");  // loopback: nothing listens on the ship's network unasked
  EXPECT_EQ(s.receiver_garbled_percent, 4.0);
  EXPECT_EQ(LimitReceiverSource(6), 0);
  EXPECT_EQ(LimitReceiverSource(-1), 0);
  EXPECT_EQ(LimitReceiverSource(5), 5);
  EXPECT_EQ(LimitReceiverBaud(38400), 38400);
  EXPECT_EQ(LimitReceiverBaud(12345), 4800);
  EXPECT_EQ(LimitGarbledPercent(std::nan("")), 4.0);
  EXPECT_EQ(LimitGarbledPercent(250), 100.0);
  EXPECT_EQ(LimitGarbledPercent(-1), 0.0);
}

TEST(SettingsLimits, TypeAndB2MaskRules) {
  SettingsLoadNotes notes;
  EXPECT_EQ(LoadTypeMask(0, &notes), 0x1FFF);
  EXPECT_EQ(LoadTypeMask(-1, &notes), 0x1FFF);
  EXPECT_EQ(LoadTypeMask(4294967295, &notes), 0x1FFF);
  EXPECT_EQ(LoadTypeMask(0xE000, &notes), 0x1FFF);  // no low bit left
  EXPECT_FALSE(notes.mandatory_types_reenabled);
  EXPECT_EQ(LoadTypeMask(1, &notes), 6809);
  EXPECT_TRUE(notes.mandatory_types_reenabled);

  EXPECT_EQ(LoadB2Mask(0, nullptr), 2059);
  EXPECT_EQ(LoadB2Mask(-1, nullptr), static_cast<int32_t>(0xFDFFFFFF));
  EXPECT_EQ(LoadB2Mask(kDefaultB2Mask, nullptr), kDefaultB2Mask);
}

TEST(SettingsQueries, MasksAndRange) {
  EXPECT_TRUE(IsTypeVisible(1 << MINE, MINE));
  EXPECT_FALSE(IsTypeVisible(1 << MINE, WRECK));
  EXPECT_TRUE(IsTypeVisible(1 << OTHER, static_cast<MsgType>(77)));  // outside 0..12 uses OTHER's bit
  EXPECT_EQ(WithTypeVisible(0x1FFF, SAR_OPS, false), 0x1FFF & ~(1 << SAR_OPS));
  EXPECT_TRUE(IsMandatoryType(RESTRICT));
  EXPECT_FALSE(IsMandatoryType(MINE));

  EXPECT_TRUE(IsB2Visible(0, '?'));         // no letter: always shown
  EXPECT_FALSE(IsB2Visible(-1, 'Z'));       // Z never
  EXPECT_FALSE(IsB2Visible(-1, 'z'));
  EXPECT_TRUE(IsB2Visible(1 << 3, 'd'));    // upper-cased first
  EXPECT_FALSE(IsB2Visible(1 << 3, 'E'));

  EXPECT_EQ(SelectedNavareas(0x1FFFFF).size(), 21u);
  EXPECT_EQ(SelectedNavareas(4 | (1 << 20)), (std::vector<int>{3, 21}));
  EXPECT_TRUE(SelectedNavareas(0).empty());

  Settings s;
  SetRangeFromDistance(&s, -1);
  EXPECT_TRUE(s.range_all);
  EXPECT_EQ(s.range_nm, 10000.0);
  SetRangeFromDistance(&s, 2);
  EXPECT_FALSE(s.range_all);
  EXPECT_EQ(s.range_nm, 5.0);
  SetRangeFromDistance(&s, 9000);
  EXPECT_EQ(s.range_nm, 5000.0);
  SetRangeFromDistance(&s, 250);
  EXPECT_EQ(s.range_nm, 250.0);
}

TEST(OverrideText, ReadLikeScanfWrittenWithFourDecimals) {
  struct Case {
    const char* text;
    bool ok;
    TypeRgb rgba;
  };
  const Case cases[] = {
      {"1,0,0", true, {1, 0, 0, 0.55f}},
      {"1,0", false, {}},
      {"0.2,0.4,0.6,0.8", true, {0.2f, 0.4f, 0.6f, 0.8f}},
      {" 0.2, 0.4, 0.6", true, {0.2f, 0.4f, 0.6f, 0.55f}},  // blanks may lead a number
      {"0.2 ,0.4,0.6", false, {}},                          // but a comma must follow directly
      {"1,0,0,x", true, {1, 0, 0, 0.55f}},
      {"1,0,0,0.5,9", true, {1, 0, 0, 0.5f}},
      {"-1,+2,3e-1", true, {-1, 2, 0.3f, 0.55f}},
      {"1;0;0", false, {}},
      {"", false, {}},
      {"--1,0,0", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<TypeRgb> got = ParseOverrideText(c.text);
    ASSERT_EQ(got.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(*got, c.rgba);
    }
  }
  EXPECT_EQ(FormatOverrideText({1, 0, 0, 0.55f}), "1.0000,0.0000,0.0000,0.5500");
  EXPECT_EQ(FormatOverrideText({0.12345f, 0.5f, 1, 0}), "0.1235,0.5000,1.0000,0.0000");
}

TEST(SettingNumbers, LocaleFreeText) {
  EXPECT_EQ(FormatSettingDouble(0.35), "0.35");
  EXPECT_EQ(FormatSettingDouble(2.0), "2");
  EXPECT_EQ(FormatSettingDouble(10000.0), "10000");
  EXPECT_EQ(ParseSettingDouble("0.35"), 0.35);
  EXPECT_EQ(ParseSettingDouble(" 12.5 "), 12.5);
  EXPECT_EQ(ParseSettingDouble("0,35"), 0.35);  // written under a decimal-comma locale
  EXPECT_FALSE(ParseSettingDouble("nan"));
  EXPECT_FALSE(ParseSettingDouble("abc"));
  EXPECT_FALSE(ParseSettingDouble(""));
  EXPECT_EQ(ParseSettingInt("-33554433"), -33554433);
  EXPECT_EQ(ParseSettingInt("+7"), 7);
  EXPECT_FALSE(ParseSettingInt("7x"));
  EXPECT_FALSE(ParseSettingInt("1.5"));
  EXPECT_EQ(ParseSettingBool("1"), true);
  EXPECT_EQ(ParseSettingBool("0"), false);
  EXPECT_EQ(ParseSettingBool("true"), true);
  EXPECT_FALSE(ParseSettingBool("maybe"));
}

TEST(FetchSwitches, PublishedForTheFetchThread) {
  PublishIncludeArchive(false);
  EXPECT_FALSE(PublishedIncludeArchive());
  PublishIncludeArchive(true);
  EXPECT_TRUE(PublishedIncludeArchive());
  PublishRequestGapMs(100);
  EXPECT_EQ(PublishedRequestGapMs(), 750);
  PublishRequestGapMs(2000);
  EXPECT_EQ(PublishedRequestGapMs(), 2000);
  PublishRequestGapMs(750);
}

TEST(ThemePalette, Rows) {
  EXPECT_STREQ(ThemePaletteOf(0).choice_text, "Theme: System");
  EXPECT_STREQ(ThemePaletteOf(1).choice_text, "Theme: Dark");
  EXPECT_STREQ(ThemePaletteOf(2).choice_text, "Theme: Light");
  EXPECT_STREQ(ThemePaletteOf(5).choice_text, "Theme: System");
  EXPECT_TRUE(ThemePaletteOf(0).container.system);
  EXPECT_EQ(ThemePaletteOf(1).button.r, 55);
  EXPECT_TRUE(ThemePaletteOf(2).button.system);
  EXPECT_EQ(ThemePaletteOf(2).button.r, 240);
}

}  // namespace
}  // namespace orvane
