// orvane-host's position feed, GPX routes and base map reader.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "coastline.h"
#include "nmea.h"
#include "route.h"
#include "test_support.h"

namespace orvane::host {
namespace {

const std::string kData = ORVANE_TEST_DATA_DIR;

TEST(Nmea, ChecksumsAndSentenceKinds) {
  struct Case {
    const char* sentence;
    bool fix;
    double lat, lon;
  };
  const Case cases[] = {
      {"$GPRMC,060000.00,A,4115.0000,N,02909.0000,E,12.0,010.0,150326,,,A*6A", true, 41.25, 29.15},
      {"$GPGGA,060000.00,4115.0000,N,02909.0000,E,1,08,0.9,5.0,M,35.0,M,,*6B\r\n", true, 41.25, 29.15},
      {"$GPRMC,060000.00,A,4115.0000,N,02909.0000,E,12.0,010.0,150326,,,A*00", false, 0, 0},  // bad checksum
      {"$GPRMC,060000.00,A,4115.0000,N,02909.0000,E,12.0,010.0,150326,,,A", false, 0, 0},     // none at all
      {"$GPGSV,1,1,00*79", false, 0, 0},                                                     // not a fix
      {"garbage", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sentence);
    const auto fix = ParseNmeaFix(c.sentence);
    ASSERT_EQ(fix.has_value(), c.fix);
    if (!fix) continue;
    EXPECT_NEAR(fix->lat, c.lat, 1e-9);
    EXPECT_NEAR(fix->lon, c.lon, 1e-9);
    EXPECT_DOUBLE_EQ(fix->time_of_day, 6 * 3600);
  }
}

TEST(Nmea, VoidFixesAndSouthWestHemispheres) {
  auto with_checksum = [](std::string body) {
    unsigned c = 0;
    for (char ch : body) c ^= static_cast<unsigned char>(ch);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", c);
    return "$" + body + tail;
  };
  EXPECT_FALSE(ParseNmeaFix(with_checksum("GPRMC,060000,V,4115.0,N,02909.0,E,0,0,150326,,,N")));
  EXPECT_FALSE(ParseNmeaFix(with_checksum("GPGGA,060000,4115.0,N,02909.0,E,0,00,,,M,,M,,")));
  EXPECT_FALSE(ParseNmeaFix(with_checksum("GPRMC,060000,A,9115.0,N,02909.0,E,0,0,150326,,,A")));
  const auto sw = ParseNmeaFix(with_checksum("GNRMC,235959,A,3330.0,S,07030.0,W,5.5,270,311226,,,A"));
  ASSERT_TRUE(sw);
  EXPECT_DOUBLE_EQ(sw->lat, -33.5);
  EXPECT_DOUBLE_EQ(sw->lon, -70.5);
  EXPECT_DOUBLE_EQ(sw->sog, 5.5);
  EXPECT_GT(sw->epoch_seconds, 0);
}

TEST(Nmea, ReplayFileAndPacing) {
  const auto fixes = ReadNmeaFixes(test::ReadFile(kData + "/black_sea_track.nmea"));
  ASSERT_EQ(fixes.size(), 24u);  // the GSV and the bad-checksum line are skipped
  EXPECT_DOUBLE_EQ(ReplayDelaySeconds(fixes[0], fixes[2], 1), 600);
  EXPECT_DOUBLE_EQ(ReplayDelaySeconds(fixes[0], fixes[2], 60), 10);
  NmeaFix late, early;
  late.time_of_day = 86399;
  early.time_of_day = 1;
  EXPECT_DOUBLE_EQ(ReplayDelaySeconds(late, early, 1), 2);  // over midnight
  EXPECT_DOUBLE_EQ(ReplayDelaySeconds(early, early, 1), 0);
}

TEST(Gpx, ReadsTheRouteAndRefusesWhatIsNotOne) {
  const GpxResult r = ReadGpxRoute(kData + "/black_sea_route.gpx");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.route.name, "Bosporus to Odessa");
  ASSERT_EQ(r.route.points.size(), 4u);
  EXPECT_DOUBLE_EQ(r.route.points[1].first, 42.60);
  EXPECT_DOUBLE_EQ(r.route.points[1].second, 31.00);
  EXPECT_FALSE(r.route.guid.empty());

  test::TempDataRoot root;
  auto write = [&](const char* name, const char* text) {
    const std::string p = root.dir() + "/" + name;
    std::ofstream(p) << text;
    return p;
  };
  EXPECT_FALSE(ReadGpxRoute(write("a.gpx", "<gpx><wpt lat='1' lon='2'/></gpx>")).ok);
  EXPECT_FALSE(ReadGpxRoute(write("b.gpx", "<gpx><rte><rtept lat='x' lon='2'/></rte></gpx>")).ok);
  EXPECT_FALSE(ReadGpxRoute(write("c.gpx", "<kml/>")).ok);
  EXPECT_FALSE(ReadGpxRoute(write("d.gpx", "<gpx><rte>")).ok);
  EXPECT_FALSE(ReadGpxRoute(root.dir() + "/missing.gpx").ok);
  const GpxResult trk =
      ReadGpxRoute(write("e.gpx", "<gpx><trk><name>T</name><trkseg><trkpt lat='1' lon='2'/>"
                                  "<trkpt lat='1.5' lon='2'/></trkseg></trk></gpx>"));
  ASSERT_TRUE(trk.ok);
  EXPECT_EQ(trk.route.points.size(), 2u);
}

TEST(Track, SailsAlongTheLegs) {
  HostRoute r;
  r.points = {{0, 0}, {1, 0}, {1, 1}};
  EXPECT_NEAR(RouteLengthNm(r), 60.0 + 60.0, 0.5);
  EXPECT_NEAR(PositionAlong(r, 30).first, 0.5, 1e-3);
  const auto p = PositionAlong(r, 90);
  EXPECT_NEAR(p.first, 1.0, 1e-3);
  EXPECT_NEAR(p.second, 0.5, 1e-2);
  EXPECT_EQ(PositionAlong(r, 1000), r.points.back());
  EXPECT_EQ(PositionAlong(r, -5), r.points.front());
}

TEST(Coastline, SegmentsOfTheMultiSegmentText) {
  test::TempDataRoot root;
  const std::string p = root.dir() + "/coast.txt";
  std::ofstream(p) << "> Shore Bin # 0, Level 1\n20\t79.1\n18.2\t79.6\n> next\n190 10\n191 11\n> lone\n1 1\n";
  const auto segs = ReadCoastline(p);
  ASSERT_EQ(segs.size(), 2u);  // a one-point segment is dropped
  EXPECT_DOUBLE_EQ(segs[0][0].first, 79.1);
  EXPECT_DOUBLE_EQ(segs[1][0].second, -170.0);
  EXPECT_TRUE(ReadCoastline(root.dir() + "/none.txt").empty());
}

}  // namespace
}  // namespace orvane::host
