// A coarse model of the 21 NAVAREAs as latitude-longitude boxes, their
// numerals, and the NAVTEX transmitters the chart marks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "parse/msi_model.h"

namespace orvane {

struct NavareaBox {
  int32_t navarea;
  double lat_min, lat_max, lon_min, lon_max;
  bool wrap;  // the longitude range crosses 180 degrees
};

struct NavtexStation {
  char b1;
  const char* name;
  const char* alt_name;
  int32_t navarea;
  double lat, lon;
  int32_t khz;
  double range_nm;
};

constexpr int kNavareaCount = 21;

const std::vector<NavareaBox>& NavareaBoxes();      // in lookup order
const std::vector<NavtexStation>& NavtexStations();  // in lookup order

std::string NavareaNumeral(int n);
int NavareaOf(double lat, double lon);
std::vector<int> NearbyNavareas(double lat, double lon, int navarea);
std::vector<int> NavareasAlong(const std::vector<LatLon>& positions);
const NavtexStation* FindStation(char b1, int navarea);
// The station of that letter in that NAVAREA only; null when the NAVAREA has
// none (a letter names a different station in every area).
const NavtexStation* FindStationIn(char b1, int navarea);

}  // namespace orvane
