#include <gtest/gtest.h>

#include "parse/msi_model.h"

namespace orvane {
namespace {

TEST(MsgTypeTables, OutOfRangeValuesReadAsOther) {
  for (int v : {13, -1, 1000}) {
    const auto t = static_cast<MsgType>(v);
    EXPECT_STREQ(TypeName(t), "OTHER");
    EXPECT_STREQ(TypeLabel(t), "DANGER ZONE");
    EXPECT_STREQ(TypeImoNote(t), "optional");
    EXPECT_FALSE(IsRecommendedOn(t));
  }
  EXPECT_STREQ(TypeImoNote(OTHER), "IMO B2=A/L \xE2\x80\x94 recommended always on");
}

TEST(MsgTypeTables, EveryCategoryHasItsRow) {
  struct Row {
    MsgType t;
    const char *code, *label, *colour;
    bool recommended;
  };
  const Row rows[] = {
      {DRILLING, "DRILLING", "DRILLING", "orange", false},   {MILITARY, "MILITARY", "MILITARY AREA", "red", false},
      {MINE, "MINE", "MINE / UXO", "magenta", false},        {SAR_OPS, "SAR_OPS", "SAR", "amber", true},
      {PIRACY, "PIRACY", "PIRACY", "deep-orange", true},     {WRECK, "WRECK", "WRECK", "crimson-brown", false},
      {DRIFT, "DRIFT", "DRIFT HAZARD", "crimson", false},    {AIDS, "AIDS", "AIDS TO NAV", "blue", true},
      {CABLE, "CABLE", "CABLE / PIPE", "brown", false},      {WEATHER, "WEATHER", "WEATHER REPORT", "pink-stripe", true},
      {SPACE, "SPACE", "SPACE / MISSILE", "violet", false},  {RESTRICT, "RESTRICT", "RESTRICTED", "dark-red-hatch", true},
      {OTHER, "OTHER", "DANGER ZONE", "danger-red", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    EXPECT_STREQ(TypeName(r.t), r.code);
    EXPECT_STREQ(TypeLabel(r.t), r.label);
    EXPECT_STREQ(TypeColourName(r.t), r.colour);
    EXPECT_EQ(IsRecommendedOn(r.t), r.recommended);
    if (r.t != OTHER) {
      EXPECT_EQ(ParseTypeName(r.code), r.t);
    }
  }
}

TEST(MsgTypeTables, NameParsingIsExactAndKnowsTheExchangeAliases) {
  EXPECT_EQ(ParseTypeName("OTHER"), OTHER);
  EXPECT_EQ(ParseTypeName("drilling"), OTHER);
  EXPECT_EQ(ParseTypeName("CABLE_PIPE"), CABLE);
  EXPECT_EQ(ParseTypeName("NAV_HAZARD"), OTHER);
  EXPECT_EQ(ParseTypeName("SAR_PIRACY"), OTHER);
  EXPECT_EQ(ParseExchangeTypeName("NAV_HAZARD"), WRECK);
  EXPECT_EQ(ParseExchangeTypeName("SAR_PIRACY"), SAR_OPS);
  EXPECT_EQ(ParseExchangeTypeName("CABLE_PIPE"), CABLE);
  EXPECT_EQ(ParseExchangeTypeName("MINE"), MINE);
}

TEST(GeomKinds, NamesFallBackToPoint) {
  EXPECT_STREQ(GeomKindName(GEOM_CIRCLE), "circle");
  EXPECT_STREQ(GeomKindName(GEOM_POLYGON), "polygon");
  EXPECT_STREQ(GeomKindName(static_cast<GeomKind>(7)), "point");
}

TEST(B2Table, LettersAreCaseInsensitiveWithTheirClassesAndIndices) {
  struct Row {
    char b2;
    const char* description;
    B2Class cls;
    int index;
    MsgType fallback;
  };
  const Row rows[] = {
      {'d', "Search and rescue / pirate attack warnings", B2_MANDATORY, 3, SAR_OPS},
      {'A', "Navigational warnings", B2_MANDATORY, 0, OTHER},
      {'B', "Meteorological warnings", B2_MANDATORY, 1, WEATHER},
      {'L', "Navigational warnings (additional to A)", B2_MANDATORY, 10, OTHER},
      {'M', "Unknown / not in envelope", B2_OPTIONAL, 13, OTHER},
      {'I', "Unused / reserved", B2_OPTIONAL, 13, OTHER},
      {'Y', "Unknown / not in envelope", B2_OPTIONAL, 11, OTHER},
      {'W', "Environmental / special (regional)", B2_OPTIONAL, 11, OTHER},
      {'k', "Other electronic navaid messages", B2_OPTIONAL, 9, AIDS},
      {'z', "No message on hand", B2_HIDDEN, 12, OTHER},
      {'?', "Unknown / not in envelope", B2_OPTIONAL, 13, OTHER},
      {'7', "Unknown / not in envelope", B2_OPTIONAL, 13, OTHER},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(1, r.b2));
    EXPECT_STREQ(B2Description(r.b2), r.description);
    EXPECT_EQ(B2ClassOf(r.b2), r.cls);
    EXPECT_EQ(B2Index(r.b2), r.index);
    EXPECT_EQ(B2Category(r.b2), r.fallback);
  }
  EXPECT_STREQ(B2ClassName(B2_MANDATORY), "mandatory");
  EXPECT_STREQ(B2ClassName(B2_OPTIONAL), "optional");
  EXPECT_STREQ(B2ClassName(B2_HIDDEN), "hidden");
}

TEST(MsiMessage, FreshMessageHasTheDefaults) {
  const MsiMessage m;
  EXPECT_EQ(m.b1, '?');
  EXPECT_EQ(m.b2, '?');
  EXPECT_EQ(m.b2_index, 13);
  EXPECT_EQ(m.number, 0);
  EXPECT_EQ(m.type, OTHER);
  EXPECT_TRUE(m.active);
  EXPECT_EQ(m.navarea, 0);
  EXPECT_TRUE(m.id.empty() && m.station_id.empty() && m.title.empty() && m.raw_text.empty() &&
              m.cancel_target.empty() && m.expires.empty() && m.source.empty() && m.geoms.empty());
}

}  // namespace
}  // namespace orvane
