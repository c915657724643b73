// Where a warning is drawn: the position notations of real traffic, the
// parts a text is made of, which distances are radii, and the hand-read
// geometry of every real warning in ../shared/corpus.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "common/text.h"
#include "parse/bulletin.h"
#include "parse/positions.h"

namespace orvane {
namespace {

std::vector<MsiGeom> Geoms(const std::string& text) {
  const std::string clean = CleanText(text);
  return BuildGeometries(clean, UpperAscii(clean));
}

// "polygon7", "point", "circle r=1", "polyline4 r=3": one word per part.
std::string Shape(const MsiGeom& g) {
  static const char* kNames[] = {"point", "circle", "polyline", "polygon"};
  std::string s = kNames[g.kind];
  if (g.kind == GEOM_POLYGON || g.kind == GEOM_POLYLINE) s += std::to_string(g.points.size());
  if (g.radius_nm > 0) {
    char r[32];
    std::snprintf(r, sizeof r, " r=%.3g", g.radius_nm);
    s += r;
  }
  return s;
}

std::string Shapes(const std::vector<MsiGeom>& geoms) {
  std::string s;
  for (const MsiGeom& g : geoms) s += (s.empty() ? "" : ", ") + Shape(g);
  return s;
}

TEST(PositionNotations, RealNotationsReadAsOnePositionEach) {
  struct Case {
    const char* text;  // as received
    double lat, lon;
  };
  const Case cases[] = {
      // NAVAREA IV 278/21: degrees, minutes and seconds with dashes.
      {"ROCA PARTIDA LIGHT 18-42-17N 095-11-18W UNLIT.", 18 + 42 / 60.0 + 17 / 3600.0, -(95 + 11 / 60.0 + 18 / 3600.0)},
      {"51-14-23.13N 143-58-45.07E", 51 + 14 / 60.0 + 23.13 / 3600.0, 143 + 58 / 60.0 + 45.07 / 3600.0},
      // Mondolfo Radio 177/22: minute and second signs, a dash between.
      {"- 43 02'26''N - 014 00'04''E", 43 + 2 / 60.0 + 26 / 3600.0, 14 + 4 / 3600.0},
      {"43\xC2\xB0" "02\xE2\x80\xB2" "26\xE2\x80\xB3N 014\xC2\xB0" "00\xE2\x80\xB2" "04\xE2\x80\xB3" "E",
       43 + 2 / 60.0 + 26 / 3600.0, 14 + 4 / 3600.0},
      // A decimal comma.
      {"54-48,6N 013-55,8E", 54.81, 13 + 55.8 / 60.0},
      // Split Radio 489/22 and NCC Hamburg 445: digits-only minute fractions.
      {"A) CIM ODAS I IN 45-05000N 013-36278E", 45 + 5 / 60.0, 13 + 36.278 / 60.0},
      {"POSITION\n53-599N 006-114E AS WELL AS", 53 + 59.9 / 60.0, 6 + 11.4 / 60.0},
      // Mondolfo Radio 142/19: minutes and their fraction as two fields.
      {"44 14 132N - 013 04 012E", 44 + 14.132 / 60.0, 13 + 4.012 / 60.0},
      {"43 58 2896N - 013 09 1224E", 43 + 58.2896 / 60.0, 13 + 9.1224 / 60.0},
      // Cyrillic hemisphere letters.
      {"\xD0\x9C\xD0\x90\xD0\xAF\xD0\x9A 69-09.8\xD0\xA1 033-29.6\xD0\x92", 69 + 9.8 / 60.0, 33 + 29.6 / 60.0},
      {"12-00.0\xD0\xAE 070-30.0\xD0\x97", -12.0, -70.5},
      // Mondolfo Radio 187/23: "LAT." and "LONG.".
      {"- LAT. 41 53.4'N - LONG. 016 11.1'E", 41.89, 16.185},
      // An EN DASH, an EM DASH, a comma and a slash between the two.
      {"41 53.4'N \xE2\x80\x93 016 11.1'E", 41.89, 16.185},
      {"41-53.4N\xE2\x80\x94" "016-11.1E", 41.89, 16.185},
      {"41-53.4N, 016-11.1E", 41.89, 16.185},
      {"41-53.4N/016-11.1E", 41.89, 16.185},
      // Split Radio 078/19: signs and a dash with no blank.
      {"A) 43 27.8'N-015 48.0'E", 43 + 27.8 / 60.0, 15.8},
      // NAVAREA IV 306/26: three latitude digits.
      {"CARAPACHIBEY LIGHT 021-26.90N 082-55.40W UNLIT.", 21 + 26.9 / 60.0, -(82 + 55.4 / 60.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto got = ExtractPositions(c.text);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NEAR(got[0].first, c.lat, 1e-6);
    EXPECT_NEAR(got[0].second, c.lon, 1e-6);
  }
}

TEST(PositionNotations, NotReadAndReceptionDamage) {
  const char* nothing[] = {
      "4250.93N 03115.60E",             // run together: collides with other numbers
      "42.5N 031.2E",                   // decimal degrees
      "45-60.00N 010-00E",              // minutes not below 60
      "18-42-60N 095-11-18W",           // seconds not below 60
      "89-59-59N 180-00-01E",           // beyond 180 with its seconds
      "HELLISOE IGH 60-XLO:41E",        // garbled
      "POSITION 45-10.5N 024*TWE",      // a reception-error mark inside it
      "AGOSTO 12",                      // a name's number
      "AREA 76-78 KM",                  // a channel's kilometre mark
  };
  for (const char* t : nothing) {
    SCOPED_TRACE(t);
    EXPECT_TRUE(ExtractPositions(t).empty());
  }
  // "AGOSTO 12 19-23.0N 092-03.1W": the rig's number is not the latitude.
  EXPECT_EQ(ExtractPositions("A. AGOSTO 12 19-23.0N 092-03.1W."),
            (std::vector<LatLon>{{19 + 23.0 / 60, -(92 + 3.1 / 60)}}));
  // Swedish 525 as received (frame JA99): its one-digit minute field puts
  // the pipeline 3,000 NM south of The Sound. Left out there; the same
  // notation in an undamaged text is read.
  const std::string ja99 =
      "ZCZC JA99\nSWEDISH NAV WAN 525\nFLOATING PIPELINE IN PSN 55-55.1, 02-45.52E.\n"
      "MARKED Y THEE RED PLASTIC BUOS. PSN: 55-55.14QXTYYE AND 5-55.6N 012-5.40E\nNNNN";
  EXPECT_TRUE(ExtractPositions(ja99).empty());
  EXPECT_EQ(ExtractPositions("BUOY 5-55.6N 012-5.40E").size(), 1u);
  EXPECT_TRUE(ExtractPositions("BUOY 5-55.6N 012-5.40E. 1** ERRORS").empty());
}

TEST(GeometryParts, ShapesFollowTheTextsParts) {
  struct Case {
    const char* what;
    const char* text;  // real input, cut where marked "..."
    const char* shapes;
  };
  const Case cases[] = {
      {"HYDROARC 69/26: lettered areas",
       "1. HAZARDOUS OPERATIONS IN PROGRESS\n   UNTIL 30 JUN IN AREAS BOUND BY:\n"
       "   A. 74-13.00N 058-44.00E, 74-34.00N 059-44.00E,\n      74-26.00N 060-37.00E, 74-04.00N 059-46.00E.\n"
       "   B. 73-26.00N 057-11.00E, 73-45.00N 057-50.00E,\n      73-37.00N 058-52.00E, 73-17.00N 058-19.00E.\n"
       "   C. 72-13.00N 055-34.00E, 72-40.00N 055-57.00E,\n      72-38.00N 057-04.00E, 72-12.00N 056-53.00E.\n"
       "2. CANCEL THIS MSG 010001Z JUL 26.",
       "polygon4, polygon4, polygon4"},
      {"NAVAREA IV 848/26: a rig list, two rigs at one position",
       "1. NAVAREA IV MOBILE OFFSHORE DRILLING UNITS\n   POSITIONS AT 021645Z SEP:\n"
       "   A. AGOSTO 12 19-23.0N 092-03.1W.\n   E. BLUE EAGLE 18-28.6N 094-01.9W.\n"
       "   O. (NEW POSITION) DEEPWATER ATLAS\n      27-24.5N 091-50.5W.\n   W. DEFENDER 18-28.6N 094-01.9W.\n"
       "   AAAO. YUUM KAK NAAB 19-36.7N 092-17.9W.\n2. TO REPORT A MOBILE OFFSHORE DRILLING UNIT AS\n"
       "   PER IMO RESOLUTION A.1023(26), PARAGRAPH 11.5.1,",
       "point, point, point, point, point"},
      {"NAVAREA XII 607/26: a cable's trackline; the berth is a request",
       "1. CABLE OPERATIONS 07 THRU 10 SEP\n   BY CABLESHIP IT INTEGRITY\n   ALONG TRACKLINE JOINING\n"
       "   66-49.16N 162-59.66W, 66-48.87N 162-59.85W.\n   ONE MILE BERTH REQUESTED.",
       "polyline2"},
      {"HYDROLANT 2088/24: recommended tracks, not a minefield",
       "   A. PORT OF MANGALIA ALONG TRACKLINE JOINING\n      43-47.59N 028-50.86E, 43-47.50N 028-37.61E.\n"
       "   B. PORT OF NAVODARI ALONG TRAKLINE JOINING\n      43-47.59N 028-50.86E, 44-11.33N 028-50.86E,\n"
       "      44-15.52N 028-45.04E.",
       "polyline2, polyline3"},
      {"HYDROLANT 682/24: corridors in miles and metres, and an area",
       "2. ROUTES TO THE PORTS OF UKRAINE:\n   A. ROUTE FOR VESSELS WITH A DRAFT OF UP TO\n"
       "      EIGHT METERS WITHIN THREE MILES OF\n      TRACKLINE JOINING\n"
       "      45-05.00N 030-03.00E, 45-14.00N 030-01.00E,\n      45-39.00N 030-05.70E, 45-47.80N 030-22.70E.\n"
       "   E. SOUTHERN TEMPORARY WAITING AREA FOR VESSELS\n      TRANSITING THE ROUTES DURING ALLOWED TIMES\n"
       "      IN AREA BOUND BY\n      45-00.00N 030-10.00E, 44-55.00N 030-25.00E,\n"
       "      44-50.00N 030-25.00E, 44-50.00N 030-10.00E.\n"
       "   G. CHORNOMORSK TO NORTHERN HOLDING AREA CHANNEL\n      WITHIN 200 METERS OF TRACKLINE JOINING\n"
       "      46-25.38N 030-52.60E, 46-22.00N 030-47.70E,\n      46-21.55N 030-46.29E.",
       "polyline4 r=3, polygon4, polyline3 r=0.108"},
      {"HYDROLANT 237/26: an area and two circles",
       "1. MISSILE OPERATIONS 0530Z TO SUNSET DAILY EVERY\n   16 SEB THRU 31 DEC IN AREAS:\n   A. BOUND BY\n"
       "      35-36.00N 024-07.00E, 36-18.00N 024-07.00E,\n      36-18.00N 025-59.00E, 36-25.00N 026-12.00E,\n"
       "      36-16.00N 026-40.00E, 35-36.00N 026-41.00E,\n      35-31.00N 024-11.00E.\n"
       "   B. WITHIN ONE MILE OF 35-32.00N 024-13.00E.\n   C. WITHIN ONE MILE OF 35-36.33N 024-10.00E.",
       "polygon7, circle r=1, circle r=1"},
      {"HYDROLANT 1733/26: distances given item by item",
       "   IN AREAS WITHIN:\n      A. 27 MILES OF 57-27.40N 008-20.50W.\n      B. 20 MILES OF 57-43.40N 008-58.80W.",
       "circle r=27, circle r=20"},
      {"PETERSBURG 384/22: a moved buoy and a removed one",
       "1. UST-LUZHSKIY LIGHT BUOY MOVED TO 59-41.54N 028-18.33E\n2. LIGHT BUOY NO 12 PORT HAND 59-40.6N 028-18.7E\n"
       "TEMPORARILY REMOVED",
       "point, point"},
      {"a buoy moved from one position to another",
       "BUOY MOVED FROM 55-39N 001-11E TO 55-40N 001-12E.", "point, point"},
      {"latitude and longitude limits",
       "EXERCISE AREA BETWEEN 55-39N AND 56-45N AND BETWEEN 001-11E AND 003-38E.", "polygon4"},
      {"NOVOROSSIYSK 108: an area closed by the coastline",
       "AREA BOUNDED BY 45-03.5N 036-17.0E 44-57.5N 036-23.0E 44-45.0N\n036-24.0E 44-45.0N 035-50.0E 45-00.0N "
       "035-50.0E AND COASTLINE",
       "polygon5"},
      {"a Russian area along the coast",
       "\xD0\x92 \xD0\xA0\xD0\x90\xD0\x99\xD0\x9E\xD0\x9D\xD0\x95 69-09.8\xD0\xA1 033-29.6\xD0\x92 69-20.0\xD0\xA1 "
       "033-50.0\xD0\x92 \xD0\x94\xD0\x90\xD0\x9B\xD0\x95\xD0\x95 \xD0\x9F\xD0\x9E \xD0\x91\xD0\x95\xD0\xA0\xD0\x95"
       "\xD0\x93\xD0\x9E\xD0\x92\xD0\x9E\xD0\x99 \xD0\x9B\xD0\x98\xD0\x9D\xD0\x98\xD0\x98 \xD0\x94\xD0\x9E "
       "69-00.0\xD0\xA1 033-20.0\xD0\x92",
       "polygon3"},
      {"Russian items with Cyrillic labels, one buoy each",
       "\xD0\x90) 69-10.0\xD0\xA1 033-30.0\xD0\x92\n\xD0\x91) 69-20.0\xD0\xA1 033-40.0\xD0\x92\n"
       "\xD0\x92) 69-30.0\xD0\xA1 033-50.0\xD0\x92 \xD0\x91\xD0\xA3\xD0\x99",
       "point, point, point"},
      {"MONDOLFO RADIO 142/19: an AREA line and a TRACK line",
       "IN THE FOLLOWING AREA/STATIONS:\nAREA\n44 14 132N - 013 04 012E\n44 14 132N - 013 05 276E\n"
       "44 13 120N - 013 05 276E\n44 13 120N - 013 04 012E\nTRACK\n43 58 2896N - 013 09 1224E\n"
       "44 15 2141N - 013 05 3429E\n44 17 2004N - 012 41 0984E\nFROM 01 MAR 2019 UNTIL 30 APR 2019",
       "polygon4, polyline3"},
      {"BAHRAINRADIO 031/2019: lettered vertices of one boundary",
       "ON THE FOLLOWING BOUNDARY\nPOSITIONS (WGS-84):\nA. 24-55.800N 053-02.400E\nB. 24-55.800N 053-31.000E\n"
       "C. 24-45.000N 053-31.000E\nD. 24-45.000N 053-02.400E\nSURVEY DURATION: 2 MONTHS",
       "polygon4"},
      {"NETHERLANDS COASTGUARD 38: named platforms, no labels",
       "PLATFORM F3-OLT 54-51N 004-43E TOTAL BLACK OUT\nPLATFORM K1-A 53-50N 003-04E UNLIT\n"
       "PLATFORM L7-A 53-35N 004-04E UNLIT",
       "point, point, point"},
      {"NAVAREA IV 860/26: ice limits, one of a single position",
       "2. ICEBERG LIMIT ALONG TRACKLINE JOINING\n   49-30N 055-10W, 55-00N 053-00W,\n   60-00N 057-30W.\n"
       "4. WESTERN ICEBERG LIMIT ALONG TRACKLINE\n   JOINING\n   51-52N 056-05W, 51-36N 055-54W.\n"
       "5. SEA ICE LIMIT ALONG TRACKLINE JOINING\n   62-59N 071-59W.",
       "polyline3, polyline2, point"},
      {"NAVAREA IV 552/26: a ring written closed", 
       "IN AREA BOUND BY\n07-57.54N 058-27.64W, 07-57.95N 057-57.95W,\n07-57.54N 057-51.01W, 07-11.93N 057-33.86W,\n"
       "07-11.51N 058-09.64W, 07-57.54N 058-27.64W.",
       "polygon5"},
      {"inline AREA labels", 
       "WIND FARM: AREA 1: 54-00N 006-00E, 54-10N 006-00E, 54-10N 006-20E. AREA 2: 55-00N 006-00E, 55-10N 006-00E, "
       "55-10N 006-20E.",
       "polygon3, polygon3"},
      {"a distance stated once for every item",
       "BUOYS ESTABLISHED:\nA. 41-00N 029-00E.\nB. 41-10N 029-10E.\nALL WITHIN 2 MILES OF", "circle r=2, circle r=2"},
      {"a derelict reported three times: three sightings, not an area",
       "DERELICT VESSEL REPORTED IN 45-00N 045-00W AT 010000Z, 45-10N 045-10W AT 020000Z, 45-20N 045-20W AT 030000Z.",
       "point, point, point"},
      {"mines reported in an area: the area",
       "MINES REPORTED IN AREA BOUND BY 45-00N 045-00W, 45-10N 045-10W, 45-20N 045-00W.", "polygon3"},
      {"a width stated in a paragraph of its own, for the tracklines of another",
       "1. SURVEY OPERATIONS ALONG TRACKLINES JOINING:\n   A. 30-00N 140-00E, 31-00N 141-00E.\n"
       "   B. 32-00N 142-00E, 33-00N 143-00E, 34-00N 144-00E.\n2. WITHIN 2 MILES EITHER SIDE OF TRACKLINES.",
       "polyline2 r=2, polyline3 r=2"},
      {"vessels near a distress asked to help: no extent of the warning",
       "1. PERSON IN WATER IN 45-00N 030-00E.\n2. VESSELS WITHIN 20 MILES REQUESTED TO KEEP A SHARP LOOKOUT.",
       "point"},
      {"three positions and no wording stay one area",
       "41-00N 029-00E 41-10N 029-10E 41-10N 029-00E", "polygon3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + "\n" + c.text);
    EXPECT_EQ(Shapes(Geoms(c.text)), c.shapes);
  }
}

TEST(GeometryParts, AreasKeepTheOrderOfTheText) {
  // HYDROLANT 1774/26: a concave area that the old re-sort cut by 30 %.
  const auto g = Geoms(
      "IN AREA BOUND BY\n04-33.71N 050-01.26W, 05-42.36N 048-58.13W,\n03-02.99N 046-18.20W, 01-59.67N 047-14.09W,\n"
      "02-02.36N 047-18.50W, 02-05.99N 047-20.75W,\n02-07.44N 047-21.64W, 02-33.17N 047-37.51W.");
  ASSERT_EQ(g.size(), 1u);
  EXPECT_EQ(g[0].points, ExtractPositions(
                             "04-33.71N 050-01.26W, 05-42.36N 048-58.13W, 03-02.99N 046-18.20W, 01-59.67N 047-14.09W, "
                             "02-02.36N 047-18.50W, 02-05.99N 047-20.75W, 02-07.44N 047-21.64W, 02-33.17N 047-37.51W"));
  // Split Radio 078/19: A-B-C-D crosses itself as written, so it is put in
  // order around its centre (A-B-D-C) instead of drawn as a bow-tie.
  const auto bow = Geoms("IN AREA BOUNDED BY:\nA) 43 27.8'N-015 48.0'E\nB) 43 37.2'N-015 44.0'E\n"
                         "C) 43 27.5'N-015 37.2'E\nD) 43 36.0'N-015 33.2'E");
  ASSERT_EQ(bow.size(), 1u);
  EXPECT_FALSE(RingCrossesItself(bow[0].points));
  EXPECT_TRUE(RingCrossesItself(ExtractPositions("43 27.8'N-015 48.0'E 43 37.2'N-015 44.0'E 43 27.5'N-015 37.2'E "
                                                 "43 36.0'N-015 33.2'E")));
}

TEST(GeometryParts, RadiusOnlyWhereADistanceSurroundsSomething) {
  struct Case {
    const char* text;  // with one position added where the text has none
    const char* shapes;
  };
  const Case cases[] = {
      {"IN AREA WITHIN 20 MILES OF 12-44.00N 017-47.00W.", "circle r=20"},            // HYDROLANT 1780/26
      {"MINES REPORTED IN AREA WITHIN FIVE MILES\nOF 45-07.10N 030-09.70E.", "circle r=5"},  // 2017/23
      {"IN AREA WITHIN ONE MILE OF 21-17.48N 157-59.23W.", "circle r=1"},             // XII 605/26
      {"WITHIN 3 CABLES OF 55-28.7N 010-27.0E", "circle r=0.3"},
      {"WITHIN TWO NAUTICAL MILES OF 55-28.7N 010-27.0E", "circle r=2"},
      {"5 NM RADIUS AROUND 55-28.7N 010-27.0E", "circle r=5"},
      {"RADIUS 2 NM CENTRED 55-28.7N 010-27.0E", "circle r=2"},
      {"NEPTUN ALPHA PLATFORM 44-02.85N 030-35.25E SAFE DISTANCE 500 METERS.", "circle r=0.27"},
      {"SAFETY ZONE OF 500 M AROUND 44-02.85N 030-35.25E", "circle r=0.27"},
      {"WITHIN 600 NM OF 44-02.85N 030-35.25E", "point"},  // beyond any warning's reach
      // Not radii: a light's range and height, depths, berth requests, a
      // drift, a vessel's length, a word holding "NM".
      {"NOUP HEAD LIGHT 59-19.90N 003-04.20W\nRANGE REDUCED TO 12 MILES.", "point"},
      {"BRIGAND HILL LIGHT 10-29.61N 061-04.20W\n   CHANGED TO FL (5) W 20 SEC 217 METERS 17 MILES.", "point"},
      {"HOYO SOPLADOR LIGHT, FL W 15 SEC 20 METERS \n12 MILES, ESTABLISHED IN 12-28.85N 081-43.83W.", "point"},
      {"33.6 METER DEPTH REPORTED IN 76-40.36N 102-16.62W.", "point"},
      {"CABLE OPERATIONS IN PROGRESS UNTIL\nFURTHER NOTICE BY CABLESHIP SOVEREIGN\nIN 59-49.00N 002-58.40W.\n"
       "ONE MILE BERTH REQUESTED.",
       "point"},
      {"IN 10-06.05N 060-17.51W.\n   500 METER BERTH REQUESTED.", "point"},
      {"'HELGOLAND-O' LIGHTBUOYT 54-09N 007-53E OFF STATION.\nADRIFT APPROX. 200 METRES EASTWARDS.", "point"},
      {"DENMARK. KATTEGAT.\nFRONT LIGHT KLINTEBJERG NR. 26 55-28.7N 010-27.0E UNLIT.", "point"},
      {"VESSEL LENGTH 120 M AT 55-28.7N 010-27.0E", "point"},
      {"MNM 5 55-28.7N 010-27.0E", "point"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Shapes(Geoms(c.text)), c.shapes);
  }
}

// The hand-read geometry of ../shared/corpus, matched as a navigator would
// check the chart: same kind, same number of vertices, each within 0.1 NM
// (an area in any rotation or direction, a line either way), a circle's
// radius within 5 %.
struct TruthPart {
  GeomKind kind;
  std::vector<LatLon> pts;
  double radius;
};

double Nm(const LatLon& a, const LatLon& b) {
  const double k = 3.14159265358979323846 / 180.0;
  const double h = std::pow(std::sin((b.first - a.first) * k / 2), 2) +
                   std::cos(a.first * k) * std::cos(b.first * k) * std::pow(std::sin((b.second - a.second) * k / 2), 2);
  return 2 * 3440.065 * std::asin(std::min(1.0, std::sqrt(h)));
}

TruthPart Normalise(GeomKind kind, std::vector<LatLon> pts, double radius) {
  std::vector<LatLon> out;
  if (kind == GEOM_POLYGON || kind == GEOM_POLYLINE) {
    for (const LatLon& p : pts)
      if (out.empty() || Nm(out.back(), p) >= 0.01) out.push_back(p);
    if (kind == GEOM_POLYGON)
      while (out.size() > 1 && Nm(out.front(), out.back()) < 0.01) out.pop_back();
  } else {
    out = pts;
  }
  return {kind, out, radius};
}

bool Matches(const TruthPart& t, const TruthPart& g) {
  if (t.kind != g.kind || t.pts.size() != g.pts.size()) return false;
  const size_t n = t.pts.size();
  if (t.kind == GEOM_CIRCLE && std::fabs(t.radius - g.radius) > std::max(0.05 * t.radius, 0.05)) return false;
  auto within = [&](const std::function<size_t(size_t)>& at) {
    for (size_t i = 0; i < n; ++i)
      if (Nm(t.pts[i], g.pts[at(i)]) > 0.1) return false;
    return true;
  };
  if (t.kind == GEOM_POLYGON) {
    for (size_t k = 0; k < n; ++k)
      if (within([&](size_t i) { return (k + i) % n; }) || within([&](size_t i) { return (k + n - i % n) % n; }))
        return true;
    return false;
  }
  if (t.kind == GEOM_POLYLINE) return within([](size_t i) { return i; }) || within([&](size_t i) { return n - 1 - i; });
  return within([](size_t i) { return i; });
}

// One to one: each expected part finds its own drawn geometry.
bool AllMatch(const std::vector<TruthPart>& want, const std::vector<TruthPart>& got) {
  if (want.size() != got.size()) return false;
  std::vector<int> owner(got.size(), -1);
  std::function<bool(size_t, std::vector<bool>&)> place = [&](size_t i, std::vector<bool>& seen) {
    for (size_t j = 0; j < got.size(); ++j) {
      if (seen[j] || !Matches(want[i], got[j])) continue;
      seen[j] = true;
      if (owner[j] < 0 || place(static_cast<size_t>(owner[j]), seen)) {
        owner[j] = static_cast<int>(i);
        return true;
      }
    }
    return false;
  };
  for (size_t i = 0; i < want.size(); ++i) {
    std::vector<bool> seen(got.size(), false);
    if (!place(i, seen)) return false;
  }
  return true;
}

// The chunks of a corpus file as the truth counts them: split at "====",
// "#@" notes dropped, lines joined with line feeds.
std::vector<std::string> Chunks(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string all = ss.str();
  std::vector<std::string> chunks, cur;
  size_t b = 0;
  auto flush = [&](bool last) {
    bool any = false;
    for (const std::string& l : cur) any = any || !TrimView(l).empty();
    if ((!last && !cur.empty()) || (last && any)) {
      std::string c;
      for (const std::string& l : cur) c += l + "\n";
      chunks.push_back(c);
    }
    cur.clear();
  };
  while (b <= all.size()) {
    size_t e = all.find('\n', b);
    if (e == std::string::npos) e = all.size();
    const std::string line = all.substr(b, e - b);
    if (Trim(line) == "====") flush(false);
    else if (line.rfind("#@", 0) != 0) cur.push_back(line);
    b = e + 1;
  }
  flush(true);
  return chunks;
}

TEST(GeometryTruth, RealWarningsAreDrawnWhereTheirTextsSay) {
  const std::string dir = ORVANE_CORPUS_DIR;
  std::ifstream truth(dir + "/geometry.jsonl");
  if (!truth) GTEST_SKIP() << "no geometry truth at " << dir;
  std::map<std::string, std::vector<std::string>> files;
  int scored = 0, right = 0;
  std::string misses;
  std::string line;
  while (std::getline(truth, line)) {
    if (TrimView(line).empty()) continue;
    const nlohmann::json t = nlohmann::json::parse(line);
    if (t.value("ambiguous", false)) continue;
    const std::string file = t["file"];
    if (!files.count(file)) files[file] = Chunks(dir + "/" + file);
    const size_t chunk = t["chunk"];
    ASSERT_LT(chunk, files[file].size()) << file;
    std::vector<TruthPart> want, got;
    for (const auto& p : t["parts"]) {
      const std::string kind = p["kind"];
      const GeomKind k = kind == "polygon" ? GEOM_POLYGON : kind == "polyline" ? GEOM_POLYLINE
                         : kind == "circle" ? GEOM_CIRCLE : GEOM_POINT;
      std::vector<LatLon> pts;
      for (const auto& q : p["points"]) pts.push_back({q[0].get<double>(), q[1].get<double>()});
      want.push_back(Normalise(k, pts, p.value("radius_nm", 0.0)));
    }
    for (const MsiMessage& m : ParseBulletin(files[file][chunk]))
      for (const MsiGeom& g : m.geoms) got.push_back(Normalise(g.kind, g.points, g.radius_nm));
    ++scored;
    if (AllMatch(want, got)) ++right;
    else misses += file + " #" + std::to_string(chunk) + " " + t.value("title", "") + "\n";
  }
  // Every one of the 282 hand-read warnings is drawn as its text says.
  EXPECT_EQ(scored, 282);
  EXPECT_GE(right, 282) << misses;
}

}  // namespace
}  // namespace orvane
