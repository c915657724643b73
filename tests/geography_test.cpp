#include <gtest/gtest.h>

#include <cmath>

#include "parse/geography.h"

namespace orvane {
namespace {

TEST(NavareaOf, BoxesInLookupOrderWithInlandExclusions) {
  struct Case {
    double lat, lon;
    int navarea;
  };
  const Case cases[] = {
      {41.0, 29.0, 3},    {45.0, 41.0, 3},   {42.0, 50.0, 0},   {40.0, -100.0, 0}, {50.0, 0.0, 1},
      {0.0, 0.0, 7},      {30.0, 35.0, 3},   {55.0, -175.0, 12}, {70.0, 170.0, 21}, {60.0, 180.0, 13},
      {60.0, 540.0, 13},  {-89.0, 0.0, 0},   {91.0, 0.0, 0},    {36.0, 15.0, 3},   {60.0, -180.0 - 360.0 * 3, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lat << "," << c.lon);
    EXPECT_EQ(NavareaOf(c.lat, c.lon), c.navarea);
  }
  EXPECT_EQ(NavareaOf(NAN, 0.0), 0);
  EXPECT_EQ(NavareaOf(0.0, NAN), 0);
  // A huge longitude is brought into range at once instead of 1e297 steps.
  EXPECT_EQ(NavareaOf(41.0, 29.0 + 360.0 * 1e15), NavareaOf(41.0, std::fmod(29.0 + 360.0 * 1e15, 360.0)));
  EXPECT_EQ(NavareaOf(0.0, 1e300), NavareaOf(0.0, std::fmod(1e300, 360.0)));
  EXPECT_EQ(NavareaOf(0.0, INFINITY), 0);
}

TEST(NavareasAlong, NeighboursNearBordersOnly) {
  EXPECT_EQ(NavareasAlong({{47.0, 10.0}}), (std::vector<int>{3, 1}));
  EXPECT_EQ(NavareasAlong({{38.0, 18.0}}), (std::vector<int>{3}));
  EXPECT_EQ(NavareasAlong({{42.0, 50.0}}), (std::vector<int>{}));
  EXPECT_EQ(NavareasAlong({{38.0, 18.0}, {47.0, 10.0}, {41.0, 29.0}}), (std::vector<int>{3, 1}));
  EXPECT_TRUE(NearbyNavareas(0, 0, 22).empty());
}

TEST(Stations, LetterWithNavareaThenFirstOfTheLetter) {
  ASSERT_NE(FindStation('a', 3), nullptr);
  EXPECT_STREQ(FindStation('a', 3)->name, "Samsun");
  EXPECT_STREQ(FindStation('E', 1)->name, "Cullercoats");
  EXPECT_STREQ(FindStation('E', 3)->name, "Alexandria");
  EXPECT_STREQ(FindStation('E', 0)->name, "Alexandria");
  EXPECT_EQ(FindStation('Q', 3), nullptr);
  EXPECT_EQ(NavtexStations().size(), 15u);
}

TEST(Numerals, OneToTwentyOne) {
  EXPECT_EQ(NavareaNumeral(0), "");
  EXPECT_EQ(NavareaNumeral(22), "");
  EXPECT_EQ(NavareaNumeral(18), "XVIII");
  EXPECT_EQ(NavareaNumeral(3), "III");
  EXPECT_EQ(NavareaNumeral(21), "XXI");
}

}  // namespace
}  // namespace orvane
